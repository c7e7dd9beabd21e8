#include "host/command_line.h"

#include <unistd.h>

#include <CLI/CLI.hpp>
#include <cstdlib>
#include <iterator>
#include <map>
#include <vector>

namespace {

constexpr int kUsageStatus = 2;

const char kDescription[] =
    "Exports a scene file (any format Assimp reads) as an OpenFlight database through the\n"
    "zorvel.dle plug-in.\n"
    "Exit status: 0 exported or the dialog was cancelled, 1 the export failed, 2 bad usage\n"
    "or unreadable input, 130 cancelled with Ctrl-C.";

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

}  // namespace

ParsedCommandLine parseCommandLine(int argc, const char* const* argv, std::ostream& out,
                                   std::ostream& err) {
  ParsedCommandLine parsed;
  CommandLine& a = parsed.args;
  CLI::App app(kDescription, "zorvel");
  app.get_formatter()->column_width(34);

  app.add_option("INPUT", a.input, "the scene file to export")->required();
  app.add_option("OUTPUT", a.output, "the OpenFlight file to write (.flt)")->required();
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
      {"--projection", "projection, as the dialog lists it"},
      {"--ellipsoid", "earth ellipsoid, as the dialog lists it"},
      {"--units", "database units, as the dialog lists them"},
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
  app.add_flag("--quiet", a.quiet, "no progress bar");

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

  if (dialog == "gui") a.dialog = DialogView::kWindow;
  if (dialog == "terminal") a.dialog = DialogView::kTerminal;
  if (dialog == "batch") a.dialog = DialogView::kBatch;
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
