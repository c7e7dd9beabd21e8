// zorvel --dialog=gui as a user runs it on an X display (the ctest entry runs it
// in xvfb): OK typed into the options window, then the progress window's Cancel,
// both sent through the server as a keyboard would.

// Before X11, whose macros (None, Bool) would break it.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "progress/progress_module.h"
#include "tests/e2e/box_scene.h"
#include "tests/e2e/child_process.h"
#include "tests/support/temp_dir.h"
#include "tests/support/x_client.h"
#include "window/window_module.h"

namespace fs = std::filesystem;

namespace {

const std::string kBin = ZORVEL_BIN_DIR;

std::string readFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

std::vector<std::string> entries(const fs::path& dir) {
  std::vector<std::string> names;
  for (const auto& e : fs::directory_iterator(dir)) names.push_back(e.path().filename().string());
  std::sort(names.begin(), names.end());
  return names;
}

class GuiProgressCommandTest : public ::testing::Test {
 protected:
  void SetUp() override {
    const char* display = std::getenv("DISPLAY");
    if (!display || !*display) GTEST_SKIP() << "no DISPLAY (the xvfb-run ctest entry runs these)";
    ASSERT_TRUE(server_.connected());
  }

  // Presses OK in the options window with its default key, once it is up.
  void pressOk(e2e::Child& child) {
    const Window options = server_.waitFor("OpenFlight Export", 60);
    if (!options) child.signal(SIGTERM);
    ASSERT_NE(options, 0u) << "no options window; zorvel said: " << (child.finish(), child.err);
    server_.pressKey(options, XK_Return);
    options_ = options;
  }

  XClient server_;
  Window options_ = 0;
};

TEST_F(GuiProgressCommandTest, CancelInTheProgressWindowEndsAsCtrlCDoesButWithStatusZero) {
  ScopedWorkDir dir;
  e2e::writeBoxes("city.obj", 30000);
  std::ofstream("city.mtl") << "newmtl m\nKd 1 0 0\nmap_Kd wood.ppm\n";
  std::ofstream("wood.ppm") << "P6 2 2 255\n" << std::string(12, 'x');
  std::ofstream("city.obj", std::ios::app) << "mtllib city.mtl\nusemtl m\n";
  fs::create_directories("out");
  std::ofstream("out/city.flt") << "the good old file";
  const std::vector<std::string> before = entries("."), beforeOut = entries("out");

  e2e::Child child({kBin + "/zorvel", "--dialog=gui", "city.obj", "out/"});
  ASSERT_TRUE(child.started());
  ASSERT_NO_FATAL_FAILURE(pressOk(child));
  const Window progress = server_.waitFor("Export Progress", 60);
  ASSERT_NE(progress, 0u) << "no progress window";
  // The options window left the screen before the export began.
  EXPECT_FALSE(server_.viewable(options_));
  server_.pressKey(progress, XK_Escape);  // Cancel's key

  EXPECT_EQ(child.finish(), 0) << child.err;
  int done = -1, total = -1;
  ASSERT_EQ(std::sscanf(child.err.c_str(), "zorvel: cancelled after %d of %d", &done, &total), 2)
      << child.err;
  EXPECT_EQ(child.err, "zorvel: cancelled after " + std::to_string(done) + " of " +
                           std::to_string(total) +
                           " nodes; nothing written, out/city.flt left as it was\n");
  EXPECT_LT(done, total);
  EXPECT_EQ(child.out, "");
  EXPECT_EQ(readFile("out/city.flt"), "the good old file");
  EXPECT_EQ(entries("."), before);
  EXPECT_EQ(entries("out"), beforeOut);
  EXPECT_FALSE(server_.viewable(progress));
}

TEST_F(GuiProgressCommandTest, WithoutItsModuleTheProgressGoesToTheTerminalAfterOneWarning) {
  ScopedWorkDir dir;
  e2e::writeBoxes("box.obj", 3);
  // The plug-in folder holds zorvel.dle and the options window alone.
  fs::create_directories("plugins");
  for (const std::string name : {"zorvel.dle", kWindowModuleFileName})
    fs::create_symlink(kBin + "/" + name, "plugins/" + name);
  e2e::Child child({kBin + "/zorvel", "--dialog=gui", "box.obj", "box.flt"},
                   {"ZORVEL_PLUGIN_DIR=" + fs::absolute("plugins").string()});
  ASSERT_NO_FATAL_FAILURE(pressOk(child));
  EXPECT_EQ(child.finish(), 0) << child.err;
  const std::string module = fs::absolute("plugins").string() + "/" + kProgressModuleFileName;
  EXPECT_EQ(child.err.rfind("zorvel: warning: cannot load " + module + ": ", 0), 0u) << child.err;
  EXPECT_NE(child.err.find("; progress shows on the terminal\n"), std::string::npos) << child.err;
  EXPECT_EQ(std::count(child.err.begin(), child.err.end(), '\n'), 1) << child.err;
  EXPECT_NE(child.out.find("zorvel: wrote box.flt: 18 faces"), std::string::npos) << child.out;
  EXPECT_NE(child.out.find(", 1 warning\n"), std::string::npos) << child.out;
  EXPECT_EQ(server_.find("Export Progress"), 0u);
}

}  // namespace
