#include "host/progress_window.h"

ProgressWindow::~ProgressWindow() {
  unload();
}

void ProgressWindow::unload() {
  close();
  module_.close();
  open_ = nullptr;
  update_ = nullptr;
  cancelled_ = nullptr;
  close_ = nullptr;
}

bool ProgressWindow::load(const std::string& path) {
  unload();
  error_.clear();
  if (!module_.open(path, error_)) return false;
  auto entry = [&](const char* name) { return module_.entry(name, error_); };
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
