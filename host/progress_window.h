#pragma once
// The progress window of the gui view. It lives in a module of its own
// (zorvel_progress.so, beside zorvel.dle), loaded only for that view, so that the
// host links no toolkit.
//
//   ProgressWindow window;
//   if (!window.load(pluginDirectory() + "/" + kProgressModuleFileName)) warn(window.error());
//   if (window.open("Exporting OpenFlight...")) ... window.update(40); window.cancelled();

#include <string>

#include "host/loaded_module.h"

#include "progress/progress_module.h"

class ProgressWindow {
 public:
  ProgressWindow() = default;
  // Closes the window, then unloads the module that holds its code.
  ~ProgressWindow();
  ProgressWindow(const ProgressWindow&) = delete;
  ProgressWindow& operator=(const ProgressWindow&) = delete;

  // False, with error() "cannot load PATH: why", when the module or one of its
  // entry points is missing.
  [[nodiscard]] bool load(const std::string& path);
  bool loaded() const { return module_.isOpen(); }
  const std::string& error() const { return error_; }

  // Shows the window; false when there is no display (or no module).
  [[nodiscard]] bool open(const std::string& stage);
  bool isOpen() const { return shown_ != nullptr; }
  // Both handle the display's events, so that the window redraws and hears Cancel.
  void update(int percent, const char* stage = nullptr);
  // Cancel pressed, or the window closed, since open.
  bool cancelled();
  void close();

 private:
  void unload();

  LoadedModule module_;
  std::string error_;
  ProgressOpenFn open_ = nullptr;
  ProgressUpdateFn update_ = nullptr;
  ProgressCancelledFn cancelled_ = nullptr;
  ProgressCloseFn close_ = nullptr;
  ZorvelProgressWindow* shown_ = nullptr;
};
