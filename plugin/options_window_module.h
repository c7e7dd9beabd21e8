#pragma once
// The options window, in the module beside this plug-in (zorvel_window.so). It is
// opened the first time the window view is chosen and then stays for the process:
// the toolkit it brings keeps the display and its own statics, which would not
// survive the module's unload.

#include <string>

#include "window/window_module.h"

// The module's entry point, or null with `error` "cannot load PATH: why". A load
// that failed is tried again the next time.
WindowRunOptionsFn loadOptionsWindow(std::string& error);

// The folder this plug-in's code was loaded from ("." when unknown).
std::string pluginFolder();
