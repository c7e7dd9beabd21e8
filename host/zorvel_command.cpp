#include "host/zorvel_command.h"

#include <exception>
#include <filesystem>
#include <iostream>
#include <string>
#include <system_error>

#include "host/command_line.h"
#include "host/console_export_interface.h"
#include "host/console_host.h"
#include "host/plugin_loader.h"
#include "host/scene_loader.h"
#include "plugin/module_entry.h"

namespace fs = std::filesystem;

namespace {

// The loader's reason without its own "Error loading FILE: " opening, on one line.
std::string loadFailureReason(const std::string& error, const std::string& input) {
  const std::string opening = "Error loading " + input + ": ";
  std::string why = error.rfind(opening, 0) == 0 ? error.substr(opening.size()) : error;
  for (char& c : why)
    if (c == '\n' || c == '\r') c = ' ';
  while (!why.empty() && why.back() == ' ') why.pop_back();
  return why.empty() ? "not a scene file" : why;
}

int exportScene(const CommandLine& args, std::ostream& err) {
  // As a modelling host's file dialog hands it over.
  std::error_code ec;
  fs::path output = fs::absolute(args.output, ec);
  if (ec) {
    err << "zorvel: cannot resolve " << args.output << ": " << ec.message() << '\n';
    return kExitUsage;
  }
  output = output.lexically_normal();
  const std::string outputPath = output.string();

  // The cheap checks first, so that a wrong OUTPUT does not wait for a big scene.
  PluginModule module;
  if (!module.load(pluginDirectory() + "/" + kModuleFileName)) {
    err << "zorvel: " << module.error() << '\n';
    return kExitUsage;
  }
  SceneExporter* exporter = module.findExporter(fileExtension(outputPath));
  if (!exporter) {
    err << "zorvel: " << module.error() << " (" << args.output << ")\n";
    return kExitUsage;
  }

  SceneLoadOptions loadOptions;
  loadOptions.upAxis = args.upAxis;
  loadOptions.outputDirectory = output.parent_path().string();
  SceneLoadResult loaded = loadScene(args.input, loadOptions);
  if (!loaded) {
    err << "zorvel: cannot load " << args.input << ": "
        << loadFailureReason(loaded.error, args.input) << '\n';
    return kExitUsage;
  }
  for (const std::string& warning : loaded.warnings) err << "zorvel: warning: " << warning << '\n';

  const ConsoleState console = ConsoleState::current();
  ProgressDisplay progress(err, console.stderrIsTerminal, args.quiet);
  ConsoleHost host(*loaded.scene, progress);
  ConsoleExportInterface ei(chooseDialogView(args, console), args.fields, err);
  ei.setBeforeMessage([&progress] { progress.breakLine(); });

  const int result = exporter->doExport(outputPath.c_str(), &ei, &host, args.noPrompt);
  if (ei.usageFailed()) return kExitUsage;
  if (result == 0) {
    if (ei.errorCount() == 0) err << "zorvel: cannot export to " << outputPath << '\n';
    return kExitFailed;
  }
  if (host.interrupted()) {
    err << "zorvel: interrupted: wrote " << host.nodesFinished() << " of "
        << loaded.scene->nodeCount() << " nodes in full; " << outputPath << " is closed complete\n";
    return kExitInterrupted;
  }
  if (!host.progressStarted()) err << "zorvel: the options dialog was cancelled; nothing written\n";
  return kExitExported;
}

}  // namespace

int runZorvel(int argc, const char* const* argv, std::ostream& out, std::ostream& err) {
  ParsedCommandLine parsed = parseCommandLine(argc, argv, out, err);
  if (parsed.exitStatus >= 0) return parsed.exitStatus;
  try {
    return exportScene(parsed.args, err);
  } catch (const std::exception& e) {
    err << "zorvel: " << e.what() << '\n';
  } catch (...) {
    err << "zorvel: an unexpected failure\n";
  }
  return kExitFailed;
}

int runZorvel(int argc, char** argv) {
  return runZorvel(argc, argv, std::cout, std::cerr);
}
