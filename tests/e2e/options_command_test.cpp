// The options as the zorvel program settles them: the dialog views' failures on
// standard error, the window's module and what runs without it, and the example
// scene's header node with and without a dialog.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "tests/convert/export_test_support.h"
#include "tests/e2e/box_scene.h"
#include "tests/e2e/child_process.h"
#include "tests/e2e/terminal_run.h"
#include "window/window_module.h"

namespace fs = std::filesystem;

namespace {

const std::string kBin = ZORVEL_BIN_DIR;
const fs::path kExamples = fs::path(ZORVEL_SOURCE_DIR) / "examples";

e2e::RunResult zorvel(std::vector<std::string> args, const std::vector<std::string>& env = {}) {
  args.insert(args.begin(), kBin + "/zorvel");
  return e2e::run(args, env);
}

std::vector<std::string> linesOf(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

TEST(OptionsCommandTest, WithoutADisplayTheWindowFailsWithOneMessage) {
  ScopedWorkDir dir;
  // The first DISPLAY in the environment is the one read: an empty one.
  const auto r =
      zorvel({"--dialog=gui", (kExamples / "town.gltf").string(), "t.flt"}, {"DISPLAY="});
  EXPECT_EQ(r.status, 2);
  EXPECT_EQ(r.err,
            "zorvel: cannot show the options window: no display (use the terminal or batch "
            "dialog)\n");
  EXPECT_FALSE(fs::exists("t.flt"));
}

// The toolkit is the start-up's biggest cost: only the window view may load it.
TEST(OptionsCommandTest, OnlyTheWindowViewLoadsItsModuleAndTheToolkit) {
  ScopedWorkDir dir;
  e2e::writeBoxes("box.obj", 3);
  // The loader names every file it opens on standard error.
  const std::vector<std::string> env = {"LD_DEBUG=files", "DISPLAY="};
  for (const char* view : {"--no-prompt", "--dialog=batch", "--dialog=terminal"}) {
    SCOPED_TRACE(view);
    const auto r = zorvel({view, "--quiet", "box.obj", "box.flt"}, env);
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_NE(r.err.find("zorvel.dle"), std::string::npos) << "the loader said nothing";
    EXPECT_EQ(r.err.find(kWindowModuleFileName), std::string::npos) << r.err;
    EXPECT_EQ(r.err.find("libfltk"), std::string::npos) << r.err;
    EXPECT_EQ(r.err.find("libX11"), std::string::npos) << r.err;
  }
  const auto window = zorvel({"--dialog=gui", "--quiet", "box.obj", "box.flt"}, env);
  EXPECT_EQ(window.status, 2);  // no display, once the module is in
  EXPECT_NE(window.err.find(kWindowModuleFileName), std::string::npos);
  EXPECT_NE(window.err.find("libfltk"), std::string::npos);
}

// Without zorvel_window.so beside the plug-in the window view says so in one line
// and gives way to a view without a toolkit: the form on a terminal, else batch.
TEST(OptionsCommandTest, WithoutItsModuleTheWindowGivesWayAfterOneWarning) {
  ScopedWorkDir dir;
  e2e::writeBoxes("box.obj", 3);
  fs::create_directories("plugins");
  fs::create_symlink(kBin + "/zorvel.dle", "plugins/zorvel.dle");
  const std::string plugins = fs::absolute("plugins").string();
  // No display either: the window could not show had its module loaded.
  const std::vector<std::string> env = {"ZORVEL_PLUGIN_DIR=" + plugins, "DISPLAY="};
  const std::string warning = "zorvel: warning: cannot load " + plugins + "/" +
                              kWindowModuleFileName +
                              ": cannot open shared object file: No such file or directory; ";

  const auto batch = zorvel({"--dialog=gui", "box.obj", "batch.flt"}, env);
  EXPECT_EQ(batch.status, 0) << batch.err;
  EXPECT_EQ(batch.err, warning + "the options are taken from the command line\n");
  EXPECT_NE(batch.out.find("zorvel: wrote batch.flt: 18 faces"), std::string::npos) << batch.out;
  EXPECT_NE(batch.out.find(", 1 warning\n"), std::string::npos) << batch.out;

  // Enter keeps every field, and OK.
  const e2e::TerminalRun form =
      e2e::runInTerminal({kBin + "/zorvel", "--dialog=gui", "box.obj", "form.flt"}, 100, "",
                         std::string(20, '\n'), env);
  if (!form.noTerminal.empty()) GTEST_SKIP() << form.noTerminal;
  EXPECT_EQ(form.status, 0) << form.screen;
  EXPECT_NE(form.screen.find(warning + "the options show on the terminal\r\n"), std::string::npos)
      << form.screen;
  const size_t first = form.screen.find("cannot load");
  EXPECT_EQ(form.screen.find("cannot load", first + 1), std::string::npos) << form.screen;
  EXPECT_NE(form.screen.find("Press Enter to keep a value."), std::string::npos) << form.screen;
  EXPECT_NE(form.screen.find("zorvel: wrote form.flt: 18 faces"), std::string::npos) << form.screen;
  EXPECT_EQ(readBackFlt("form.flt").tokens, readBackFlt("batch.flt").tokens);
}

TEST(OptionsCommandTest, BatchReportsEveryBadFieldOnceWithThePrefix) {
  ScopedWorkDir dir;
  const auto r =
      zorvel({"--dialog=batch", "--quiet", "--units", "miles", "--ellipsoid", "wgs", "--projection",
              "lambert", "--origin-lat", "95", (kExamples / "town.gltf").string(), "t.flt"});
  EXPECT_EQ(r.status, 2);
  const std::vector<std::string> lines = linesOf(r.err);
  ASSERT_EQ(lines.size(), 3u) << r.err;
  EXPECT_EQ(lines[0], "zorvel: Ellipsoid: \"wgs\" fits several entries: WGS 1972, WGS 1984");
  EXPECT_EQ(lines[1].rfind("zorvel: Units: no entry \"miles\" (the list offers Feet,", 0), 0u);
  EXPECT_EQ(lines[2].rfind("zorvel: Origin Latitude: \"95\": Latitude Out Of Range", 0), 0u);
  EXPECT_FALSE(fs::exists("t.flt"));

  // The same prefixes, made unique, are taken.
  const auto ok = zorvel({"--dialog=batch", "--quiet", "--units", "NAUT", "--ellipsoid", "wgs_197",
                          "--projection", "lambert", (kExamples / "town.gltf").string(), "t.flt"});
  EXPECT_EQ(ok.status, 0) << ok.err;
  const FltHeader h = readBackFlt("t.flt").header;
  EXPECT_EQ(h.vertexUnits, 8);
  EXPECT_EQ(h.ellipsoid, 1);
  EXPECT_EQ(h.projection, 3);
}

std::string readFile(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// The header's location fields on one line.
std::string location(const FltHeader& h) {
  std::ostringstream s;
  s << h.projection << ' ' << h.ellipsoid << ' ' << int(h.vertexUnits) << ' ' << h.originLat << ' '
    << h.originLon << ' ' << h.upperLambertLat << ' ' << h.lowerLambertLat;
  return s.str();
}

TEST(OptionsCommandTest, NoPromptKeepsTheHeaderNodeValuesButRaisesNoVersion) {
  ScopedWorkDir dir;
  for (const char* name : {"town.gltf", "town.bin", "checker.png", "gradient.png"})
    fs::copy_file(kExamples / name, name);
  // The same scene whose header node asks for a version the dialog raises.
  std::string scene = readFile("town.gltf");
  const std::string version = "\"FltVersion\": \"OpenFlight_15.4\"";
  const size_t at = scene.find(version);
  ASSERT_NE(at, std::string::npos);
  scene.replace(at, version.size(), "\"FltVersion\": \"OpenFlight_15.0\"");
  std::ofstream("old.gltf", std::ios::binary) << scene;

  // Feet, Lambert Conic, Clarke 1866 and the node's coordinates.
  const std::string nodeLocation = "3 3 4 37.5 -122.25 40 35";
  struct Case {
    const char* input;
    const char* dialog;
    int revision;
  };
  for (const Case& c :
       {Case{"town.gltf", "--no-prompt", 1540}, Case{"town.gltf", "--dialog=batch", 1540},
        Case{"old.gltf", "--no-prompt", 1500}, Case{"old.gltf", "--dialog=batch", 1520}}) {
    SCOPED_TRACE(std::string(c.input) + " " + c.dialog);
    fs::remove("t.flt");
    const auto r = zorvel({c.dialog, "--quiet", c.input, "t.flt"});
    ASSERT_EQ(r.status, 0) << r.err;
    const FltHeader h = readBackFlt("t.flt").header;
    EXPECT_EQ(location(h), nodeLocation);
    EXPECT_EQ(h.formatRevision, c.revision);
  }
}

}  // namespace
