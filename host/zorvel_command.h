#pragma once
// The zorvel command: loads a scene file, loads the zorvel.dle plug-in and runs
// its export into OUTPUT, as the modelling host would.
//
// Exit status: 0 exported, or cancelled in the options dialog or the progress
// window; 1 the export failed; 2 bad usage, a bad option value, a message dialog
// in batch mode, no exporter for OUTPUT's extension, or unreadable input; 130
// cancelled with Ctrl-C.

#include <ostream>

constexpr int kExitExported = 0;
constexpr int kExitFailed = 1;
constexpr int kExitUsage = 2;
constexpr int kExitInterrupted = 130;

int runZorvel(int argc, char** argv);
// The same with the command's two streams given.
int runZorvel(int argc, const char* const* argv, std::ostream& out, std::ostream& err);
