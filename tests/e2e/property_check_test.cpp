// Property checks as a user meets them: small glTF scenes with typing mistakes in
// their nodes' extras, exported by the zorvel program. Each mistake is one warning
// naming the node and the key, the export closes with a count, and the written
// files stay as the exporter wrote them before it checked anything.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <regex>
#include <string>
#include <vector>

#include "tests/e2e/child_process.h"
#include "tests/support/temp_dir.h"

namespace fs = std::filesystem;

namespace {

const std::string kBin = ZORVEL_BIN_DIR;

using e2e::run;
using e2e::RunResult;

RunResult zorvel(std::vector<std::string> args) {
  args.insert(args.begin(), kBin + "/zorvel");
  return run(args);
}

std::string readFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void writeFile(const std::string& path, const std::string& bytes) {
  std::ofstream(path, std::ios::binary) << bytes;
}

std::string digest(const std::string& bytes) {
  uint64_t h = 1469598103934665603ull;
  for (unsigned char c : bytes) h = (h ^ c) * 1099511628211ull;
  char text[17];
  std::snprintf(text, sizeof text, "%016llx", static_cast<unsigned long long>(h));
  return text;
}

// A node of a test scene: its extras as the inside of a JSON object, its children
// by index; every node with a mesh shares one triangle.
struct Node {
  std::string name;
  std::string extras;
  std::vector<int> children = {};
  bool mesh = true;
};

// Nodes that are no node's child are the scene's roots.
void writeScene(const std::string& path, const std::vector<Node>& nodes) {
  std::vector<bool> isChild(nodes.size());
  for (const Node& n : nodes)
    for (int c : n.children) isChild[size_t(c)] = true;
  std::string list, roots;
  for (size_t i = 0; i < nodes.size(); ++i) {
    const Node& n = nodes[i];
    std::string children;
    for (int c : n.children) children += (children.empty() ? "" : ",") + std::to_string(c);
    list += std::string(i ? "," : "") + "{\"name\":\"" + n.name + "\"" +
            (n.mesh ? ",\"mesh\":0" : "") +
            (children.empty() ? "" : ",\"children\":[" + children + "]") +
            (n.extras.empty() ? "" : ",\"extras\":{" + n.extras + "}") + "}";
    if (!isChild[i]) roots += (roots.empty() ? "" : ",") + std::to_string(i);
  }
  writeFile(path, R"({"asset":{"version":"2.0"},"scene":0,"scenes":[{"nodes":[)" + roots +
                      R"(]}],"nodes":[)" + list +
                      R"(],"meshes":[{"primitives":[{"attributes":{"POSITION":0}}]}],
"buffers":[{"byteLength":36,"uri":"data:application/octet-stream;base64,AAAAAAAAAAAAAAAAAACAPwAAAAAAAAAAAAAAAAAAgD8AAAAA"}],
"bufferViews":[{"buffer":0,"byteLength":36}],
"accessors":[{"bufferView":0,"componentType":5126,"count":3,"type":"VEC3","min":[0,0,0],
  "max":[1,1,0]}]})");
}

// One scene of each kind of finding, the digest of the file the exporter wrote
// for it before the checks came, and a piece of each warning it gives.
struct FindingScene {
  const char* name;
  std::vector<Node> nodes;
  const char* digest;
  std::vector<std::string> warnings = {};
  const char* count = "";
};

std::vector<FindingScene> findingScenes() {
  return {
      {"unknown",
       {{"a", R"("FltLodMx":5,"FltTerain":"Yes","fltterrain":"Yes","FltQwertyUiop":1)"}},
       "c35cc3353a8b602e",
       {R"(node "a": unknown property FltLodMx; did you mean FltLodMax?)",
        R"(node "a": unknown property FltTerain; did you mean FltTerrain?)",
        R"(node "a": unknown property fltterrain; did you mean FltTerrain?)",
        R"(node "a": unknown property FltQwertyUiop)"},
       "4 property warnings on 1 node"},
      {"no_effect",
       {{"obj", R"("FltObjNoDay":"Yes")"},
        {"lod", R"("FltType":"LOD","FltTerrain":"Yes")", {2}},
        {"near", ""},
        {"plain", R"("FltGrpLayer":2,"FltUnits":"Feet")", {4}, false},
        {"leaf", R"("FltComment":"hello")"}},
       "a1ccf8ed1d46e015",
       {R"(node "obj": FltObjNoDay has no effect: object records take no properties)",
        R"(node "lod": FltTerrain has no effect: the node becomes a level of detail)",
        R"(node "plain": FltGrpLayer has no effect: without FltType)",
        R"(node "plain": FltUnits has no effect: header properties are read from the node )"
        R"(named FLT_HEADER only)",
        R"(node "leaf": FltComment has no effect)"},
       "5 property warnings on 4 nodes"},
      {"values",
       {{"v", R"("FltSuperFace":"Yes","FltUseMaterial":"maybe","FltTerrain":"Maybe",)"
              R"("FltLightMode":"Face_Color_Flatt","FltFaceColor":"red")"},
        {"sw",
         R"("FltType":"Switch","FltSwitchCurr":"abc","FltSwitchMaskWidth":1,)"
         R"("FltSwitchMaskCount":1,"FltSwitchMaskData":"zz")",
         {2}},
        {"one", ""},
        {"lodv", R"("FltType":"LOD","FltLodMax":"ten")", {4}},
        {"two", ""}},
       "a1a35b1974e15c15",
       {R"(node "v": FltSuperFace = Yes is not a whole number)",
        R"(node "v": FltUseMaterial = maybe is not Yes or No)",
        R"(node "v": FltTerrain = Maybe is not one of No, Yes)",
        R"(node "v": FltLightMode = Face_Color_Flatt is not one of Face Color Flat, )"
        R"(Vertex Color Flat, Face Color Smooth, Vertex Color Smooth (exactly so, _ for a )"
        R"(space); the record keeps its default; did you mean Face Color Flat?)",
        R"(node "v": FltFaceColor = red is not hex digits)",
        R"(node "sw": FltSwitchCurr = abc is not a whole number)",
        R"(node "sw": FltSwitchMaskData = zz is not hex digits)",
        R"(node "lodv": FltLodMax = ten is not a number)"},
       "8 property warnings on 3 nodes"},
      {"types",
       {{"t", R"("FltType":"LODD")"},
        {"lp", R"("FltType":"Light_Point","FltLtPtIntensity":2)", {2, 3}, false},
        {"lamp1", R"("FltType":"FltLightVtx")"},
        {"lamp2", R"("FltType":"fltlightvtx")"},
        {"g", R"("FltType":"Group")", {5}, false},
        {"stray", R"("FltType":"FltLightVtx")"}},
       "4c653d843f49b942",
       {R"(node "t": FltType = LODD names no node kind; did you mean LOD? Accepted)",
        R"(node "lamp2": FltType = fltlightvtx: did you mean FltLightVtx?)",
        R"(node "stray": FltType = FltLightVtx has no effect: the node's parent is no light )"
        R"(point or light-string face)"},
       "3 property warnings on 3 nodes"},
      {"swapped",
       {{"far", R"("FltType":"LOD","FltLodMin":10,"FltLodMax":500)", {1}}, {"m", ""}},
       "220bb69e68f5e52e",
       {R"(node "far": the distances look swapped: FltLodMin holds the switch-in (far) )"
        R"(distance, 10, and FltLodMax the switch-out (near) one, 500)"},
       "1 property warning on 1 node"},
  };
}

TEST(PropertyCheckTest, FindingScenesExportTheBytesTheyDidBefore) {
  ScopedWorkDir dir;
  for (const FindingScene& scene : findingScenes()) {
    const std::string input = std::string(scene.name) + ".gltf";
    const std::string output = std::string(scene.name) + ".flt";
    writeScene(input, scene.nodes);
    const RunResult r = zorvel({"--dialog=batch", "--quiet", input, output});
    ASSERT_EQ(r.status, 0) << scene.name << ": " << r.err;
    EXPECT_EQ(digest(readFile(output)), scene.digest) << scene.name << ":\n" << r.err;
  }
}

// The warning lines of an export's standard error, without their prefix.
std::vector<std::string> warningLines(const std::string& err) {
  std::vector<std::string> lines;
  const std::string prefix = "zorvel: warning: ";
  size_t pos = 0;
  while (pos < err.size()) {
    size_t end = err.find('\n', pos);
    if (end == std::string::npos) end = err.size();
    const std::string line = err.substr(pos, end - pos);
    if (line.rfind(prefix, 0) == 0) lines.push_back(line.substr(prefix.size()));
    pos = end + 1;
  }
  return lines;
}

// Every finding is one warning line, in the order of the scene, and the count
// closes the summary line; --quiet drops the summary line but neither of them.
TEST(PropertyCheckTest, EachFindingIsOneWarningAndTheExportCountsThem) {
  ScopedWorkDir dir;
  for (const FindingScene& scene : findingScenes()) {
    const std::string input = std::string(scene.name) + ".gltf";
    writeScene(input, scene.nodes);
    const RunResult r = zorvel({"--dialog=batch", input, "out.flt"});
    ASSERT_EQ(r.status, 0) << scene.name << ": " << r.err;
    const std::vector<std::string> lines = warningLines(r.err);
    ASSERT_EQ(lines.size(), scene.warnings.size()) << scene.name << ":\n" << r.err;
    for (size_t i = 0; i < lines.size(); ++i)
      EXPECT_EQ(lines[i].rfind(scene.warnings[i], 0), 0u) << scene.name << ": " << lines[i];
    const std::string tail = ", " + std::to_string(lines.size()) + " warning" +
                             (lines.size() == 1 ? "" : "s") + " (" + scene.count + ")\n";
    EXPECT_NE(r.out.find(tail), std::string::npos) << scene.name << ": " << r.out;

    const RunResult quiet = zorvel({"--dialog=batch", "--quiet", input, "out.flt"});
    EXPECT_EQ(quiet.out, "");
    EXPECT_EQ(warningLines(quiet.err), lines) << scene.name;
    EXPECT_NE(quiet.err.find(std::string("zorvel: ") + scene.count + "\n"), std::string::npos)
        << quiet.err;
  }
}

// A node named twice for one key and a mistake repeated on many nodes: once per
// node and key, and the count says how many nodes.
TEST(PropertyCheckTest, AFindingComesOncePerNodeAndKey) {
  ScopedWorkDir dir;
  std::vector<Node> nodes;
  for (int i = 0; i < 3; ++i) nodes.push_back({"n" + std::to_string(i), R"("FltTerrain":"yes")"});
  writeScene("s.gltf", nodes);
  // A second line of the same key only the user text can hold.
  std::string scene = readFile("s.gltf");
  scene.replace(scene.find(R"("FltTerrain":"yes")"), 18,
                R"("userText":"FltHidden = Yes\nFltHidden = No\n","FltTerrain":"yes")");
  writeFile("s.gltf", scene);
  const RunResult r = zorvel({"--dialog=batch", "--quiet", "s.gltf", "s.flt"});
  ASSERT_EQ(r.status, 0) << r.err;
  const std::vector<std::string> lines = warningLines(r.err);
  ASSERT_EQ(lines.size(), 4u) << r.err;
  EXPECT_EQ(lines[0],
            R"(node "n0": FltHidden is given more than once; only the first line is read)");
  EXPECT_EQ(lines[1].rfind(R"(node "n0": FltTerrain = yes is not one of No, Yes)", 0), 0u);
  EXPECT_NE(lines[1].find("did you mean Yes?"), std::string::npos) << lines[1];
  EXPECT_EQ(lines[2].rfind(R"(node "n1": FltTerrain = yes)", 0), 0u);
  EXPECT_EQ(lines[3].rfind(R"(node "n2": FltTerrain = yes)", 0), 0u);
  EXPECT_NE(r.err.find("zorvel: 4 property warnings on 3 nodes\n"), std::string::npos) << r.err;
}

// What a user who read the reference types: no warning at all, and no count.
TEST(PropertyCheckTest, ACleanSceneGivesNoWarning) {
  ScopedWorkDir dir;
  writeScene(
      "clean.gltf",
      {{"far", R"("FltType":"LOD","FltLodMin":500,"FltLodMax":10)", {1}},
       {"m", R"("FltTerrain":"Yes","FltFaceColor":"FF0000FF","FltLightMode":"Face_Color_Flat",)"
             R"("FltSuperFace":0,"FltUseMaterial":"no","FltDrawType":1)"},
       {"sw",
        R"("FltType":"switch","FltSwitchCurr":0,"FltSwitchMaskWidth":1,)"
        R"("FltSwitchMaskCount":1,"FltSwitchMaskData":"01000000")",
        {3}},
       {"one", ""},
       {"lp", R"("FltType":"FLT_LIGHT_POINT","FltLtPtIntensity":2,"FltVectorZ":1)", {5}, false},
       {"lamp", R"("FltType":"FltLightVtx")"},
       {"FLT_HEADER", R"("FltUnits":"Feet","FltOriginLat":45)", {}, false},
       {"grp", R"("FltType":"Group","FltGrpLayer":2)", {8}, false},
       {"leaf", "", {}, true}});
  const RunResult r = zorvel({"--dialog=batch", "clean.gltf", "clean.flt"});
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.err, "");
  EXPECT_NE(r.out.find(", 0 warnings\n"), std::string::npos) << r.out;
}

std::vector<std::string> listing(const std::string& folder) {
  std::vector<std::string> names;
  for (const fs::directory_entry& e : fs::recursive_directory_iterator(folder))
    names.push_back(e.path().string() + " " +
                    std::to_string(fs::is_regular_file(e.path()) ? fs::file_size(e.path()) : 0));
  std::sort(names.begin(), names.end());
  return names;
}

// A scene holding an image of its own, which an export writes beside the output.
void writeTexturedScene(const std::string& path, const std::string& extras) {
  writeFile(path, R"({"asset":{"version":"2.0"},"scene":0,"scenes":[{"nodes":[0]}],
"nodes":[{"name":"a","mesh":0,"extras":{)" +
                      extras + R"(}}],
"meshes":[{"primitives":[{"attributes":{"POSITION":0,"TEXCOORD_0":1},"material":0}]}],
"materials":[{"pbrMetallicRoughness":{"baseColorTexture":{"index":0}}}],
"textures":[{"source":0}],
"images":[{"name":"wood","uri":"data:image/png;base64,iVBORw0KGgoAAAANSUhEUgAAAAMAAAACCAIAAAASFvFNAAAAEElEQVR4nGP4z8AAQQxwFgBB0gX7h/C5SAAAAABJRU5ErkJggg=="}],
"buffers":[{"byteLength":60,"uri":"data:application/octet-stream;base64,AAAAAAAAAAAAAAAAAACAPwAAAAAAAAAAAAAAAAAAgD8AAAAAAAAAAAAAAAAAAIA/AAAAAAAAAAAAAIA/"}],
"bufferViews":[{"buffer":0,"byteLength":36},{"buffer":0,"byteOffset":36,"byteLength":24}],
"accessors":[{"bufferView":0,"componentType":5126,"count":3,"type":"VEC3","min":[0,0,0],
  "max":[1,1,0]},{"bufferView":1,"componentType":5126,"count":3,"type":"VEC2"}]})");
}

// A check runs the whole export but keeps nothing: no output, no image, no copy,
// not even in the temporary folder, and its exit status says whether it warned.
TEST(PropertyCheckTest, CheckWritesNothingAndAnswersWithItsStatus) {
  ScopedWorkDir dir;
  fs::create_directory("scenes");
  writeTexturedScene("scenes/bad.gltf", R"("FltLodMx":5)");
  writeTexturedScene("scenes/good.gltf", R"("FltTerrain":"Yes")");
  const std::vector<std::string> before = listing(".");
  const auto checkFolders = [] {
    size_t n = 0;
    for (const fs::directory_entry& e : fs::directory_iterator(fs::temp_directory_path()))
      n += e.path().filename().string().rfind("zorvel_check_", 0) == 0;
    return n;
  };
  const size_t foldersBefore = checkFolders();

  const RunResult bad = zorvel({"--check", "--copy-textures", "scenes/bad.gltf"});
  EXPECT_EQ(bad.status, 1) << bad.err;
  EXPECT_EQ(
      warningLines(bad.err),
      std::vector<std::string>{R"(node "a": unknown property FltLodMx; did you mean FltLodMax?)"});
  EXPECT_EQ(bad.out, "zorvel: checked scenes/bad.gltf: 1 warning (1 property warning on 1 node)\n");

  const RunResult good = zorvel({"--check", "scenes/good.gltf"});
  EXPECT_EQ(good.status, 0) << good.err;
  EXPECT_EQ(good.err, "");
  EXPECT_EQ(good.out, "zorvel: checked scenes/good.gltf: 0 warnings\n");

  EXPECT_EQ(listing("."), before);
  EXPECT_EQ(checkFolders(), foldersBefore);

  EXPECT_EQ(zorvel({"--check", "scenes/none.gltf"}).status, 2);
  EXPECT_EQ(zorvel({"--check", "scenes/good.gltf", "out.flt"}).status, 2);
  writeFile("scenes/broken.gltf", "{\"asset\":");
  EXPECT_EQ(zorvel({"--check", "scenes/broken.gltf"}).status, 2);
}

// --strict fails an export that warned, and what was at the output stays as it was;
// without a warning it writes as ever.
TEST(PropertyCheckTest, StrictRefusesAnExportThatWarned) {
  ScopedWorkDir dir;
  fs::create_directory("out");
  writeTexturedScene("bad.gltf", R"("FltLodMx":5)");
  writeTexturedScene("good.gltf", R"("FltTerrain":"Yes")");
  writeFile("out/bad.flt", "a good old export");
  const std::vector<std::string> before = listing("out");

  const RunResult refused =
      zorvel({"--dialog=batch", "--strict", "--copy-textures", "bad.gltf", "out/bad.flt"});
  EXPECT_EQ(refused.status, 1) << refused.err;
  EXPECT_NE(refused.err.find("zorvel: --strict: 1 warning, so nothing was written; out/bad.flt "
                             "left as it was\n"),
            std::string::npos)
      << refused.err;
  EXPECT_EQ(refused.out, "");
  EXPECT_EQ(listing("out"), before);
  EXPECT_EQ(readFile("out/bad.flt"), "a good old export");

  const RunResult written = zorvel({"--dialog=batch", "--strict", "good.gltf", "out/good.flt"});
  EXPECT_EQ(written.status, 0) << written.err;
  EXPECT_EQ(run({kBin + "/fltdump", "--check", "out/good.flt"}).status, 0);
}

// The reference comes from the plug-in, without any file named.
TEST(PropertyCheckTest, TheCommandListsTheReference) {
  const RunResult markdown = zorvel({"--list-properties-markdown"});
  EXPECT_EQ(markdown.status, 0) << markdown.err;
  EXPECT_TRUE(markdown.out == readFile(std::string(ZORVEL_SOURCE_DIR) + "/docs/properties.md"));

  const RunResult all = zorvel({"--list-properties"});
  EXPECT_EQ(all.status, 0) << all.err;
  const RunResult lod = zorvel({"--list-properties=Lod"});
  EXPECT_EQ(lod.status, 0) << lod.err;
  EXPECT_EQ(lod.out.rfind("Level of Detail (FltType = LOD)\n", 0), 0u) << lod.out;
  EXPECT_NE(all.out.find(lod.out), std::string::npos);
  EXPECT_EQ(zorvel({"--list-properties", "lod"}).out, lod.out);

  const RunResult bad = zorvel({"--list-properties=LODD"});
  EXPECT_EQ(bad.status, 2);
  EXPECT_EQ(bad.out, "");
  EXPECT_NE(bad.err.find("zorvel: LODD names no record kind with properties"), std::string::npos);
}

}  // namespace
