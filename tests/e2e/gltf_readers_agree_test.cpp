// Our glTF reader against Assimp's: every glTF sample scene of assimp-testmodels and
// our examples, loaded through both into the host scene and compared node by node
// (name, kind, material, texture, user text, the look's defaults, the multiset of
// world-space triangles with their normals, texture coordinates and colours), then
// exported through both by the zorvel program and the files compared per object
// as multisets of faces. Files either reader refuses, and files left to Assimp,
// are listed with the reason.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "host/gltf_reader.h"
#include "host/scene_loader.h"
#include "plugin/material.h"
#include "plugin/scene_object.h"
#include "plugin/texture_map.h"
#include "tests/e2e/child_process.h"
#include "tests/host/scene_test_support.h"
#include "tests/support/base64.h"
#include "tests/support/temp_dir.h"
#include "tests/support/written_faces.h"

namespace fs = std::filesystem;

namespace {

// Files the readers take differently, on purpose, and why.
const std::string kWrongType =
    "a member of the wrong type: Assimp refuses the file, tinygltf reads the member as absent";
const std::map<std::string, std::string> kKnownDifferences = {
    {"models/glTF2/wrongTypes/badNumber.gltf", kWrongType},
    {"models/glTF2/wrongTypes/badObject.gltf", kWrongType},
    {"models/glTF2/wrongTypes/badString.gltf", kWrongType},
    {"models/glTF2/wrongTypes/badUint.gltf", kWrongType},
};

std::vector<fs::path> gltfScenes() {
  std::vector<fs::path> scenes;
  for (const char* folder : {"/usr/share/assimp/models", "/usr/share/assimp/models-nonbsd"}) {
    if (!fs::is_directory(folder)) continue;
    for (const auto& e : fs::recursive_directory_iterator(folder))
      if (e.is_regular_file() && isGltfPath(e.path().string())) scenes.push_back(e.path());
  }
  std::sort(scenes.begin(), scenes.end());
  for (const auto& e : fs::directory_iterator(fs::path(ZORVEL_SOURCE_DIR) / "examples"))
    if (isGltfPath(e.path().string())) scenes.push_back(e.path());
  return scenes;
}

template <class T>
void append(std::vector<unsigned char>& out, std::initializer_list<T> values) {
  for (T v : values) {
    const auto* b = reinterpret_cast<const unsigned char*>(&v);
    out.insert(out.end(), b, b + sizeof v);
  }
}

// What the samples lack: vertex colours of each type, strips, fans, loops and
// points, a second texture coordinate set, an unlit and a double-sided material,
// two unnamed embedded images met in another order than the file lists them,
// and rotated, scaled and matrix transforms.
fs::path writeMadeScene(const fs::path& dir) {
  std::vector<unsigned char> b;
  append<float>(b, {0, 0, 0, 1, 0, 0, 0, 1, 0, 1, 1, 0, 0, 2, 0, 1, 2, 0.5f});     // @0
  append<float>(b, {1,     0,    0,     1, 0, 1, 0, 0.5f, 0, 0, 1, 1, 1, 1, 0, 1,  // @72
                    0.25f, 0.5f, 0.75f, 1, 1, 1, 1, 1});
  for (int v = 0; v < 6; ++v) append<uint8_t>(b, {uint8_t(40 * v), uint8_t(255 - 40 * v), 7, 0});
  for (int v = 0; v < 6; ++v)  // @192
    append<uint16_t>(b, {uint16_t(9000 * v), 65535, uint16_t(65535 - 9000 * v), 65535});
  append<float>(b, {0, 0, 1, 0, 0, 1, 1, 1, 0, 2, 1, 2});                // @240
  append<float>(b, {0.5f, 0, 1, 0.5f, 0, 1, 1, 1, 0, 0.25f, 1, 0.75f});  // @288
  const std::string png = "data:image/png;base64," + base64(kPng3x2);
  const std::string text = R"({"asset":{"version":"2.0"},"scene":0,"scenes":[{"nodes":[0,4]}],
"nodes":[{"name":"made","children":[1,2,3],"rotation":[0,0.3826834,0,0.9238795],"scale":[2,1,3]},
  {"name":"tinted","mesh":0,"translation":[1,2,3],"extras":{"FltComment":"two materials"}},
  {"name":"fan","mesh":1,"matrix":[0,1,0,0, -1,0,0,0, 0,0,1,0, 5,0,0,1]},
  {"name":"wire","mesh":2},{}],
"meshes":[{"primitives":[
    {"attributes":{"POSITION":0,"COLOR_0":1,"TEXCOORD_0":4,"TEXCOORD_1":5},"material":0},
    {"attributes":{"POSITION":0,"COLOR_0":2,"TEXCOORD_0":4},"mode":5,"material":1}]},
  {"primitives":[{"attributes":{"POSITION":0,"COLOR_0":3},"mode":6}]},
  {"primitives":[{"attributes":{"POSITION":0},"mode":2},{"attributes":{"POSITION":0},"mode":0},
    {"attributes":{"POSITION":0},"mode":3}]}],
"materials":[{"name":"lit","doubleSided":true,"normalTexture":{"index":0},
    "pbrMetallicRoughness":{"baseColorFactor":[0.5,0.5,1,1],"roughnessFactor":0.25,
    "baseColorTexture":{"index":1,"texCoord":1}}},
  {"name":"flat","extensions":{"KHR_materials_unlit":{}},
    "pbrMetallicRoughness":{"baseColorTexture":{"index":0}}}],
"textures":[{"source":0,"sampler":0},{"source":1}],"samplers":[{"wrapS":33648,"wrapT":33071}],
"images":[{"uri":")" + png +
                           R"("},{"uri":")" + png + R"("}],
"accessors":[{"bufferView":0,"componentType":5126,"count":6,"type":"VEC3"},
  {"bufferView":1,"componentType":5126,"count":6,"type":"VEC4"},
  {"bufferView":2,"componentType":5121,"normalized":true,"count":6,"type":"VEC3"},
  {"bufferView":3,"componentType":5123,"normalized":true,"count":6,"type":"VEC4"},
  {"bufferView":4,"componentType":5126,"count":6,"type":"VEC2"},
  {"bufferView":5,"componentType":5126,"count":6,"type":"VEC2"}],
"bufferViews":[{"buffer":0,"byteLength":72},{"buffer":0,"byteOffset":72,"byteLength":96},
  {"buffer":0,"byteOffset":168,"byteLength":24,"byteStride":4},
  {"buffer":0,"byteOffset":192,"byteLength":48},{"buffer":0,"byteOffset":240,"byteLength":48},
  {"buffer":0,"byteOffset":288,"byteLength":48}],
"buffers":[{"byteLength":336,"uri":"data:application/octet-stream;base64,)" +
                           base64(b) + R"("}]})";
  const fs::path path = dir / "made.gltf";
  std::ofstream(path) << text;
  return path;
}

std::string shortName(const fs::path& scene) {
  const std::string s = scene.string();
  for (const char* root : {"/usr/share/assimp/", ZORVEL_SOURCE_DIR "/"})
    if (s.rfind(root, 0) == 0) return s.substr(std::strlen(root));
  return s;
}

// Numbers rounded to a grid coarser than the readers' float noise, so that equal
// triangles sort alike and compare as text.
std::string num(double v) {
  if (!std::isfinite(v)) return std::isnan(v) ? "nan" : v > 0 ? "inf" : "-inf";
  char text[32];
  const double r = std::round(v * 1e4) / 1e4;
  std::snprintf(text, sizeof text, "%.4f", r == 0 ? 0.0 : r);
  return text;
}

std::string colorText(const Color& c) {
  return num(c.r) + "," + num(c.g) + "," + num(c.b);
}

std::string materialText(Material* m) {
  if (!m) return "none";
  std::string text = std::string(m->name()) + ":";
  if (m->numSubMaterials() > 0) {
    text += "multi[";
    for (int i = 0; i < m->numSubMaterials(); ++i) text += materialText(m->subMaterial(i)) + ";";
    return text + "]";
  }
  if (StandardMaterial* s = m->asStandardMaterial()) {
    text += " diffuse " + colorText(s->diffuse(0)) + " ambient " + colorText(s->ambient(0)) +
            " specular " + colorText(s->specular(0)) + " shininess " + num(s->shininess(0)) +
            " opacity " + num(s->opacity(0)) + " glow " + num(s->selfIllumination(0));
  }
  if (TextureMap* map = m->subTexmap(Material::kDiffuseMap)) {
    const Matrix3 uv = map->uvTransform();
    const Point3 o = Point3(0, 0, 0) * uv, x = Point3(1, 0, 0) * uv, y = Point3(0, 1, 0) * uv;
    text += " map " + fs::path(map->mapName()).filename().string() + " tiling " +
            std::to_string(map->textureTiling()) + " uv " + num(o.x) + "," + num(o.y) + " " +
            num(x.x) + "," + num(x.y) + " " + num(y.x) + "," + num(y.y);
  }
  return text;
}

std::string kindOf(SceneNode* node) {
  SceneObject* object = node->evalWorldState(0).obj;
  if (!object) return "none";
  if (object->asTriObject()) return "mesh";
  return "class " + std::to_string(object->superClassId());
}

// A triangle's corners as text, starting at the least, so that a turned corner
// order compares equal.
std::vector<std::string> trianglesOf(SceneNode* node) {
  std::vector<std::string> out;
  Mesh* mesh = meshOf(node);
  if (!mesh) return out;
  mesh->checkNormals(true);
  const Matrix3 world = node->objectToWorld(0);
  for (size_t f = 0; f < mesh->faces.size(); ++f) {
    std::string corner[3];
    for (int k = 0; k < 3; ++k) {
      const uint32_t v = mesh->faces[f].v[k];
      const Point3 p = mesh->verts[v] * world;
      std::string& c = corner[k];
      c = "(" + num(p.x) + " " + num(p.y) + " " + num(p.z);
      if (mesh->getRVert(int(v)).specified()) {
        const Point3& n = mesh->getRVert(int(v)).rn.normal;
        c += " n " + num(n.x) + " " + num(n.y) + " " + num(n.z);
      }
      if (!mesh->tvFaces.empty()) {
        const Point3& t = mesh->tVerts[mesh->tvFaces[f].t[k]];
        c += " uv " + num(t.x) + " " + num(t.y);
      }
      if (!mesh->vertCols.empty()) {
        const Point3& col = mesh->vertCols[v];
        c += " rgb " + num(col.x) + " " + num(col.y) + " " + num(col.z);
      }
      c += ")";
    }
    const int first = int(std::min_element(corner, corner + 3) - corner);
    out.push_back("id " + std::to_string(mesh->faces[f].materialId()) + " " + corner[first] +
                  corner[(first + 1) % 3] + corner[(first + 2) % 3]);
  }
  std::sort(out.begin(), out.end());
  return out;
}

std::string nodeText(SceneNode* node) {
  std::string text = std::string("name \"") + (node->name() ? node->name() : "(none)") +
                     "\" kind " + kindOf(node) + " children " + std::to_string(node->childCount()) +
                     " material " + materialText(node->material()) + " wire " +
                     std::to_string(node->wireColor()) + " text \"" + node->userPropertyText() +
                     "\"";
  for (const char* key : {"FltLightMode", "FltDrawType", "FltFaceColor"}) {
    std::string value = "(none)";
    node->userPropertyString(key, value);
    text += std::string(" ") + key + "=" + value;
  }
  return text;
}

// The first difference of two host scenes, walked side by side; empty when none.
std::string firstDifference(SceneNode* ours, SceneNode* theirs, const std::string& path) {
  const std::string here = path + "/" + (ours->name() ? ours->name() : "?");
  const std::string a = nodeText(ours), b = nodeText(theirs);
  if (a != b) return here + ":\n  ours:   " + a + "\n  Assimp: " + b;
  const std::vector<std::string> ta = trianglesOf(ours), tb = trianglesOf(theirs);
  if (ta != tb) {
    const auto miss = std::mismatch(ta.begin(), ta.end(), tb.begin(), tb.end());
    return here + ": triangles differ (" + std::to_string(ta.size()) + " and " +
           std::to_string(tb.size()) +
           ")\n  ours:   " + (miss.first == ta.end() ? "(none)" : *miss.first) +
           "\n  Assimp: " + (miss.second == tb.end() ? "(none)" : *miss.second);
  }
  for (int i = 0; i < ours->childCount(); ++i)
    if (std::string d = firstDifference(ours->child(i), theirs->child(i), here); !d.empty())
      return d;
  return {};
}

// An exported file's faces per object, each as text: its corners from the least
// on (position, normal, texture coordinates, colour), its colour, light mode, draw
// type, material and texture.
std::map<std::string, std::vector<std::string>> facesOf(const std::string& path,
                                                        std::string& error) {
  std::map<std::string, std::vector<std::string>> faces;
  std::vector<WrittenFace> written;
  if (!readWrittenFaces(path, written, error)) return faces;
  const auto rgb = [](const Rgb& c) { return num(c.r) + "," + num(c.g) + "," + num(c.b); };
  for (const WrittenFace& face : written) {
    std::vector<std::string> loop;
    for (const WrittenCorner& c : face.corners) {
      std::string text = "(" + num(c.p.x) + " " + num(c.p.y) + " " + num(c.p.z);
      if (c.hasNormal) text += " n " + num(c.n.x) + " " + num(c.n.y) + " " + num(c.n.z);
      if (c.hasUv) text += " uv " + num(c.u) + " " + num(c.v);
      if (c.hasColor) text += " rgb " + rgb(c.color);
      loop.push_back(text + ")");
    }
    if (!loop.empty())
      std::rotate(loop.begin(), std::min_element(loop.begin(), loop.end()), loop.end());
    std::string text;
    for (const std::string& c : loop) text += c;
    text += face.hasColor ? " colour " + rgb(face.color) : " no colour";
    text += " light " + std::to_string(face.lightMode) + " draw " + std::to_string(face.drawType);
    text += " material";
    if (face.material.empty()) text += " none";
    for (float v : face.material) text += " " + num(v);
    text += " texture " + (face.texture.empty() ? "none" : face.texture);
    faces[face.object].push_back(text);
  }
  for (auto& entry : faces) std::sort(entry.second.begin(), entry.second.end());
  return faces;
}

std::string slurp(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

// Both exports of one scene; empty when they hold the same faces per object.
std::string exportDifference(const fs::path& scene, const TempDir& temp, bool& bothExported) {
  const std::string bin = ZORVEL_BIN_DIR "/zorvel";
  std::string flt[2];
  int status[2];
  for (int i = 0; i < 2; ++i) {
    const fs::path dir = fs::path(temp.path()) / (i == 0 ? "ours" : "assimp");
    fs::remove_all(dir);
    fs::create_directories(dir);
    std::vector<std::string> args = {bin, "--no-prompt", "--quiet", scene.string(), "out.flt"};
    if (i == 1) args.insert(args.begin() + 1, "--reader=assimp");
    status[i] = e2e::run(args, {}, dir.string()).status;
    flt[i] = (dir / "out.flt").string();
  }
  bothExported = status[0] == 0 && status[1] == 0;
  if (status[0] != status[1])
    return "exit status " + std::to_string(status[0]) + " against " + std::to_string(status[1]);
  if (!bothExported || slurp(flt[0]) == slurp(flt[1])) return {};
  std::string error;
  const auto ours = facesOf(flt[0], error), theirs = facesOf(flt[1], error);
  if (!error.empty()) return error;
  for (const auto& [object, faces] : theirs) {
    const auto it = ours.find(object);
    if (it == ours.end()) return "object \"" + object + "\" is missing";
    if (it->second != faces)
      return "object \"" + object + "\": " + std::to_string(it->second.size()) + " and " +
             std::to_string(faces.size()) + " faces, first unlike: " +
             *std::mismatch(it->second.begin(), it->second.end(), faces.begin(), faces.end()).first;
  }
  if (ours.size() != theirs.size()) return "objects of ours that Assimp's export lacks";
  return {};
}

TEST(GltfReadersAgreeTest, SampleScenesLoadAndExportAlike) {
  std::vector<fs::path> scenes = gltfScenes();
  if (std::none_of(scenes.begin(), scenes.end(), [](const fs::path& p) {
        return p.string().rfind("/usr/share/assimp/", 0) == 0;
      }))
    GTEST_SKIP() << "assimp-testmodels is not installed";
  TempDir temp("zorvel_gltf_agree");
  fs::create_directories(fs::path(temp.path()) / "made");
  scenes.push_back(writeMadeScene(fs::path(temp.path()) / "made"));
  std::ostringstream report;
  size_t compared = 0;
  for (const fs::path& scene : scenes) {
    const std::string name = shortName(scene);
    const GltfReadResult read = readGltf(scene.string());
    if (!read.assimp.empty()) {
      report << "  " << name << ": left to Assimp (" << read.assimp << ")\n";
      continue;
    }
    SceneLoadOptions options;
    options.outputDirectory = temp.path();
    const SceneLoadResult ours = loadScene(scene.string(), options);
    options.reader = SceneReader::kAssimp;
    const SceneLoadResult theirs = loadScene(scene.string(), options);
    std::string difference;
    if (!ours || !theirs) {
      if (ours || theirs)
        difference = std::string(ours ? "Assimp" : "ours") +
                     " refuses it: " + (ours ? theirs.error : ours.error);
      else
        report << "  " << name << ": both refuse it (" << ours.error << ")\n";
    } else {
      difference = firstDifference(&ours.scene->root(), &theirs.scene->root(), "");
      // Ours also says which faces it left out; the rest must be alike.
      std::vector<std::string> said = ours.warnings;
      said.erase(std::remove_if(said.begin(), said.end(),
                                [](const std::string& w) {
                                  return w.find(", left out") != std::string::npos;
                                }),
                 said.end());
      if (difference.empty() && said != theirs.warnings)
        difference = "warnings " + ::testing::PrintToString(said) + " against " +
                     ::testing::PrintToString(theirs.warnings);
      bool exported = false;
      if (difference.empty()) difference = exportDifference(scene, temp, exported);
      compared += exported;
    }
    const auto known = kKnownDifferences.find(name);
    if (known != kKnownDifferences.end()) {
      EXPECT_FALSE(difference.empty()) << name << " is no longer taken differently";
      report << "  " << name << ": differs on purpose (" << known->second << ")\n";
    } else {
      EXPECT_TRUE(difference.empty()) << name << ": " << difference;
    }
  }
  std::printf("glTF scenes compared: %zu exported alike of %zu\n%s", compared, scenes.size(),
              report.str().c_str());
  EXPECT_GT(compared, scenes.size() / 2);
}

}  // namespace
