// The zorvel program run as a user runs it: scenes written here, exported in a
// working directory of their own, the files checked with fltdump and, where it is
// installed, loaded by OpenSceneGraph's osgconv.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

#include "tests/convert/export_test_support.h"
#include "tests/e2e/box_scene.h"
#include "tests/e2e/child_process.h"
#include "tests/e2e/terminal_run.h"

namespace fs = std::filesystem;

namespace {

const std::string kBin = ZORVEL_BIN_DIR;

using e2e::Child;
using e2e::run;
using e2e::RunResult;
using e2e::writeBoxes;

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

// The pieces between any of `separators`.
std::vector<std::string> split(const std::string& text, const std::string& separators) {
  std::vector<std::string> pieces(1);
  for (char c : text) {
    if (separators.find(c) != std::string::npos)
      pieces.emplace_back();
    else
      pieces.back() += c;
  }
  return pieces;
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
  // Off a terminal no progress shows: standard error stays empty without warnings.
  EXPECT_EQ(exported.err, "");

  EXPECT_EQ(run({kBin + "/fltdump", "--check", "scene.flt"}).status, 0);
  const RunResult dump = run({kBin + "/fltdump", "--vertices", "scene.flt"});
  ASSERT_EQ(dump.status, 0);
  EXPECT_NE(dump.out.find("revision=1540"), std::string::npos);
  EXPECT_NE(dump.out.find("units=4(Feet)"), std::string::npos) << dump.out.substr(0, 200);
  // Six quads, the triangle, the pentagon.
  const size_t faces = countMatches(dump.out, std::regex("FLT_FACE "));
  EXPECT_EQ(faces, 8u);

  // The one line on standard output tells what the file holds, as fltdump reads it.
  std::smatch said;
  ASSERT_TRUE(std::regex_match(
      exported.out, said,
      std::regex(R"(zorvel: wrote sub/\.\./scene\.flt: (\d+) faces, (\d+) vertices, 0 materials, )"
                 R"(0 textures, (\d+) KiB, [0-9.]+ s, 0 warnings\n)")))
      << exported.out;
  EXPECT_EQ(std::stoul(said[1]), faces);
  EXPECT_EQ(std::stoul(said[2]), countMatches(dump.out, std::regex("FLT_VERTEX_W")));
  EXPECT_EQ(std::stoul(said[3]), (fs::file_size("scene.flt") + 1023) / 1024);
  EXPECT_EQ(zorvel({"--no-prompt", "--quiet", "scene.obj", "quiet.flt"}).out, "");

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
  for (const char* flag : {"--bogus", "-x"}) {
    const RunResult unknown = zorvel({flag, "box.obj", "out.flt"});
    EXPECT_EQ(unknown.err.rfind(std::string("zorvel: unknown option ") + flag + "\n", 0), 0u)
        << unknown.err;
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

TEST(ZorvelCommandTest, OutputIsSettledBeforeTheSceneLoads) {
  ScopedWorkDir dir;
  writeBoxes("box.obj", 1);
  fs::create_directory("out");
  fs::create_directories("out/taken.flt/missing.flt");
  // The input does not exist: a message about the output shows nothing was loaded.
  const std::pair<std::string, std::string> refused[] = {
      {"nowhere/out.flt", "cannot write nowhere/out.flt: folder nowhere does not exist"},
      {"nowhere/", "cannot write nowhere/missing.flt: folder nowhere does not exist"},
      {"out/taken.flt", "cannot write out/taken.flt/missing.flt: it is a folder"},
      {"box.obj/x.flt", "cannot write box.obj/x.flt: box.obj is not a folder"},
      {"", "the output path is empty"},
  };
  for (const auto& [output, message] : refused) {
    SCOPED_TRACE(output);
    const RunResult r = zorvel({"--no-prompt", "missing.obj", output});
    EXPECT_EQ(r.status, 2);
    EXPECT_EQ(r.err.rfind("zorvel: " + message, 0), 0u) << r.err;
    EXPECT_EQ(lineCount(r.err), 1u) << r.err;
  }
  const RunResult self = zorvel({"--no-prompt", "box.obj", "./box.obj"});
  EXPECT_EQ(self.status, 2);
  EXPECT_NE(self.err.find("cannot write ./box.obj: it is the input file"), std::string::npos);
  EXPECT_EQ(readFile("box.obj").rfind("o b0\n", 0), 0u);

  // A folder, with or without its slash, takes the input's stem.
  EXPECT_EQ(zorvel({"--no-prompt", "--quiet", "box.obj", "out"}).status, 0);
  EXPECT_TRUE(fs::exists("out/box.flt"));
  fs::remove("out/box.flt");
  EXPECT_EQ(zorvel({"--no-prompt", "--quiet", "box.obj", "out/"}).status, 0);
  EXPECT_TRUE(fs::exists("out/box.flt"));
  EXPECT_EQ(zorvel({"--no-prompt", "--quiet", "box.obj", "out/taken.flt"}).status, 0);
  EXPECT_TRUE(fs::is_regular_file("out/taken.flt/box.flt"));
}

TEST(ZorvelCommandTest, ManyInputsGoToOneFolderAndOneBadFileStopsNoOther) {
  ScopedWorkDir dir;
  writeBoxes("box.obj", 2);
  writeBoxes("city.obj", 50);
  writeFile("bad.obj", "this is no scene\n");
  fs::create_directories("out1");
  fs::create_directories("out2");

  const RunResult two = zorvel({"-j", "2", "box.obj", "bad.obj", "city.obj", "-o", "out2"});
  EXPECT_EQ(two.status, 1) << two.err;
  EXPECT_EQ(countMatches(two.out, std::regex("zorvel: wrote out2/(box|city)\\.flt: ")), 2u)
      << two.out;
  EXPECT_EQ(countMatches(two.err, std::regex("zorvel: cannot load bad\\.obj: ")), 1u) << two.err;
  EXPECT_NE(two.err.find("zorvel: exported 2 of 3 files into out2"), std::string::npos);
  EXPECT_FALSE(fs::exists("out2/bad.flt"));

  // One at a time gives the same files; all good is exit 0.
  const RunResult one = zorvel({"-j1", "--quiet", "box.obj", "city.obj", "-o", "out1"});
  EXPECT_EQ(one.status, 0) << one.err;
  EXPECT_EQ(one.out, "");
  for (const char* name : {"box.flt", "city.flt"}) {
    EXPECT_EQ(readFile(std::string("out1/") + name), readFile(std::string("out2/") + name));
    EXPECT_EQ(run({kBin + "/fltdump", "--check", std::string("out1/") + name}).status, 0);
  }

  // Refused before any export: one name for two inputs, a dialog per file, a bad folder.
  fs::create_directories("sub");
  fs::copy_file("box.obj", "sub/box.obj");
  fs::create_directories("out3");
  const RunResult same = zorvel({"box.obj", "city.obj", "sub/box.obj", "-o", "out3"});
  EXPECT_EQ(same.status, 2);
  EXPECT_NE(same.err.find("box.obj and sub/box.obj would both be written to out3/box.flt"),
            std::string::npos)
      << same.err;
  EXPECT_EQ(zorvel({"--dialog=terminal", "box.obj", "city.obj", "-o", "out3"}).status, 2);
  EXPECT_EQ(zorvel({"box.obj", "city.obj", "-o", "nowhere"}).status, 2);
  EXPECT_TRUE(fs::is_empty("out3"));
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

TEST(ZorvelCommandTest, OnATerminalTheBarsFitItsWidthAndTheExportEndsAtHundred) {
  ScopedWorkDir dir;
  writeBoxes("city.obj", 400);
  for (int columns : {40, 120}) {
    SCOPED_TRACE(columns);
    const e2e::TerminalRun r =
        e2e::runInTerminal({kBin + "/zorvel", "--dialog=batch", "city.obj", "city.flt"}, columns);
    if (!r.noTerminal.empty()) GTEST_SKIP() << r.noTerminal;
    EXPECT_EQ(r.status, 0) << r.screen;
    std::string text = std::regex_replace(r.screen, std::regex("\x1b\\[K"), "");
    // Every redraw starts at the line's beginning; printed messages may wrap, bars never.
    size_t bars = 0;
    std::string lastExportBar;
    for (const std::string& piece : split(text, "\r\n")) {
      if (piece.rfind("zorvel: ", 0) == 0 || piece.empty()) continue;
      ++bars;
      EXPECT_LT(piece.size(), size_t(columns)) << piece;
      if (piece.rfind("Exporting OpenFlight...", 0) == 0) lastExportBar = piece;
    }
    EXPECT_GT(bars, 10u);
    EXPECT_NE(text.find("Loading city.obj..."), std::string::npos) << text;
    EXPECT_EQ(lastExportBar.substr(lastExportBar.size() - 4), "100%") << lastExportBar;
    EXPECT_NE(text.find("zorvel: wrote city.flt: 2400 faces"), std::string::npos) << text;
  }
}

// A stranger's scene names its embedded images after files of the user's.
TEST(ZorvelCommandTest, EmbeddedImagesWaitForTheExportAndLeaveTheUsersFilesAlone) {
  ScopedWorkDir dir;
  const std::string png =
      "iVBORw0KGgoAAAANSUhEUgAAAAMAAAACCAIAAAASFvFNAAAAEElEQVR4nGP4z8AAQQxwFgBB0gX7h/C5SAAAAABJRU"
      "5ErkJggg==";
  const std::string mesh =
      R"({"primitives":[{"attributes":{"POSITION":0,"TEXCOORD_0":1},"material":M}]})";
  writeFile("s.gltf",
            R"({"asset":{"version":"2.0"},"scene":0,"scenes":[{"nodes":[0,1]}],
"nodes":[{"name":"a","mesh":0},{"name":"b","mesh":1}],"meshes":[)" +
                std::regex_replace(mesh, std::regex("M"), "0") + "," +
                std::regex_replace(mesh, std::regex("M"), "1") + R"(],
"materials":[{"pbrMetallicRoughness":{"baseColorTexture":{"index":0}}},
  {"pbrMetallicRoughness":{"baseColorTexture":{"index":1}}}],
"textures":[{"source":0},{"source":1}],
"images":[{"name":"o.flt","uri":"data:image/png;base64,)" +
                png + R"("},{"name":"../keep.txt","uri":"data:image/png;base64,)" + png +
                R"("}],
"buffers":[{"byteLength":60,"uri":"data:application/octet-stream;base64,AAAAAAAAAAAAAAAAAACAPwAAAAAAAAAAAAAAAAAAgD8AAAAAAAAAAAAAAAAAAIA/AAAAAAAAAAAAAIA/"}],
"bufferViews":[{"buffer":0,"byteLength":36},{"buffer":0,"byteOffset":36,"byteLength":24}],
"accessors":[{"bufferView":0,"componentType":5126,"count":3,"type":"VEC3","min":[0,0,0],
  "max":[1,1,0]},{"bufferView":1,"componentType":5126,"count":3,"type":"VEC2"}]})");
  fs::create_directory("out");
  writeFile("out/o.flt", "a good old export");
  writeFile("out/keep.txt", "the user's notes");
  const auto listing = [] {
    std::vector<std::string> names;
    for (const fs::directory_entry& e : fs::directory_iterator("out"))
      names.push_back(e.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
  };

  // Refused by the dialog: loading the scene wrote nothing.
  EXPECT_EQ(zorvel({"--dialog=batch", "--format", "99.9", "s.gltf", "out/o.flt"}).status, 2);
  EXPECT_EQ(listing(), (std::vector<std::string>{"keep.txt", "o.flt"}));
  EXPECT_EQ(readFile("out/o.flt"), "a good old export");
  // Accepted, then failed (the disk full): the images are written only after a success.
  if (fs::exists("/usr/bin/prlimit")) {
    EXPECT_EQ(run({"/usr/bin/prlimit", "--fsize=2000", kBin + "/zorvel", "--dialog=batch", "s.gltf",
                   "out/o.flt"})
                  .status,
              1);
    EXPECT_EQ(listing(), (std::vector<std::string>{"keep.txt", "o.flt"}));
  }

  const RunResult r = zorvel({"--dialog=batch", "s.gltf", "out/o.flt"});
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(readFile("out/keep.txt"), "the user's notes");
  EXPECT_EQ(readFile("out/keep.txt.png").substr(1, 3), "PNG");
  EXPECT_EQ(readFile("out/o.flt.png").substr(1, 3), "PNG");
  EXPECT_EQ(run({kBin + "/fltdump", "--check", "out/o.flt"}).status, 0);
  const RunResult dump = run({kBin + "/fltdump", "out/o.flt"});
  EXPECT_NE(dump.out.find("file=\"o.flt.png\""), std::string::npos) << dump.out;
  EXPECT_NE(dump.out.find("file=\"keep.txt.png\""), std::string::npos) << dump.out;
  EXPECT_FALSE(fs::exists("keep.txt.png")) << "nothing lands outside the output folder";
}

// The reader is Assimp, fed other people's files: a crash or a hang in it is one
// line naming the file, and so is Ctrl-C while it reads.
TEST(ZorvelCommandTest, AReaderThatCrashesOrHangsIsOneLineNamingTheFile) {
  ScopedWorkDir dir;
  // Nested deeper than Assimp's glTF reader's recursion survives; ours refuses it.
  std::string nodes;
  constexpr int kDepth = 30000;
  for (int i = 0; i < kDepth; ++i)
    nodes +=
        "{\"name\":\"n" + std::to_string(i) + "\",\"children\":[" + std::to_string(i + 1) + "]},";
  writeFile("deep.gltf",
            R"({"asset":{"version":"2.0"},"scene":0,"scenes":[{"nodes":[0]}],"nodes":[)" + nodes +
                R"({"name":"leaf"}]})");
  // A PLY header cut short, on which the reader never returns.
  writeFile("cut.ply", "ply\nformat ascii 1.0\nelement vertex 3\nproperty float x\n");

  const RunResult refused = zorvel({"--dialog=batch", "deep.gltf", "deep.flt"});
  EXPECT_EQ(refused.status, 2);
  EXPECT_EQ(refused.err,
            "zorvel: cannot load deep.gltf: its node tree is deeper than 4096 levels\n");
  const RunResult crashed = zorvel({"--dialog=batch", "--reader=assimp", "deep.gltf", "deep.flt"});
  EXPECT_EQ(crashed.status, 2);
  // The signal's name follows (a sanitizer build aborts where a plain one faults).
  EXPECT_NE(crashed.err.find("zorvel: the reader crashed on deep.gltf ("), std::string::npos)
      << crashed.err;
  const RunResult hung = zorvel({"--dialog=batch", "--load-timeout=1", "cut.ply", "cut.flt"});
  EXPECT_EQ(hung.status, 2);
  EXPECT_EQ(hung.err, "zorvel: the reader gave no answer in 1 s on cut.ply (--load-timeout)\n");

  Child child({kBin + "/zorvel", "-v", "--dialog=batch", "cut.ply", "cut.flt"});
  ASSERT_TRUE(child.waitForErr("Loading cut.ply...")) << child.err;
  child.signal(SIGINT);
  EXPECT_EQ(child.finish(), 130);
  EXPECT_NE(child.err.find("zorvel: interrupted while loading cut.ply; nothing written\n"),
            std::string::npos)
      << child.err;
  EXPECT_FALSE(fs::exists("deep.flt"));
  EXPECT_FALSE(fs::exists("cut.flt"));
}

// Every entry of the working directory, hidden ones too.
std::vector<std::string> entries() {
  std::vector<std::string> names;
  for (const auto& e : fs::directory_iterator(".")) names.push_back(e.path().filename().string());
  std::sort(names.begin(), names.end());
  return names;
}

// A full disk, as a file-size limit gives it: the export fails saying so, and the
// old output and the folder stay as they were.
TEST(ZorvelCommandTest, AFullDiskFailsTheExportAndLeavesTheFolderAsItWas) {
  if (!fs::exists("/usr/bin/prlimit")) GTEST_SKIP() << "prlimit is not installed";
  ScopedWorkDir dir;
  writeBoxes("city.obj", 2000);
  std::ofstream("city.flt") << "the good old file";
  const std::vector<std::string> before = entries();
  const RunResult full = run({"/usr/bin/prlimit", "--fsize=20000", kBin + "/zorvel",
                              "--dialog=batch", "city.obj", "city.flt"});
  EXPECT_EQ(full.status, 1) << full.err;
  EXPECT_NE(full.err.find("/city.flt: File too large"), std::string::npos) << full.err;
  EXPECT_EQ(readFile("city.flt"), "the good old file");
  EXPECT_EQ(entries(), before);
}

// Ctrl-C while loading or exporting, and kill -9, leave the old output as it was
// and nothing new beside it.
TEST(ZorvelCommandTest, InterruptionsLeaveTheOldOutputAndNothingElse) {
  ScopedWorkDir dir;
  constexpr int kBoxes = 20000;
  writeBoxes("city.obj", kBoxes);
  std::ofstream("city.mtl") << "newmtl m\nKd 1 0 0\nmap_Kd wood.ppm\n";
  std::ofstream("wood.ppm") << "P6 2 2 255\n" << std::string(12, 'x');
  std::ofstream("city.obj", std::ios::app) << "mtllib city.mtl\nusemtl m\n";
  std::ofstream("city.flt") << "the good old file";
  fs::create_directories("out");
  std::ofstream("out/city.flt") << "the good old file";
  const std::vector<std::string> before = entries();

  for (const char* stage : {"Loading city.obj", "Exporting OpenFlight..."}) {
    SCOPED_TRACE(stage);
    Child child(
        {kBin + "/zorvel", "-v", "--dialog=batch", "--copy-textures", "city.obj", "out/city.flt"});
    ASSERT_TRUE(child.started());
    ASSERT_TRUE(child.waitForErr(stage)) << child.err;
    child.signal(SIGINT);
    ASSERT_EQ(child.finish(), 130) << child.err;
    EXPECT_EQ(countMatches(child.err, std::regex("interrupted")), 1u) << child.err;
    EXPECT_NE(child.err.find("nothing written"), std::string::npos) << child.err;
    EXPECT_EQ(readFile("out/city.flt"), "the good old file");
    EXPECT_EQ(entries(), before);
    std::vector<std::string> out;
    for (const auto& e : fs::directory_iterator("out")) out.push_back(e.path().filename());
    EXPECT_EQ(out, std::vector<std::string>{"city.flt"});
  }

  // Killed, it leaves no file of its own, where the file system has unnamed files.
  const int probe = open(".", O_TMPFILE | O_WRONLY, 0600);
  if (probe < 0) GTEST_SKIP() << "this file system has no unnamed files (O_TMPFILE)";
  close(probe);
  Child child({kBin + "/zorvel", "-v", "--dialog=batch", "city.obj", "city.flt"});
  ASSERT_TRUE(child.waitForErr("Exporting OpenFlight...")) << child.err;
  child.signal(SIGKILL);
  static_cast<void>(child.finish());
  EXPECT_EQ(readFile("city.flt"), "the good old file");
  EXPECT_EQ(entries(), before);
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
