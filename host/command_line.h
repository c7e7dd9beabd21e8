#pragma once
// The zorvel command line: INPUT, OUTPUT and the options that stand in for the
// modelling host's export settings and its options dialog.

#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "host/scene_loader.h"
#include "plugin/export_interface.h"

struct CommandLine {
  // The one export this process runs (from INPUT OUTPUT, or from one input and -o).
  std::string input;
  std::string output;
  // Every INPUT given with -o DIR; more than one runs one process per input.
  std::vector<std::string> inputs;
  std::string outputDir;
  int jobs = 0;  // parallel exports of several inputs; 0: one per core
  // Set in the process that exports inputs[oneOf] for a parent running several.
  std::optional<size_t> oneOf;
  bool verbose = false;
  int loadTimeout = 300;  // seconds the reader may take; 0: no limit
  // The host's suppress-prompts flag: no options dialog at all.
  bool noPrompt = false;
  // As given with --dialog; absent means the default rule (chooseDialogView).
  std::optional<DialogView> dialog;
  // Typed into the batch dialog; absent fields keep what the dialog shows.
  DialogFieldValues fields;
  UpAxis upAxis = UpAxis::kAuto;
  // No defaults from the scene's look: the nodes hold only what the file says.
  bool asAuthored = false;
  SceneReader reader = SceneReader::kAuto;
  bool quiet = false;
  // --check: run the export's checks on INPUT alone and write nothing.
  bool check = false;
  // Any warning fails the export, and nothing is written.
  bool strict = false;
  // --list-properties[=KIND] (empty KIND: every kind), --list-properties-markdown.
  std::optional<std::string> listProperties;
  bool listMarkdown = false;
};

struct ParsedCommandLine {
  CommandLine args;
  // -1 to go on with the export; otherwise the exit status to end with at once
  // (0 after --help, --version or --formats, 2 after bad usage, reported on `err`).
  int exitStatus = -1;
};

ParsedCommandLine parseCommandLine(int argc, const char* const* argv, std::ostream& out,
                                   std::ostream& err);

bool hasDialogFields(const DialogFieldValues& fields);

// What the process runs in, for the default dialog view.
struct ConsoleState {
  bool hasDisplay = false;
  bool stdinIsTerminal = false;
  bool stderrIsTerminal = false;
  int columns = 80;  // of the terminal on standard error

  static ConsoleState current();
};

// The window with a display and a terminal, the terminal form on a terminal alone,
// batch otherwise. Dialog fields given without --dialog ask for batch, the only
// view that types them.
DialogView chooseDialogView(const CommandLine& args, const ConsoleState& console);
