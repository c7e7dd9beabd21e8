#include "host/progress_window.h"

#include <dlfcn.h>

namespace {

#ifdef __SANITIZE_ADDRESS__
// As for zorvel.dle: the leak check at exit would find the toolkit's statics lost.
constexpr int kKeepLoaded = RTLD_NODELETE;
#else
constexpr int kKeepLoaded = 0;
#endif

}  // namespace

ProgressWindow::~ProgressWindow() {
  unload();
}

void ProgressWindow::unload() {
  close();
  if (handle_) dlclose(handle_);
  handle_ = nullptr;
  open_ = nullptr;
  update_ = nullptr;
  cancelled_ = nullptr;
  close_ = nullptr;
}

bool ProgressWindow::load(const std::string& path) {
  unload();
  error_.clear();
  void* handle = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL | kKeepLoaded);
  if (!handle) {
    const char* why = dlerror();
    error_ = "cannot load " + path + ": " + (why ? why : "dlopen failed");
    return false;
  }
  handle_ = handle;
  auto entry = [&](const char* name) -> void* {
    void* symbol = dlsym(handle, name);
    if (!symbol && error_.empty())
      error_ = "cannot load " + path + ": it has no entry point " + name;
    return symbol;
  };
  open_ = reinterpret_cast<ProgressOpenFn>(entry(kProgressOpenSymbol));
  update_ = reinterpret_cast<ProgressUpdateFn>(entry(kProgressUpdateSymbol));
  cancelled_ = reinterpret_cast<ProgressCancelledFn>(entry(kProgressCancelledSymbol));
  close_ = reinterpret_cast<ProgressCloseFn>(entry(kProgressCloseSymbol));
  if (!error_.empty()) {
    const std::string why = error_;
    unload();
    error_ = why;
    return false;
  }
  return true;
}

bool ProgressWindow::open(const std::string& stage) {
  close();
  if (!open_) return false;
  shown_ = open_(stage.c_str());
  return shown_ != nullptr;
}

void ProgressWindow::update(int percent, const char* stage) {
  if (shown_) update_(shown_, stage, percent);
}

bool ProgressWindow::cancelled() {
  return shown_ && cancelled_(shown_) != 0;
}

void ProgressWindow::close() {
  if (shown_) close_(shown_);
  shown_ = nullptr;
}
