// Exports through the zorvel program that must look like their sources: scenes
// written here, each made to catch one way of losing the look, and a handful of
// Assimp's sample scenes. The comparison (tests/support/look_compare.h) reads the
// source through Assimp on its own, not through the host.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "tests/e2e/child_process.h"
#include "tests/host/scene_test_support.h"
#include "tests/support/base64.h"
#include "tests/support/look_compare.h"
#include "tests/support/temp_dir.h"

namespace fs = std::filesystem;

namespace {

std::string allMisses(const LookTally& t) {
  std::string s;
  for (const std::string& m : t.misses) s += "\n  " + m;
  return s;
}

// Exports `scene` into a folder of the test's own and compares the file with it.
LookTally exportAndCompare(const fs::path& scene, const fs::path& outDir) {
  fs::create_directories(outDir);
  const std::string out = (outDir / (scene.stem().string() + ".flt")).string();
  const e2e::RunResult run = e2e::run({std::string(ZORVEL_BIN_DIR) + "/zorvel", "--dialog=batch",
                                       "--quiet", "--up-axis=y", scene.string(), out});
  EXPECT_EQ(run.status, 0) << scene << ": " << run.err;
  const e2e::RunResult check = e2e::run({std::string(ZORVEL_BIN_DIR) + "/fltdump", "--check", out});
  EXPECT_EQ(check.status, 0) << check.out << check.err;
  return compareLook(scene.string(), out);
}

// Where every face is, its corners, winding, coordinates and shape.
void expectSameShape(const LookTally& t) {
  EXPECT_EQ(t.error, "");
  EXPECT_GT(t.triangles, 0);
  EXPECT_EQ(t.found, t.triangles) << allMisses(t);
  EXPECT_EQ(t.facing, t.triangles) << allMisses(t);
  EXPECT_EQ(t.uvMatched, t.uvChecked) << allMisses(t);
  EXPECT_EQ(t.normalsMatched, t.normalsChecked) << allMisses(t);
  EXPECT_EQ(t.concave, 0) << t.polygons << " polygons";
  EXPECT_TRUE(t.sameArea()) << "written " << t.writtenArea << ", source " << t.sourceArea;
}

// How every face is drawn: colour, lighting and sides.
void expectSameLook(const LookTally& t) {
  EXPECT_EQ(t.colorMatched, t.colorChecked) << allMisses(t);
  EXPECT_EQ(t.lightMatched, t.lightChecked) << allMisses(t);
  EXPECT_EQ(t.sidesMatched, t.sidesChecked) << allMisses(t);
}

void writeText(const fs::path& path, const std::string& text) {
  std::ofstream(path, std::ios::binary) << text;
}

// One node of a glTF scene with one mesh of one primitive.
struct GltfNode {
  std::string name;
  std::vector<float> positions;  // x y z ...
  std::vector<uint16_t> indices;
  int material;
};

// A glTF file with its buffer inline; `materials` is the JSON array's inside.
void writeGltf(const fs::path& path, const std::vector<GltfNode>& nodes,
               const std::string& materials) {
  std::vector<uint8_t> buffer;
  std::ostringstream views, accessors, meshes, nodeList;
  auto append = [&](const void* data, size_t size) {
    const size_t at = buffer.size();
    buffer.insert(buffer.end(), static_cast<const uint8_t*>(data),
                  static_cast<const uint8_t*>(data) + size);
    while (buffer.size() % 4) buffer.push_back(0);
    return at;
  };
  for (size_t i = 0; i < nodes.size(); ++i) {
    const GltfNode& n = nodes[i];
    float low[3] = {1e30f, 1e30f, 1e30f}, high[3] = {-1e30f, -1e30f, -1e30f};
    for (size_t k = 0; k < n.positions.size(); ++k) {
      low[k % 3] = std::min(low[k % 3], n.positions[k]);
      high[k % 3] = std::max(high[k % 3], n.positions[k]);
    }
    const size_t p = append(n.positions.data(), n.positions.size() * 4);
    const size_t x = append(n.indices.data(), n.indices.size() * 2);
    const char* sep = i ? "," : "";
    views << sep << "{\"buffer\":0,\"byteOffset\":" << p
          << ",\"byteLength\":" << n.positions.size() * 4 << "},{\"buffer\":0,\"byteOffset\":" << x
          << ",\"byteLength\":" << n.indices.size() * 2 << "}";
    accessors << sep << "{\"bufferView\":" << 2 * i
              << ",\"componentType\":5126,\"count\":" << n.positions.size() / 3
              << ",\"type\":\"VEC3\",\"min\":[" << low[0] << ',' << low[1] << ',' << low[2]
              << "],\"max\":[" << high[0] << ',' << high[1] << ',' << high[2]
              << "]},{\"bufferView\":" << 2 * i + 1
              << ",\"componentType\":5123,\"count\":" << n.indices.size()
              << ",\"type\":\"SCALAR\"}";
    meshes << sep << "{\"primitives\":[{\"attributes\":{\"POSITION\":" << 2 * i
           << "},\"indices\":" << 2 * i + 1 << ",\"material\":" << n.material << "}]}";
    nodeList << sep << "{\"name\":\"" << n.name << "\",\"mesh\":" << i << "}";
  }
  std::string roots;
  for (size_t i = 0; i < nodes.size(); ++i) roots += (i ? "," : "") + std::to_string(i);
  writeText(path, "{\"asset\":{\"version\":\"2.0\"},\"scene\":0,\"scenes\":[{\"nodes\":[" + roots +
                      "]}],\"nodes\":[" + nodeList.str() + "],\"meshes\":[" + meshes.str() +
                      "],\"materials\":[" + materials + "],\"accessors\":[" + accessors.str() +
                      "],\"bufferViews\":[" + views.str() +
                      "],\"buffers\":[{\"byteLength\":" + std::to_string(buffer.size()) +
                      ",\"uri\":\"data:application/octet-stream;base64," + base64(buffer) +
                      "\"}]}");
}

class LookFidelityTest : public ::testing::Test {
 protected:
  TempDir temp_{"zorvel_look"};
  fs::path dir_ = temp_.path();
  fs::path out_ = dir_ / "out";
};

TEST_F(LookFidelityTest, MaterialColouredBox) {
  writeText(dir_ / "box.mtl", "newmtl clay\nKd 0.8 0.25 0.1\nKa 0.1 0.1 0.1\n");
  std::ostringstream obj;
  obj << "mtllib box.mtl\no box\n";
  for (int c = 0; c < 8; ++c)
    obj << "v " << (c >> 2 & 1) << ' ' << (c >> 1 & 1) << ' ' << (c & 1) << '\n';
  obj << "usemtl clay\nf 1 3 4 2\nf 5 6 8 7\nf 1 2 6 5\nf 3 7 8 4\nf 1 5 7 3\nf 2 4 8 6\n";
  writeText(dir_ / "box.obj", obj.str());
  const LookTally t = exportAndCompare(dir_ / "box.obj", out_);
  expectSameShape(t);
  expectSameLook(t);
  EXPECT_EQ(t.colorChecked, t.triangles);
  EXPECT_EQ(t.litFaces, t.faces);
}

// Double-sided and single-sided, lit and unlit, side by side in one file.
TEST_F(LookFidelityTest, DoubleSidedAndUnlitPlanes) {
  auto quad = [](float x) {
    return std::vector<float>{x, 0, 0, x + 1, 0, 0, x + 1, 1, 0, x, 1, 0};
  };
  const std::vector<uint16_t> two = {0, 1, 2, 0, 2, 3};
  writeGltf(dir_ / "planes.gltf",
            {{"leaf", quad(0), two, 0}, {"card", quad(2), two, 1}, {"sign", quad(4), two, 2}},
            "{\"name\":\"leaf\",\"doubleSided\":true,"
            "\"pbrMetallicRoughness\":{\"baseColorFactor\":[0.2,0.6,0.3,1]}},"
            "{\"name\":\"card\",\"pbrMetallicRoughness\":{\"baseColorFactor\":[0.7,0.7,0.9,1]}},"
            "{\"name\":\"sign\",\"extensions\":{\"KHR_materials_unlit\":{}},"
            "\"pbrMetallicRoughness\":{\"baseColorFactor\":[0.9,0.8,0.1,1]}}");
  const LookTally t = exportAndCompare(dir_ / "planes.gltf", out_);
  expectSameShape(t);
  expectSameLook(t);
  EXPECT_EQ(t.lightChecked, t.triangles);
  EXPECT_GT(t.twoSidedFaces, 0);
  EXPECT_LT(t.litFaces, t.faces);
}

// The halves meet where both have u = 1, so a merge of the four triangles into
// one rectangle would lose the mirror.
TEST_F(LookFidelityTest, WallWithMirroredTextureHalves) {
  writeFile(dir_ / "brick.png", kPng3x2);
  writeText(dir_ / "wall.mtl", "newmtl brick\nKd 1 1 1\nmap_Kd brick.png\n");
  writeText(dir_ / "wall.obj",
            "mtllib wall.mtl\no wall\n"
            "v 0 0 0\nv 1 0 0\nv 2 0 0\nv 0 1 0\nv 1 1 0\nv 2 1 0\n"
            "vt 0 0\nvt 1 0\nvt 0 1\nvt 1 1\n"
            "usemtl brick\n"
            "f 1/1 2/2 5/4\nf 1/1 5/4 4/3\nf 2/2 3/1 6/3\nf 2/2 6/3 5/4\n");
  const LookTally t = exportAndCompare(dir_ / "wall.obj", out_);
  expectSameShape(t);
  expectSameLook(t);
  EXPECT_EQ(t.uvChecked, t.triangles);
}

// Coplanar triangles of one material around one corner: joined whole they make an L.
TEST_F(LookFidelityTest, LShapedFaceStaysConvex) {
  writeText(dir_ / "ell.mtl", "newmtl stone\nKd 0.5 0.5 0.55\n");
  writeText(dir_ / "ell.obj",
            "mtllib ell.mtl\no ell\n"
            "v 0 0 0\nv 2 0 0\nv 2 1 0\nv 1 1 0\nv 1 2 0\nv 0 2 0\n"
            "usemtl stone\nf 1 2 3\nf 1 3 4\nf 1 4 5\nf 1 5 6\n");
  const LookTally t = exportAndCompare(dir_ / "ell.obj", out_);
  expectSameShape(t);
  expectSameLook(t);
}

// One mesh, two materials on coplanar neighbours, and a mesh of vertex colours.
TEST_F(LookFidelityTest, TwoMaterialsAndVertexColours) {
  writeText(dir_ / "duo.mtl", "newmtl red\nKd 0.9 0.1 0.1\nnewmtl blue\nKd 0.1 0.2 0.9\n");
  writeText(dir_ / "duo.obj",
            "mtllib duo.mtl\no duo\n"
            "v 0 0 0\nv 1 0 0\nv 2 0 0\nv 0 1 0\nv 1 1 0\nv 2 1 0\n"
            "usemtl red\nf 1 2 5 4\nusemtl blue\nf 2 3 6 5\n");
  writeText(dir_ / "tint.mtl", "newmtl white\nKd 1 1 1\n");
  writeText(dir_ / "tint.obj",
            "mtllib tint.mtl\no tint\n"
            "v 0 0 0 1 0 0\nv 1 0 0 0 1 0\nv 1 1 0 0 0 1\nv 0 1 0 1 1 0\n"
            "usemtl white\nf 1 2 3 4\n");
  const LookTally duo = exportAndCompare(dir_ / "duo.obj", out_);
  expectSameShape(duo);
  expectSameLook(duo);
  EXPECT_EQ(duo.colorChecked, duo.triangles);
  const LookTally tint = exportAndCompare(dir_ / "tint.obj", out_);
  expectSameShape(tint);
  expectSameLook(tint);
  EXPECT_EQ(tint.lightChecked, tint.triangles);
}

// Real scenes from other tools: textured, multi-material, vertex-coloured, concave.
TEST_F(LookFidelityTest, AssimpSampleScenes) {
  const fs::path models = "/usr/share/assimp/models";
  if (!fs::is_directory(models)) GTEST_SKIP() << "no Assimp sample scenes under " << models;
  for (const char* scene :
       {"OBJ/spider.obj", "OBJ/cube_with_vertexcolors.obj", "OBJ/concave_polygon.obj",
        "3DS/fels.3ds", "ASE/ThreeCubesGreen.ASE", "Collada/duck.dae",
        "Collada/kwxport_test_vcolors.dae", "glTF2/BoxTextured-glTF/BoxTextured.gltf"}) {
    SCOPED_TRACE(scene);
    if (!fs::exists(models / scene)) continue;
    const LookTally t = exportAndCompare(models / scene, out_);
    expectSameShape(t);
    expectSameLook(t);
  }
}

}  // namespace
