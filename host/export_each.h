#pragma once
// Several inputs into one folder: one zorvel process per input, since the plug-in
// keeps per-process state, at most `jobs` of them at once. Each child's messages
// are printed together when it ends, so that the lines of one file stay together.

#include <ostream>

#include "host/command_line.h"

// Runs argv (the zorvel program's own) once per input with --one-of. Exit status:
// 0 when every input was exported, 1 when any failed, 2 before any export when the
// folder cannot take them or two inputs would land on one name, 130 on Ctrl-C.
int exportEach(const CommandLine& args, int argc, const char* const* argv, std::ostream& out,
               std::ostream& err);
