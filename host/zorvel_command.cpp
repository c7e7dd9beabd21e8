#include "host/zorvel_command.h"

#include <chrono>
#include <csignal>
#include <cstdio>
#include <exception>
#include <filesystem>
#include <iostream>
#include <memory>
#include <string>
#include <system_error>

#include "host/command_line.h"
#include "host/console_export_interface.h"
#include "host/console_host.h"
#include "host/export_each.h"
#include "host/heap_tuning.h"
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
// A folder of its own for a check's output, which the plug-in drops anyway: the
// input's folder stays as it was even if something were left.
class CheckFolder {
 public:
  CheckFolder() {
    std::string pattern = (fs::temp_directory_path() / "zorvel_check_XXXXXX").string();
    if (mkdtemp(pattern.data())) path_ = pattern;
  }
  ~CheckFolder() {
    std::error_code ec;
    if (!path_.empty()) fs::remove_all(path_, ec);
  }
  CheckFolder(const CheckFolder&) = delete;
  CheckFolder& operator=(const CheckFolder&) = delete;
  const std::string& path() const { return path_; }

 private:
  std::string path_;
};

int exportScene(const CommandLine& args, bool supervise, std::ostream& out, std::ostream& err) {
  const auto started = std::chrono::steady_clock::now();
  std::unique_ptr<CheckFolder> checkFolder;
  OutputPath output;
  if (args.check) {
    checkFolder = std::make_unique<CheckFolder>();
    if (checkFolder->path().empty()) {
      err << "zorvel: no temporary folder for the check\n";
      return kExitUsage;
    }
    output.path = outputInFolder(checkFolder->path(), args.input);
    output.shown = args.input;
  } else {
    // The cheap checks first, so that a wrong OUTPUT does not wait for a big scene.
    output = resolveOutput(args.input, args.output);
  }
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
  loadOptions.reader = args.reader;
  loadOptions.sourceLook = !args.asAuthored;
  loadOptions.outputDirectory = fs::path(output.path).parent_path().string();
  loadOptions.outputFile = output.path;
  loadOptions.progress = [&progress](int percent) { progress.update(percent); };
  progress.start("Loading " + fs::path(args.input).filename().string() + "...");
  std::error_code unknown;
  const uintmax_t inputBytes = fs::file_size(args.input, unknown);
  prepareHeapForScene(unknown ? 0 : inputBytes);
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
  ei.setKeptFiles(loaded.scene->pendingImages().kept());
  ei.setCheckOnly(args.check);
  ei.setStrict(args.strict);
  ei.setEarlierWarnings(int(loaded.warnings.size()));
  // Declared before the host, which uses it until the export ends.
  ProgressWindow window;
  ConsoleHost host(*loaded.scene, progress);
  // The scene's own images are read from memory during the export and written
  // only once it has succeeded (never by a check), so a failed, interrupted or
  // killed export leaves none of them.
  host.setExtractImages(false);
  host.setWarningSink([&ei](const std::string& text) { ei.warning(text); });
  // The window that asked for the options shows their progress too.
  if (view == DialogView::kWindow && console.hasDisplay && !args.noPrompt && !args.check) {
    if (window.load(pluginDirectory() + "/" + kProgressModuleFileName))
      host.setProgressWindow(&window);
    else
      ei.warning(window.error() + "; progress shows on the terminal");
  }
  const int result =
      exporter.doExport(output.path.c_str(), &ei, &host, args.noPrompt || args.check);
  const bool exported =
      result != 0 && !ei.usageFailed() && !host.interrupted() && !host.cancelled() && !args.check;
  progress.finish(exported);
  if (exported) {
    loaded.scene->pendingImages().extract([&ei](const std::string& text) { ei.warning(text); });
    loaded.scene->pendingImages().commit();
  }
  const int warnings = int(loaded.warnings.size()) + ei.warningCount();
  // The count goes into the summary line when there is one, else a line of its own.
  const std::string& counted = ei.propertySummaryText();
  const bool summaryLine = !args.quiet && (exported || (args.check && result != 0));
  if (!counted.empty() && !summaryLine) err << "zorvel: " << counted << '\n';
  if (ei.usageFailed()) return kExitUsage;
  if (result == 0 && !host.interrupted() && args.strict && !ei.acceptsFile()) {
    err << "zorvel: --strict: " << warnings << (warnings == 1 ? " warning" : " warnings")
        << ", so nothing was written; " << output.shown << " left as it was\n";
    return kExitFailed;
  }
  if (result == 0) {
    if (ei.errorCount() == 0) err << "zorvel: cannot export to " << output.shown << '\n';
    return kExitFailed;
  }
  if (args.check && !host.interrupted()) {
    if (!args.quiet)
      out << "zorvel: checked " << args.input << ": " << warnings
          << (warnings == 1 ? " warning" : " warnings")
          << (counted.empty() ? "" : " (" + counted + ")") << '\n';
    return warnings == 0 ? kExitExported : kExitFailed;
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
  if (summaryLine)
    out << "zorvel: wrote " << output.shown << ": " << describe(summarizeWrittenFile(output.path))
        << ", " << seconds(totalSeconds) << ", " << warnings
        << (warnings == 1 ? " warning" : " warnings")
        << (counted.empty() ? "" : " (" + counted + ")") << '\n';
  return kExitExported;
}

// The plug-in's property reference, read from its tables: 0, or 2 for a kind
// that has no properties.
int listProperties(const CommandLine& args, std::ostream& out, std::ostream& err) {
  PluginModule module;
  if (!module.load(pluginDirectory() + "/" + kModuleFileName)) {
    err << "zorvel: " << module.error() << '\n';
    return kExitUsage;
  }
  SceneExporter* exporter = module.findExporter("flt");
  if (!exporter) {
    err << "zorvel: " << module.error() << '\n';
    return kExitUsage;
  }
  std::string text;
  if (!exporter->propertyReference(args.listProperties.value_or(""), args.listMarkdown, text)) {
    err << "zorvel: " << text << '\n';
    return kExitUsage;
  }
  out << text;
  return kExitExported;
}

int runZorvel(int argc, const char* const* argv, bool supervise, std::ostream& out,
              std::ostream& err) {
  ParsedCommandLine parsed = parseCommandLine(argc, argv, out, err);
  if (parsed.exitStatus >= 0) return parsed.exitStatus;
  try {
    if (parsed.args.listProperties || parsed.args.listMarkdown)
      return listProperties(parsed.args, out, err);
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
  // Past a file-size limit a write then fails, and the export says so and leaves
  // nothing, instead of dying of the signal.
  std::signal(SIGXFSZ, SIG_IGN);
  return runZorvel(argc, argv, true, std::cout, std::cerr);
}
