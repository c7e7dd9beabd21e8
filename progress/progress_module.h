#pragma once
// The entry points of the progress window module (zorvel_progress.so), which the
// host looks up with dlsym for the gui view. They are C so that the host needs
// neither the toolkit nor its headers, and reach the module by name alone.

struct ZorvelProgressWindow;

constexpr const char* kProgressModuleFileName = "zorvel_progress.so";

extern "C" {
// Shows a window with `stage` and an empty bar; null when there is no display.
using ProgressOpenFn = ZorvelProgressWindow* (*)(const char* stage);
// A new stage text (null keeps it) and percent; handles the display's events.
using ProgressUpdateFn = void (*)(ZorvelProgressWindow* window, const char* stage, int percent);
// Handles the display's events; nonzero once Cancel was pressed or the window closed.
using ProgressCancelledFn = int (*)(ZorvelProgressWindow* window);
// Takes the window off the screen at once and frees it.
using ProgressCloseFn = void (*)(ZorvelProgressWindow* window);
}

inline constexpr const char* kProgressOpenSymbol = "ZorvelProgressOpen";
inline constexpr const char* kProgressUpdateSymbol = "ZorvelProgressUpdate";
inline constexpr const char* kProgressCancelledSymbol = "ZorvelProgressCancelled";
inline constexpr const char* kProgressCloseSymbol = "ZorvelProgressClose";
