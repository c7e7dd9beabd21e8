#pragma once
// The entry point of the options window module (zorvel_window.so), which the
// plug-in loads from its own folder when the window view is chosen, and only then:
// every other export loads no toolkit. C, so that the plug-in reaches it by name
// and needs neither the toolkit nor its headers.
//
// The options cross as the plug-in's own object: both sides are one build. The
// module holds its own copy of the dialog model, which keeps no state of its own
// between calls, so the two copies never meet.

struct ExportOptions;

inline constexpr const char* kWindowModuleFileName = "zorvel_window.so";

extern "C" {
// Hears why the window could not be shown; `text` lives until it returns.
using WindowErrorFn = void (*)(void* context, const char* text);
// Runs the options dialog over `options` in the window until OK or Cancel closes
// it: 1 OK (the options took the dialog's values), 0 Cancel, 2 the window could not
// be shown (`errors` has heard why). A DialogResult, as int.
using WindowRunOptionsFn = int (*)(ExportOptions* options, WindowErrorFn errors, void* context);
}

inline constexpr const char* kWindowRunOptionsSymbol = "ZorvelWindowRunOptions";
