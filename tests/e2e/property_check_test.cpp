// Property checks as a user meets them: small glTF scenes with typing mistakes in
// their nodes' extras, exported by the zorvel program. Each mistake is one warning
// naming the node and the key, the export closes with a count, and the written
// files stay as the exporter wrote them before it checked anything.
#include <gtest/gtest.h>

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

// One scene of each kind of finding, and the digest of the file the exporter wrote
// for it before the checks came.
struct FindingScene {
  const char* name;
  std::vector<Node> nodes;
  const char* digest;
};

std::vector<FindingScene> findingScenes() {
  return {
      {"unknown",
       {{"a", R"("FltLodMx":5,"FltTerain":"Yes","fltterrain":"Yes","FltQwertyUiop":1)"}},
       "c35cc3353a8b602e"},
      {"no_effect",
       {{"obj", R"("FltObjNoDay":"Yes")"},
        {"lod", R"("FltType":"LOD","FltTerrain":"Yes")", {2}},
        {"near", ""},
        {"plain", R"("FltGrpLayer":2,"FltUnits":"Feet")", {4}, false},
        {"leaf", R"("FltComment":"hello")"}},
       "a1ccf8ed1d46e015"},
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
       "a1a35b1974e15c15"},
      {"types",
       {{"t", R"("FltType":"LODD")"},
        {"lp", R"("FltType":"Light_Point","FltLtPtIntensity":2)", {2, 3}, false},
        {"lamp1", R"("FltType":"FltLightVtx")"},
        {"lamp2", R"("FltType":"fltlightvtx")"},
        {"g", R"("FltType":"Group")", {5}, false},
        {"stray", R"("FltType":"FltLightVtx")"}},
       "4c653d843f49b942"},
      {"swapped",
       {{"far", R"("FltType":"LOD","FltLodMin":10,"FltLodMax":500)", {1}}, {"m", ""}},
       "220bb69e68f5e52e"},
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

}  // namespace
