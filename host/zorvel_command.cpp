#include "host/zorvel_command.h"

#include <chrono>
#include <cstdio>
#include <exception>
#include <filesystem>
#include <iostream>
#include <string>
#include <system_error>

#include "host/command_line.h"
#include "host/console_export_interface.h"
#include "host/console_host.h"
#include "host/export_each.h"
#include "host/load_supervisor.h"
#include "host/output_path.h"
#include "host/plugin_loader.h"
#include "host/progress_window.h"
#include "host/scene_loader.h"
#include "host/written_file_summary.h"
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

double secondsSince(std::chrono::steady_clock::time_point start) {
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

std::string seconds(double s) {
  char text[32];
  std::snprintf(text, sizeof text, s < 0.1 ? "%.3f s" : "%.2f s", s);
  return text;
}

int loadAndExport(const CommandLine& args, const OutputPath& output, SceneExporter& exporter,
                  LoadWatch& watch, std::chrono::steady_clock::time_point started,
                  std::ostream& out, std::ostream& err);

// With `supervise`, loading and export run in a child process that watches the
// reader (host/load_supervisor.h); in-process callers with streams of their own
// run them here.
int exportScene(const CommandLine& args, bool supervise, std::ostream& out, std::ostream& err) {
  const auto started = std::chrono::steady_clock::now();
  // The cheap checks first, so that a wrong OUTPUT does not wait for a big scene.
  const OutputPath output = resolveOutput(args.input, args.output);
  if (!output) {
    err << "zorvel: " << output.error << '\n';
    return kExitUsage;
  }
  PluginModule module;
  if (!module.load(pluginDirectory() + "/" + kModuleFileName)) {
    err << "zorvel: " << module.error() << '\n';
    return kExitUsage;
  }
  SceneExporter* exporter = module.findExporter(fileExtension(output.path));
  if (!exporter) {
    err << "zorvel: " << module.error() << " (" << output.shown << ")\n";
    return kExitUsage;
  }

  if (!supervise) {
    LoadWatch unwatched;
    return loadAndExport(args, output, *exporter, unwatched, started, out, err);
  }
  LoadSupervision supervision;
  supervision.input = args.input;
  supervision.timeoutSeconds = args.loadTimeout;
  return runSupervised(
      supervision,
      [&](LoadWatch& watch) {
        return loadAndExport(args, output, *exporter, watch, started, out, err);
      },
      err);
}

int loadAndExport(const CommandLine& args, const OutputPath& output, SceneExporter& exporter,
                  LoadWatch& watch, std::chrono::steady_clock::time_point started,
                  std::ostream& out, std::ostream& err) {
  const ConsoleState console = ConsoleState::current();
  ProgressDisplay progress(err, console.stderrIsTerminal, args.quiet, console.columns);
  progress.setStageLines(args.verbose);

  SceneLoadOptions loadOptions;
  loadOptions.upAxis = args.upAxis;
  loadOptions.sourceLook = !args.asAuthored;
  loadOptions.outputDirectory = fs::path(output.path).parent_path().string();
  loadOptions.outputFile = output.path;
  loadOptions.progress = [&progress](int percent) { progress.update(percent); };
  progress.start("Loading " + fs::path(args.input).filename().string() + "...");
  SceneLoadResult loaded = loadScene(args.input, loadOptions);
  watch.loaded();
  progress.finish(bool(loaded));
  if (!loaded) {
    err << "zorvel: cannot load " << args.input << ": "
        << loadFailureReason(loaded.error, args.input) << '\n';
    return kExitUsage;
  }
  for (const std::string& warning : loaded.warnings) err << "zorvel: warning: " << warning << '\n';
  const double loadSeconds = secondsSince(started);
  if (args.verbose)
    err << "zorvel: loaded " << args.input << " in " << seconds(loadSeconds) << '\n';

  const DialogView view = chooseDialogView(args, console);
  ConsoleExportInterface ei(view, args.fields, err);
  ei.setBeforeMessage([&progress] { progress.breakLine(); });
  // Declared before the host, which uses it until the export ends.
  ProgressWindow window;
  ConsoleHost host(*loaded.scene, progress);
  host.setWarningSink([&ei](const std::string& text) { ei.warning(text); });
  // The window that asked for the options shows their progress too.
  if (view == DialogView::kWindow && console.hasDisplay && !args.noPrompt) {
    if (window.load(pluginDirectory() + "/" + kProgressModuleFileName))
      host.setProgressWindow(&window);
    else
      ei.warning(window.error() + "; progress shows on the terminal");
  }
  const int result = exporter.doExport(output.path.c_str(), &ei, &host, args.noPrompt);
  const bool exported =
      result != 0 && !ei.usageFailed() && !host.interrupted() && !host.cancelled();
  progress.finish(exported);
  // A failed or interrupted export leaves no image it extracted.
  if (!exported) loaded.scene->pendingImages().removeCreated();
  if (ei.usageFailed()) return kExitUsage;
  if (result == 0) {
    if (ei.errorCount() == 0) err << "zorvel: cannot export to " << output.shown << '\n';
    return kExitFailed;
  }
  if (host.interrupted()) {
    err << "zorvel: interrupted after " << host.nodesFinished() << " of "
        << loaded.scene->nodeCount() << " nodes; nothing written, " << output.shown
        << " left as it was\n";
    return kExitInterrupted;
  }
  if (host.cancelled()) {
    err << "zorvel: cancelled after " << host.nodesFinished() << " of " << loaded.scene->nodeCount()
        << " nodes; nothing written, " << output.shown << " left as it was\n";
    return kExitExported;
  }
  if (!host.progressStarted()) {
    err << "zorvel: the options dialog was cancelled; nothing written\n";
    return kExitExported;
  }
  const double totalSeconds = secondsSince(started);
  if (args.verbose) err << "zorvel: exported in " << seconds(totalSeconds - loadSeconds) << '\n';
  if (!args.quiet) {
    const int warnings = int(loaded.warnings.size()) + ei.warningCount();
    out << "zorvel: wrote " << output.shown << ": " << describe(summarizeWrittenFile(output.path))
        << ", " << seconds(totalSeconds) << ", " << warnings
        << (warnings == 1 ? " warning" : " warnings") << '\n';
  }
  return kExitExported;
}

int runZorvel(int argc, const char* const* argv, bool supervise, std::ostream& out,
              std::ostream& err) {
  ParsedCommandLine parsed = parseCommandLine(argc, argv, out, err);
  if (parsed.exitStatus >= 0) return parsed.exitStatus;
  try {
    if (parsed.args.inputs.size() > 1 && !parsed.args.oneOf)
      return exportEach(parsed.args, argc, argv, out, err);
    return exportScene(parsed.args, supervise, out, err);
  } catch (const std::exception& e) {
    err << "zorvel: " << e.what() << '\n';
  } catch (...) {
    err << "zorvel: an unexpected failure\n";
  }
  return kExitFailed;
}

}  // namespace

int runZorvel(int argc, const char* const* argv, std::ostream& out, std::ostream& err) {
  return runZorvel(argc, argv, false, out, err);
}

int runZorvel(int argc, char** argv) {
  return runZorvel(argc, argv, true, std::cout, std::cerr);
}
