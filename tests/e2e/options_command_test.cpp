// The options as the zorvel program settles them: the dialog views' failures on
// standard error, and the example scene's header node with and without a dialog.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "tests/convert/export_test_support.h"
#include "tests/e2e/child_process.h"

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
