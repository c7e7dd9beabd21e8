// The entry points of zorvel_progress.so over the FLTK window. Nothing may
// escape to the host, which is no C++ caller as far as the module knows.
#include "progress/fltk_progress_window.h"
#include "progress/progress_module.h"

#define ZORVEL_PROGRESS_EXPORT extern "C" __attribute__((visibility("default")))

struct ZorvelProgressWindow {
  FltkProgressWindow window;
};

ZORVEL_PROGRESS_EXPORT ZorvelProgressWindow* ZorvelProgressOpen(const char* stage) {
  try {
    auto* shown = new ZorvelProgressWindow;
    if (shown->window.show(stage ? stage : "")) return shown;
    delete shown;
  } catch (...) {
  }
  return nullptr;
}

ZORVEL_PROGRESS_EXPORT void ZorvelProgressUpdate(ZorvelProgressWindow* shown, const char* stage,
                                                 int percent) {
  if (!shown) return;
  try {
    if (stage) shown->window.setStage(stage);
    shown->window.setPercent(percent);
    shown->window.pump();
  } catch (...) {
  }
}

ZORVEL_PROGRESS_EXPORT int ZorvelProgressCancelled(ZorvelProgressWindow* shown) {
  if (!shown) return 0;
  try {
    shown->window.pump();
  } catch (...) {
  }
  return shown->window.cancelled() ? 1 : 0;
}

ZORVEL_PROGRESS_EXPORT void ZorvelProgressClose(ZorvelProgressWindow* shown) {
  delete shown;
}
