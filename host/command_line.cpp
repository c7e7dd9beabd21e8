#include "host/command_line.h"

#include <sys/ioctl.h>
#include <unistd.h>

#include <CLI/CLI.hpp>
#include <cctype>
#include <cstdlib>
#include <iterator>
#include <map>
#include <sstream>
#include <vector>

#include "host/output_path.h"
#include "host/scene_loader.h"
#include "plugin/option_lists.h"

namespace {

constexpr int kUsageStatus = 2;

const char kDescription[] =
    "Exports a scene file (any format Assimp reads) as an OpenFlight database through the\n"
    "zorvel.dle plug-in.\n"
    "Exit status: 0 exported or the dialog was cancelled, 1 the export failed, 2 bad usage\n"
    "or unreadable input, 130 cancelled with Ctrl-C. With --check: 0 no warning, 1 any\n"
    "warning, 2 bad usage or unreadable input.";

// A switch given as --NAME or --no-NAME; absent when neither was given.
struct SwitchOption {
  bool value = false;
  CLI::Option* option = nullptr;

  std::optional<bool> given() const {
    return option->count() > 0 ? std::optional<bool>(value) : std::nullopt;
  }
};

void addSwitch(CLI::App& app, SwitchOption& s, const std::string& name, const std::string& help) {
  s.option = app.add_flag("--" + name + ",!--no-" + name, s.value, help);
}

// The dialog field options the user gave, for messages.
std::vector<std::string> givenFieldNames(const CLI::App& app) {
  static const char* const kFieldOptions[] = {
      "--format",        "--projection", "--ellipsoid",     "--units",
      "--origin-lat",    "--origin-lon", "--lambert-upper", "--lambert-lower",
      "--copy-textures", "--auto-group", "--auto-object"};
  std::vector<std::string> names;
  for (const char* name : kFieldOptions)
    if (app.get_option(name)->count() > 0) names.push_back(name);
  return names;
}

std::string joined(const std::vector<std::string>& names) {
  std::string text;
  for (const std::string& name : names) text += (text.empty() ? "" : ", ") + name;
  return text;
}

// The first option CLI11 does not know, or "". Values of options that take one
// are skipped, so that "--origin-lat -23" is not taken for an option.
std::string unknownOption(const CLI::App& app, int argc, const char* const* argv) {
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if (arg == "--") break;
    if (arg.size() < 2 || arg[0] != '-' || std::isdigit(static_cast<unsigned char>(arg[1])) ||
        arg[1] == '.')
      continue;
    const bool isLong = arg[1] == '-';
    const std::string name = isLong ? arg.substr(0, arg.find('=')) : arg.substr(0, 2);
    const CLI::Option* option = app.get_option_no_throw(name);
    if (!option) return name;
    const bool valueFollows = isLong ? arg.find('=') == std::string::npos : arg.size() == 2;
    if (option->get_expected_min() > 0 && valueFollows) ++i;
  }
  return "";
}

// INPUT OUTPUT, or inputs with -o: each input gets DIR/<stem>.flt.
bool settleFiles(CommandLine& a, const std::vector<std::string>& files, std::ostream& err) {
  if (a.check) {
    if (files.size() != 1 || !a.outputDir.empty()) {
      err << "zorvel: --check takes one INPUT and no OUTPUT\nRun 'zorvel --help' for the "
             "options.\n";
      return false;
    }
    a.input = files[0];
    a.inputs = files;
    return true;
  }
  if (a.outputDir.empty()) {
    if (files.size() != 2) {
      err << "zorvel: " << (files.size() < 2 ? "OUTPUT is missing" : "too many files")
          << ": give INPUT OUTPUT, or the inputs with -o DIR\nRun 'zorvel --help' for the "
             "options.\n";
      return false;
    }
    a.input = files[0];
    a.output = files[1];
    a.inputs = {files[0]};
    return true;
  }
  a.inputs = files;
  if (a.oneOf && *a.oneOf >= files.size()) {
    err << "zorvel: --one-of " << *a.oneOf << " is not one of the inputs\n";
    return false;
  }
  const size_t one = a.oneOf.value_or(0);
  if (files.size() == 1 || a.oneOf) {
    a.input = files[one];
    a.output = outputInFolder(a.outputDir, files[one]);
  }
  return true;
}

std::string joinedWords(const std::vector<std::string>& words) {
  std::string text;
  for (const std::string& w : words) text += (text.empty() ? "" : " ") + w;
  return text;
}

// Usage first, as users of command-line tools look for it there.
class UsageFirstFormatter : public CLI::Formatter {
 public:
  std::string make_usage(const CLI::App*, std::string) const override { return ""; }
  std::string make_description(const CLI::App*) const override { return ""; }
  std::string make_help(const CLI::App* app, std::string name,
                        CLI::AppFormatMode mode) const override {
    return "Usage: zorvel [OPTIONS] INPUT OUTPUT\n"
           "       zorvel [OPTIONS] INPUT... -o DIR\n\n" +
           app->get_description() + "\n" + CLI::Formatter::make_help(app, name, mode);
  }
};

}  // namespace

ParsedCommandLine parseCommandLine(int argc, const char* const* argv, std::ostream& out,
                                   std::ostream& err) {
  ParsedCommandLine parsed;
  CommandLine& a = parsed.args;
  CLI::App app(kDescription, "zorvel");
  app.formatter(std::make_shared<UsageFirstFormatter>());
  app.get_formatter()->column_width(34);
  std::ostringstream lists;
  printOptionListTexts(lists);
  app.footer(lists.str());

  std::vector<std::string> files;
  app.add_option("FILES", files, "INPUT OUTPUT, or the inputs with -o DIR")->required();
  app.add_option("-o,--output-dir", a.outputDir,
                 "write each INPUT to DIR/<its name>.flt (one or more inputs)");
  app.add_option("-j,--jobs", a.jobs, "parallel exports of several inputs (default: one per core)")
      ->check(CLI::PositiveNumber);
  app.add_flag("--no-prompt", a.noPrompt,
               "no options dialog at all (dialog fields are then refused)");
  std::string dialog;
  app.add_option("--dialog", dialog,
                 "gui, terminal or batch; default: gui with a display and a terminal, terminal "
                 "on a terminal, batch otherwise")
      ->check(CLI::IsMember({"gui", "terminal", "batch"}));

  std::map<std::string, std::string> texts;
  const std::pair<const char*, const char*> kTextFields[] = {
      {"--format", "OpenFlight version: 15.4 or \"OpenFlight 15.4\""},
      {"--projection", "projection (texts below)"},
      {"--ellipsoid", "earth ellipsoid (texts below)"},
      {"--units", "database units (texts below)"},
      {"--origin-lat", "origin latitude, as typed into the dialog"},
      {"--origin-lon", "origin longitude, as typed into the dialog"},
      {"--lambert-upper", "upper Lambert parallel"},
      {"--lambert-lower", "lower Lambert parallel"}};
  for (const auto& [name, help] : kTextFields) app.add_option(name, texts[name], help);
  SwitchOption copyTextures, autoGroup, autoObject;
  addSwitch(app, copyTextures, "copy-textures", "copy texture images beside OUTPUT (or not)");
  addSwitch(app, autoGroup, "auto-group", "automatic groups (or not)");
  addSwitch(app, autoObject, "auto-object", "automatic objects (or not)");

  std::string upAxis = "auto";
  app.add_option("--up-axis", upAxis,
                 "the scene's up axis: auto (an FBX file's own, else y), y or z")
      ->capture_default_str()
      ->check(CLI::IsMember({"auto", "y", "z"}));
  std::string reader = "auto";
  app.add_option("--reader", reader,
                 "auto (our own readers for OBJ and glTF, Assimp for the rest) or assimp")
      ->capture_default_str()
      ->check(CLI::IsMember({"auto", "assimp"}));
  app.add_flag("--as-authored", a.asAuthored,
               "no look from the scene's materials (colour, lighting, sidedness): only the "
               "nodes' own properties");
  app.add_flag("--quiet", a.quiet, "no progress bar and no summary line");
  app.add_flag("--check", a.check,
               "only check INPUT's properties and the export: no dialog, nothing written; exit "
               "1 after any warning");
  app.add_flag("--strict", a.strict, "any warning fails the export and writes nothing");
  std::string listKind;
  app.add_option("--list-properties", listKind,
                 "print every property key (of one record kind: --list-properties=LOD) and exit")
      ->expected(0, 1);
  app.add_flag("--list-properties-markdown", a.listMarkdown,
               "print the property reference as docs/properties.md holds it and exit");
  app.add_flag("-v,--verbose", a.verbose, "also the load and export timings");
  app.add_option("--load-timeout", a.loadTimeout,
                 "seconds the reader may take before the file counts as unreadable (0: no limit)")
      ->capture_default_str()
      ->check(CLI::NonNegativeNumber);
  bool version = false, formats = false;
  app.add_flag("--version", version, "print the version and exit");
  app.add_flag("--formats", formats, "list the input file extensions and exit");
  size_t oneOf = 0;
  CLI::Option* oneOfOption = app.add_option("--one-of", oneOf)->group("");

  // Reported by name before anything else: CLI11 would first miss the positionals.
  if (const std::string unknown = unknownOption(app, argc, argv); !unknown.empty()) {
    err << "zorvel: unknown option " << unknown << "\nRun 'zorvel --help' for the options.\n";
    parsed.exitStatus = kUsageStatus;
    return parsed;
  }
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if (arg == "--") break;
    if (arg == "--version") {
      out << "zorvel " << ZORVEL_VERSION << " (Assimp " << assimpVersion() << ")\n";
      parsed.exitStatus = 0;
      return parsed;
    }
    if (arg == "--formats") {
      out << joinedWords(inputExtensions()) << '\n';
      parsed.exitStatus = 0;
      return parsed;
    }
    // Listing needs no files: the command answers it from the plug-in alone.
    if (arg == "--list-properties-markdown") {
      a.listMarkdown = true;
      return parsed;
    }
    if (arg.rfind("--list-properties", 0) == 0) {
      const size_t eq = arg.find('=');
      if (eq != std::string::npos)
        a.listProperties = arg.substr(eq + 1);
      else if (arg == "--list-properties")
        a.listProperties = i + 1 < argc && argv[i + 1][0] != '-' ? argv[i + 1] : "";
      else
        continue;
      return parsed;
    }
  }

  try {
    app.parse(argc, argv);
  } catch (const CLI::ParseError& e) {
    if (e.get_exit_code() == 0) {  // --help
      out << app.help();
      parsed.exitStatus = 0;
      return parsed;
    }
    err << "zorvel: " << e.what() << "\nRun 'zorvel --help' for the options.\n";
    parsed.exitStatus = kUsageStatus;
    return parsed;
  }

  if (oneOfOption->count() > 0) a.oneOf = oneOf;
  if (!settleFiles(a, files, err)) {
    parsed.exitStatus = kUsageStatus;
    return parsed;
  }
  if (dialog == "gui") a.dialog = DialogView::kWindow;
  if (dialog == "terminal") a.dialog = DialogView::kTerminal;
  if (dialog == "batch") a.dialog = DialogView::kBatch;
  a.reader = reader == "assimp" ? SceneReader::kAssimp : SceneReader::kAuto;
  a.upAxis = upAxis == "y" ? UpAxis::kY : upAxis == "z" ? UpAxis::kZ : UpAxis::kAuto;

  DialogFieldValues& f = a.fields;
  std::optional<std::string>* const kTargets[] = {&f.format,       &f.projection,  &f.ellipsoid,
                                                  &f.units,        &f.originLat,   &f.originLon,
                                                  &f.lambertUpper, &f.lambertLower};
  for (size_t i = 0; i < std::size(kTextFields); ++i)
    if (app.get_option(kTextFields[i].first)->count() > 0)
      *kTargets[i] = texts[kTextFields[i].first];
  f.copyTextures = copyTextures.given();
  f.autoGroup = autoGroup.given();
  f.autoObject = autoObject.given();

  const std::vector<std::string> fieldNames = givenFieldNames(app);
  if (!fieldNames.empty() && a.noPrompt) {
    err << "zorvel: --no-prompt runs no options dialog, so it takes no dialog fields ("
        << joined(fieldNames) << ")\n";
    parsed.exitStatus = kUsageStatus;
  } else if (!fieldNames.empty() && a.dialog && *a.dialog != DialogView::kBatch) {
    // The window and the terminal form ask the user; only batch types the fields.
    err << "zorvel: --dialog=" << dialog << " does not take dialog fields (" << joined(fieldNames)
        << "); use --dialog=batch\n";
    parsed.exitStatus = kUsageStatus;
  } else if (a.inputs.size() > 1 && a.dialog && *a.dialog != DialogView::kBatch) {
    // Nobody could answer one dialog per file while several exports run at once.
    err << "zorvel: --dialog=" << dialog
        << " asks once per file; with several inputs use --dialog=batch or --no-prompt\n";
    parsed.exitStatus = kUsageStatus;
  }
  return parsed;
}

bool hasDialogFields(const DialogFieldValues& f) {
  return f.format || f.projection || f.ellipsoid || f.units || f.originLat || f.originLon ||
         f.lambertUpper || f.lambertLower || f.copyTextures || f.autoGroup || f.autoObject;
}

ConsoleState ConsoleState::current() {
  ConsoleState state;
  const char* display = std::getenv("DISPLAY");
  state.hasDisplay = display && *display;
  state.stdinIsTerminal = isatty(STDIN_FILENO) == 1;
  state.stderrIsTerminal = isatty(STDERR_FILENO) == 1;
  struct winsize size = {};
  if (state.stderrIsTerminal && ioctl(STDERR_FILENO, TIOCGWINSZ, &size) == 0 && size.ws_col > 0)
    state.columns = size.ws_col;
  return state;
}

DialogView chooseDialogView(const CommandLine& args, const ConsoleState& console) {
  if (args.dialog) return *args.dialog;
  if (hasDialogFields(args.fields)) return DialogView::kBatch;
  const bool terminal = console.stdinIsTerminal && console.stderrIsTerminal;
  if (terminal && console.hasDisplay) return DialogView::kWindow;
  if (terminal) return DialogView::kTerminal;
  return DialogView::kBatch;
}
