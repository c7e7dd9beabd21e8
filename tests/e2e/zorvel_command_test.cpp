// The zorvel program run as a user runs it: scenes written here, exported in a
// working directory of their own, the files checked with fltdump and, where it is
// installed, loaded by OpenSceneGraph's osgconv.
#include <gtest/gtest.h>

#include <algorithm>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

#include "tests/convert/export_test_support.h"
#include "tests/e2e/child_process.h"

namespace fs = std::filesystem;

namespace {

const std::string kBin = ZORVEL_BIN_DIR;

using e2e::Child;
using e2e::run;
using e2e::RunResult;

RunResult zorvel(std::vector<std::string> args, const std::vector<std::string>& env = {}) {
  args.insert(args.begin(), kBin + "/zorvel");
  return run(args, env);
}

size_t countMatches(const std::string& text, const std::regex& pattern) {
  return size_t(std::distance(std::sregex_iterator(text.begin(), text.end(), pattern),
                              std::sregex_iterator()));
}

std::string readFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// What OpenSceneGraph made of a file. Its loader tessellates every face of more
// than four corners into fans and strips, so faces are counted as geometries
// (one each under "preserveFace") and their area as triangles.
struct OsgCounts {
  size_t geometries = 0;
  size_t triangles = 0;
};

OsgCounts osgtCounts(const std::string& text) {
  enum Kind { kNone, kArrays, kLengths, kElements } kind = kNone;
  std::string mode;
  OsgCounts counts;
  auto trianglesOf = [&](size_t vertices) -> size_t {
    if (mode == "TRIANGLES") return vertices / 3;
    if (mode == "QUADS") return vertices / 4 * 2;
    return vertices >= 3 ? vertices - 2 : 0;  // fan, strip or polygon
  };
  std::istringstream lines(text);
  std::string word;
  while (lines >> word) {
    if (word == "osg::Geometry") ++counts.geometries;
    // A primitive set's own buffer object sits inside it.
    if (word.rfind("osg::", 0) == 0 && word.find("BufferObject") == std::string::npos) {
      kind = word == "osg::DrawArrays"                 ? kArrays
             : word == "osg::DrawArrayLengths"         ? kLengths
             : word.rfind("osg::DrawElements", 0) == 0 ? kElements
                                                       : kNone;
    } else if (kind != kNone && word == "Mode") {
      lines >> mode;
    } else if (kind == kArrays && word == "Count") {
      size_t n = 0;
      lines >> n;
      counts.triangles += trianglesOf(n);
      kind = kNone;
    } else if ((kind == kElements || kind == kLengths) && word == "vector") {
      size_t n = 0;
      lines >> n >> word;  // the count, then "{"
      if (kind == kElements) {
        counts.triangles += trianglesOf(n);
      } else {
        for (size_t i = 0, length = 0; i < n && lines >> length; ++i)
          counts.triangles += trianglesOf(length);
      }
      kind = kNone;
    }
  }
  return counts;
}

// Faces of a dump and the triangles they cover (corners - 2 each).
OsgCounts dumpCounts(const std::string& dump) {
  static const std::regex corners("corners=([0-9]+)");
  OsgCounts counts;
  counts.geometries = countMatches(dump, std::regex("FLT_FACE "));
  for (auto it = std::sregex_iterator(dump.begin(), dump.end(), corners);
       it != std::sregex_iterator(); ++it)
    counts.triangles += std::stoul((*it)[1]) - 2;
  return counts;
}

// Loads FLT into OpenSceneGraph and compares what it made with the faces written.
void expectOsgLoadsEveryFace(const std::string& flt, const std::string& dump) {
  fs::remove("osg.osgt");
  const RunResult osg = run({"/usr/bin/osgconv", "-O", "preserveFace", flt, "osg.osgt"});
  ASSERT_EQ(osg.status, 0) << osg.err;
  const OsgCounts loaded = osgtCounts(readFile("osg.osgt"));
  const OsgCounts written = dumpCounts(dump);
  EXPECT_EQ(loaded.geometries, written.geometries);
  EXPECT_EQ(loaded.triangles, written.triangles);
}

void writeFile(const std::string& path, const std::string& bytes) {
  std::ofstream(path, std::ios::binary) << bytes;
}

// `count` unit boxes, each an object of its own named b0, b1 ...
void writeBoxes(const std::string& path, int count) {
  std::ostringstream obj;
  for (int i = 0; i < count; ++i) {
    obj << "o b" << i << '\n';
    const int x = (i % 150) * 2, y = (i / 150) * 2;
    for (int c = 0; c < 8; ++c)
      obj << "v " << x + (c >> 2 & 1) << ' ' << y + (c >> 1 & 1) << ' ' << (c & 1) << '\n';
    static const int kQuads[6][4] = {{1, 3, 4, 2}, {5, 6, 8, 7}, {1, 2, 6, 5},
                                     {3, 7, 8, 4}, {1, 5, 7, 3}, {2, 4, 8, 6}};
    for (const auto& q : kQuads)
      obj << "f " << i * 8 + q[0] << ' ' << i * 8 + q[1] << ' ' << i * 8 + q[2] << ' '
          << i * 8 + q[3] << '\n';
  }
  writeFile(path, obj.str());
}

size_t lineCount(const std::string& text) {
  return size_t(std::count(text.begin(), text.end(), '\n'));
}

TEST(ZorvelCommandTest, ExportsAnObjSceneThatFltdumpAndOpenSceneGraphAccept) {
  ScopedWorkDir dir;
  // A box, a triangle and a pentagon that meets nothing else.
  writeBoxes("scene.obj", 1);
  std::ofstream("scene.obj", std::ios::app) << "o tri\nv 5 0 0\nv 6 0 0\nv 5 1 0\nf 9 10 11\n"
                                            << "o penta\nv 8 0 0\nv 9 0 0\nv 9.3 1 0\n"
                                            << "v 8.5 1.6 0\nv 7.7 1 0\nf 12 13 14 15 16\n";

  const RunResult exported = zorvel({"--dialog=batch", "--format", "15.4", "--units", "Feet",
                                     "--no-copy-textures", "scene.obj", "sub/../scene.flt"});
  ASSERT_EQ(exported.status, 0) << exported.err;
  EXPECT_EQ(exported.err.find("zorvel:"), std::string::npos) << exported.err;
  EXPECT_NE(exported.err.find("Exporting OpenFlight..."), std::string::npos);

  EXPECT_EQ(run({kBin + "/fltdump", "--check", "scene.flt"}).status, 0);
  const RunResult dump = run({kBin + "/fltdump", "scene.flt"});
  ASSERT_EQ(dump.status, 0);
  EXPECT_NE(dump.out.find("revision=1540"), std::string::npos);
  EXPECT_NE(dump.out.find("units=4(Feet)"), std::string::npos) << dump.out.substr(0, 200);
  // Six quads, the triangle, the pentagon.
  const size_t faces = countMatches(dump.out, std::regex("FLT_FACE "));
  EXPECT_EQ(faces, 8u);

  if (!fs::exists("/usr/bin/osgconv")) GTEST_SKIP() << "osgconv is not installed";
  expectOsgLoadsEveryFace("scene.flt", dump.out);
}

TEST(ZorvelCommandTest, UnreadableInputIsOneLineNamingTheFileAndLeavesTheOutputAlone) {
  ScopedWorkDir dir;
  writeFile("notes.txt", "Shopping list: eggs, flour, milk.\n");
  // Binary PLY whose header promises 100 vertices and 50 faces; 6 bytes follow.
  writeFile("cut.ply",
            "ply\nformat binary_little_endian 1.0\nelement vertex 100\nproperty float x\n"
            "property float y\nproperty float z\nelement face 50\n"
            "property list uchar int vertex_indices\nend_header\n" +
                std::string("\0\0\x80\x3f\0\0", 6));
  // Binary STL whose header promises 500 triangles.
  writeFile("cut.stl", std::string(80, ' ') + std::string("\xF4\x01\0\0", 4) + std::string(60, 0));
  writeFile("kept.flt", "the previous export");

  for (const std::string input : {"notes.txt", "cut.ply", "cut.stl", "missing.obj"}) {
    SCOPED_TRACE(input);
    const RunResult r = zorvel({"--dialog=batch", input, "new.flt"});
    EXPECT_EQ(r.status, 2);
    EXPECT_EQ(lineCount(r.err), 1u) << r.err;
    EXPECT_EQ(r.err.rfind("zorvel: cannot load " + input + ": ", 0), 0u) << r.err;
    EXPECT_FALSE(fs::exists("new.flt"));

    EXPECT_EQ(zorvel({"--dialog=batch", input, "kept.flt"}).status, 2);
    EXPECT_EQ(readFile("kept.flt"), "the previous export");
  }
  // Not even a temporary file was made.
  std::vector<std::string> names;
  for (const fs::directory_entry& e : fs::directory_iterator("."))
    names.push_back(e.path().filename().string());
  std::sort(names.begin(), names.end());
  EXPECT_EQ(names, (std::vector<std::string>{"cut.ply", "cut.stl", "kept.flt", "notes.txt"}));
}

TEST(ZorvelCommandTest, BadUsageExitsTwoWithoutWritingAnything) {
  ScopedWorkDir dir;
  writeBoxes("box.obj", 1);
  const std::vector<std::vector<std::string>> cases = {
      {"--dialog=batch", "--format", "99.9", "box.obj", "out.flt"},
      {"--dialog=batch", "--origin-lat", "north of here", "box.obj", "out.flt"},
      {"--no-prompt", "--units", "Feet", "box.obj", "out.flt"},
      {"--dialog=terminal", "--no-auto-group", "box.obj", "out.flt"},
      {"--dialog=window", "box.obj", "out.flt"},
      {"--up-axis=x", "box.obj", "out.flt"},
      {"--bogus", "box.obj", "out.flt"},
      {"box.obj"},
      {"--dialog=batch", "box.obj", "out.xyz"},
  };
  for (const auto& args : cases) {
    std::string line;
    for (const std::string& a : args) line += a + ' ';
    SCOPED_TRACE(line);
    const RunResult r = zorvel(args);
    EXPECT_EQ(r.status, 2) << r.err;
    EXPECT_FALSE(r.err.empty());
    EXPECT_FALSE(fs::exists("out.flt"));
    EXPECT_FALSE(fs::exists("out.xyz"));
  }
  const RunResult noExporter = zorvel({"--dialog=batch", "box.obj", "out.xyz"});
  EXPECT_NE(noExporter.err.find("no exporter for .xyz files"), std::string::npos) << noExporter.err;
  const RunResult noPlugin = zorvel({"box.obj", "out.flt"}, {"ZORVEL_PLUGIN_DIR=" + dir.path()});
  EXPECT_EQ(noPlugin.status, 2);
  EXPECT_NE(noPlugin.err.find("cannot load " + dir.path() + "/zorvel.dle"), std::string::npos)
      << noPlugin.err;

  // The same switches are taken where they belong, in upper-case extensions too.
  EXPECT_EQ(zorvel({"--no-prompt", "--quiet", "box.obj", "OUT.FLT"}).status, 0);
  EXPECT_TRUE(fs::exists("OUT.FLT"));
}

TEST(ZorvelCommandTest, OutputInAMissingFolderFailsNamingIt) {
  ScopedWorkDir dir;
  writeBoxes("box.obj", 1);
  const RunResult r = zorvel({"--no-prompt", "box.obj", "nowhere/out.flt"});
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.err.find(dir.path() + "/nowhere/out.flt"), std::string::npos) << r.err;
  EXPECT_FALSE(fs::exists("nowhere"));
}

TEST(ZorvelCommandTest, CancelledDialogExitsZeroWritingNothing) {
  ScopedWorkDir dir;
  writeBoxes("box.obj", 1);
  // The terminal form reads the end of input as Cancel.
  const RunResult r = zorvel({"--dialog=terminal", "box.obj", "out.flt"});
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_NE(r.err.find("cancelled; nothing written"), std::string::npos) << r.err;
  EXPECT_FALSE(fs::exists("out.flt"));
}

TEST(ZorvelCommandTest, CtrlCClosesABalancedFileAndSaysHowManyNodesItHolds) {
  ScopedWorkDir dir;
  constexpr int kBoxes = 20000;
  writeBoxes("city.obj", kBoxes);

  Child child({kBin + "/zorvel", "--dialog=batch", "city.obj", "city.flt"});
  ASSERT_TRUE(child.started());
  // The handler is in place once the progress shows.
  ASSERT_TRUE(child.waitForErr("Exporting OpenFlight...")) << child.err;
  child.signal(SIGINT);
  const int status = child.finish();
  ASSERT_EQ(status, 130) << child.err;
  // Not on a terminal: a few plain progress lines, never one per node.
  EXPECT_LE(countMatches(child.err, std::regex("Exporting OpenFlight")), 5u) << child.err;

  std::smatch said;
  ASSERT_TRUE(
      std::regex_search(child.err, said, std::regex(R"(interrupted: wrote (\d+) of (\d+) nodes)")))
      << child.err;
  const size_t written = std::stoul(said[1]);
  EXPECT_EQ(said[2], std::to_string(kBoxes));
  EXPECT_LT(written, size_t(kBoxes));

  EXPECT_EQ(run({kBin + "/fltdump", "--check", "city.flt"}).status, 0);
  const RunResult dump = run({kBin + "/fltdump", "city.flt"});
  EXPECT_EQ(countMatches(dump.out, std::regex("FLT_OBJECT ")), written);
  EXPECT_EQ(countMatches(dump.out, std::regex("FLT_FACE ")), written * 6);
}

}  // namespace

// Other tools' scenes: every one Assimp reads must export to a sound file that
// OpenSceneGraph loads with one polygon per face written.
TEST(ZorvelCommandTest, AssimpSampleScenesExportSoundFiles) {
  const fs::path models = "/usr/share/assimp/models";
  if (!fs::exists(models)) GTEST_SKIP() << "assimp-testmodels is not installed";
  const bool haveOsg = fs::exists("/usr/bin/osgconv");
  const std::vector<std::string> extensions = {".fbx", ".gltf", ".glb", ".obj",
                                               ".3ds", ".ase",  ".dae"};
  std::vector<fs::path> scenes;
  for (const auto& entry : fs::recursive_directory_iterator(models)) {
    std::string ext = entry.path().extension().string();
    std::transform(ext.begin(), ext.end(), ext.begin(), ::tolower);
    // The invalid/ folder holds files made to exhaust a reader's memory.
    if (entry.is_regular_file() && entry.path().string().find("/invalid/") == std::string::npos &&
        std::find(extensions.begin(), extensions.end(), ext) != extensions.end())
      scenes.push_back(entry.path());
  }
  std::sort(scenes.begin(), scenes.end());
  ASSERT_FALSE(scenes.empty());

  ScopedWorkDir dir;
  size_t exported = 0;
  for (const fs::path& scene : scenes) {
    SCOPED_TRACE(scene.string());
    fs::remove("out.flt");
    const RunResult result = zorvel({"--no-prompt", "--quiet", scene.string(), "out.flt"});
    if (result.status == 2) {
      // Assimp refused the file: one line naming it, and no output.
      EXPECT_NE(result.err.find(scene.string()), std::string::npos) << result.err;
      EXPECT_FALSE(fs::exists("out.flt"));
      continue;
    }
    ASSERT_EQ(result.status, 0) << result.err;
    ++exported;
    EXPECT_EQ(run({kBin + "/fltdump", "--check", "out.flt"}).status, 0);
    if (!haveOsg) continue;
    expectOsgLoadsEveryFace("out.flt", run({kBin + "/fltdump", "out.flt"}).out);
  }
  // Most samples are sound scenes; only the deliberately broken ones are refused.
  EXPECT_GT(exported, scenes.size() / 2);
}
