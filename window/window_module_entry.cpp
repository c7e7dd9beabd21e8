// The entry point of zorvel_window.so over the FLTK window. Nothing may escape
// to the plug-in, which is no C++ caller as far as the module knows.
#include <string>
#include <type_traits>

#include "options/options_dialog.h"
#include "window/fltk_options_window.h"
#include "window/window_module.h"

#define ZORVEL_WINDOW_EXPORT extern "C" __attribute__((visibility("default")))

ZORVEL_WINDOW_EXPORT int ZorvelWindowRunOptions(ExportOptions* options, WindowErrorFn errors,
                                                void* context) {
  auto tell = [&](const std::string& text) {
    if (errors) errors(context, text.c_str());
  };
  try {
    FltkOptionsWindow window(tell);
    return static_cast<int>(runOptionsDialog(*options, window));
  } catch (const std::exception& e) {
    tell(std::string("cannot show the options window: ") + e.what());
  } catch (...) {
    tell("cannot show the options window: an unexpected failure");
  }
  return static_cast<int>(DialogResult::kBadUsage);
}

static_assert(std::is_same_v<decltype(&ZorvelWindowRunOptions), WindowRunOptionsFn>);
