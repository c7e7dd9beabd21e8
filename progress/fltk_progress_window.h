#pragma once
// The progress of an export as a small FLTK window: the stage, a bar with its
// percent, and Cancel. It has no event loop of its own: the exporter's calls into
// the host pump the display, so that a press of Cancel is heard between nodes.

#include <chrono>
#include <memory>
#include <string>

class Fl_Box;
class Fl_Button;
class Fl_Progress;
class Fl_Widget;
class Fl_Window;

class FltkProgressWindow {
 public:
  FltkProgressWindow();
  ~FltkProgressWindow();
  FltkProgressWindow(const FltkProgressWindow&) = delete;
  FltkProgressWindow& operator=(const FltkProgressWindow&) = delete;

  // Puts the window on the screen; false when no display can be opened.
  [[nodiscard]] bool show(const std::string& stage);
  void setStage(const std::string& stage);
  void setPercent(int percent);
  // Handles what the display delivered, at most every few milliseconds: a big
  // scene calls once per node and would otherwise spend its time redrawing.
  void pump();
  // Cancel was pressed, Escape typed, or the window closed.
  bool cancelled() const { return cancelled_; }
  // Off the screen at once: the process may not reach an event loop again.
  void close();

  // While shown, for tests that drive it.
  Fl_Window* window() const;
  Fl_Box* stage() const { return stage_; }
  Fl_Progress* bar() const { return bar_; }
  Fl_Button* cancelButton() const { return cancel_; }

 private:
  static void onCancel(Fl_Widget*, void* self);
  static void onClose(Fl_Widget*, void* self);
  void build(const std::string& stage);

  std::unique_ptr<Fl_Window> window_;
  Fl_Box* stage_ = nullptr;
  Fl_Progress* bar_ = nullptr;
  Fl_Button* cancel_ = nullptr;
  bool cancelled_ = false;
  std::chrono::steady_clock::time_point lastPump_;
};
