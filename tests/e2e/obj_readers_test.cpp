// The two OBJ readers, tinyobjloader's (the default) and Assimp's: on every OBJ
// sample scene and on files of ours, the host scenes hold the same nodes with the
// same names, materials, textures, user text and triangles, and the exported files
// the same faces in each object.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <filesystem>
#include <functional>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "host/scene_loader.h"
#include "plugin/material.h"
#include "plugin/texture_map.h"
#include "tests/e2e/child_process.h"
#include "tests/host/scene_test_support.h"
#include "tests/support/written_faces.h"

namespace fs = std::filesystem;

namespace {

const std::string kBin = ZORVEL_BIN_DIR;
const fs::path kModels = "/usr/share/assimp/models";

// Files that one reader refuses and the other reads, or whose scenes differ, and why;
// the samples among them are not compared, ours are checked below.
const std::map<std::string, std::string> kReadersDiffer = {
    {"box_UTF16BE.obj", "Assimp reads UTF-16 text as no lines at all; ours as box.obj"},
    {"empty_objects.obj",
     "an object named a second time gets a node of its own, and not the faces of the "
     "object before it; a name keeps its spaces; a corner without a normal among "
     "corners with one takes its face's, and a vertex without a colour among coloured "
     "ones is white, where Assimp shifts the normals and makes the vertex black"},
};

bool near(float a, float b) {
  if (std::isnan(a) || std::isnan(b)) return std::isnan(a) && std::isnan(b);
  // The readers' number parsers may round a decimal to neighbouring floats.
  return std::fabs(a - b) <= 1e-5f * std::max(1.0f, std::fabs(a));
}

template <size_t N>
bool near(const std::array<float, N>& a, const std::array<float, N>& b) {
  for (size_t i = 0; i < N; ++i)
    if (!near(a[i], b[i])) return false;
  return true;
}

// Loops of corners, equal up to where they start.
template <class Loop, class Same>
bool sameLoop(const Loop& a, const Loop& b, Same same) {
  if (a.size() != b.size()) return false;
  for (size_t start = 0; start < a.size(); ++start) {
    bool all = true;
    for (size_t k = 0; k < a.size() && all; ++k) all = same(a[k], b[(start + k) % a.size()]);
    if (all) return true;
  }
  return false;
}

// Matches each of `a` with an unmatched equal one of `b`, looked for near the same
// key; the descriptions of what has no match on either side.
template <class T>
std::vector<std::string> unmatched(const std::vector<T>& a, const std::vector<T>& b,
                                   const std::function<float(const T&)>& key,
                                   const std::function<bool(const T&, const T&)>& same,
                                   const std::function<std::string(const T&)>& describe) {
  std::vector<size_t> order(b.size());
  for (size_t i = 0; i < order.size(); ++i) order[i] = i;
  std::sort(order.begin(), order.end(), [&](size_t x, size_t y) { return key(b[x]) < key(b[y]); });
  std::vector<float> keys;
  for (size_t i : order) keys.push_back(key(b[i]));
  std::vector<bool> taken(b.size());
  std::vector<std::string> misses;
  for (const T& t : a) {
    const float k = key(t), tol = 1e-4f * std::max(1.0f, std::fabs(k));
    bool found = false;
    for (size_t at = std::lower_bound(keys.begin(), keys.end(), k - tol) - keys.begin();
         at < keys.size() && keys[at] <= k + tol && !found; ++at) {
      if (!taken[order[at]] && same(t, b[order[at]])) found = taken[order[at]] = true;
    }
    if (!found) misses.push_back("only the first: " + describe(t));
  }
  for (size_t i = 0; i < b.size(); ++i)
    if (!taken[i]) misses.push_back("only the second: " + describe(b[i]));
  return misses;
}

// --- the host scenes ------------------------------------------------------------------

struct Corner {
  std::array<float, 3> position, normal, uv, color;
};
struct Triangle {
  std::array<Corner, 3> corners;
  int materialId;
};

bool sameCorner(const Corner& a, const Corner& b) {
  return near(a.position, b.position) && near(a.normal, b.normal) && near(a.uv, b.uv) &&
         near(a.color, b.color);
}

std::string text(const std::array<float, 3>& p) {
  std::ostringstream s;
  s << '(' << p[0] << ' ' << p[1] << ' ' << p[2] << ')';
  return s.str();
}

std::vector<Triangle> trianglesOf(SceneNode* node) {
  std::vector<Triangle> out;
  Mesh* mesh = meshOf(node);
  if (!mesh) return out;
  mesh->checkNormals(true);
  const Matrix3 toWorld = node->objectToWorld(0);
  for (size_t f = 0; f < mesh->faces.size(); ++f) {
    Triangle t{};
    t.materialId = mesh->faces[f].materialId();
    for (int k = 0; k < 3; ++k) {
      const uint32_t v = mesh->faces[f].v[k];
      const Point3 p = mesh->verts[v] * toWorld;
      const Point3 n = mesh->getRVert(int(v)).rn.normal;
      Corner& c = t.corners[k];
      c.position = {p.x, p.y, p.z};
      c.normal = {n.x, n.y, n.z};
      if (!mesh->tvFaces.empty()) {
        const Point3& uv = mesh->tVerts[mesh->tvFaces[f].t[k]];
        // Not the third, which Assimp takes from `vt` lines and tinyobjloader drops:
        // nothing exported carries it.
        c.uv = {uv.x, uv.y, 0};
      }
      if (!mesh->vertCols.empty()) {
        const Point3& rgb = mesh->vertCols[v];
        c.color = {rgb.x, rgb.y, rgb.z};
      }
    }
    out.push_back(t);
  }
  return out;
}

std::string describe(Material* m) {
  if (!m) return "no material";
  std::ostringstream s;
  s << m->name() << " [";
  if (StandardMaterial* st = standardMaterialOf(m)) {
    const Color d = st->diffuse(0), a = st->ambient(0), sp = st->specular(0);
    s << "diffuse " << d.r << ' ' << d.g << ' ' << d.b << ", ambient " << a.r << ' ' << a.g << ' '
      << a.b << ", specular " << sp.r << ' ' << sp.g << ' ' << sp.b << ", shininess "
      << st->shininess(0) << ", opacity " << st->opacity(0) << ", glow " << st->selfIllumination(0);
    if (TextureMap* map = st->subTexmap(Material::kDiffuseMap))
      s << ", texture " << map->mapName() << " tiling " << map->textureTiling();
  }
  for (int i = 0; i < m->numSubMaterials(); ++i) s << " " << describe(m->subMaterial(i));
  s << "]";
  return s.str();
}

// Assimp gives an object or group without faces a node, which holds nothing to
// export; ours gives it none.
std::vector<SceneNode*> keptChildren(SceneNode* node) {
  std::vector<SceneNode*> kept;
  for (int i = 0; i < node->childCount(); ++i) {
    SceneNode* child = node->child(i);
    if (child->childCount() > 0 || child->evalWorldState(0).obj) kept.push_back(child);
  }
  return kept;
}

// Both scenes node by node, in the same order.
void compareNodes(SceneNode* a, SceneNode* b, const std::string& where) {
  const std::string name = a->name() ? a->name() : "(unnamed)";
  SCOPED_TRACE(where + "/" + name);
  EXPECT_STREQ(a->name(), b->name());
  EXPECT_EQ(describe(a->material()), describe(b->material()));
  EXPECT_EQ(a->userPropertyText(), b->userPropertyText());
  EXPECT_EQ(a->wireColor(), b->wireColor());
  const std::vector<std::string> misses = unmatched<Triangle>(
      trianglesOf(a), trianglesOf(b),
      [](const Triangle& t) {
        return t.corners[0].position[0] + t.corners[1].position[0] + t.corners[2].position[0];
      },
      [](const Triangle& x, const Triangle& y) {
        return x.materialId == y.materialId && sameLoop(x.corners, y.corners, sameCorner);
      },
      [](const Triangle& t) {
        std::string s = "material " + std::to_string(t.materialId);
        for (const Corner& c : t.corners)
          s += " " + text(c.position) + " n" + text(c.normal) + " uv" + text(c.uv) + " rgb" +
               text(c.color);
        return s;
      });
  EXPECT_TRUE(misses.empty()) << misses.size() << " triangles differ, as " << misses[0] << "\n"
                              << misses.back();
  const std::vector<SceneNode*> as = keptChildren(a), bs = keptChildren(b);
  ASSERT_EQ(as.size(), bs.size());
  for (size_t i = 0; i < as.size(); ++i) compareNodes(as[i], bs[i], where + "/" + name);
}

// --- the exported files ---------------------------------------------------------------

std::string describe(const WrittenFace& f) {
  std::ostringstream s;
  s << "object " << f.object << ", material " << f.materialIndex << ", texture " << f.texture
    << ", colour " << f.color.r << ' ' << f.color.g << ' ' << f.color.b << ", corners";
  for (const WrittenCorner& c : f.corners)
    s << " (" << c.p.x << ' ' << c.p.y << ' ' << c.p.z << ')';
  return s.str();
}

bool sameWrittenCorner(const WrittenCorner& a, const WrittenCorner& b) {
  const auto close = [](double x, double y) { return near(float(x), float(y)); };
  return close(a.p.x, b.p.x) && close(a.p.y, b.p.y) && close(a.p.z, b.p.z) && a.hasUv == b.hasUv &&
         close(a.u, b.u) && close(a.v, b.v) && a.hasNormal == b.hasNormal && close(a.n.x, b.n.x) &&
         close(a.n.y, b.n.y) && close(a.n.z, b.n.z);
}

bool sameWrittenFace(const WrittenFace& a, const WrittenFace& b) {
  return a.object == b.object && a.materialIndex == b.materialIndex && a.texture == b.texture &&
         a.hasColor == b.hasColor && a.color.r == b.color.r && a.color.g == b.color.g &&
         a.color.b == b.color.b && a.lightMode == b.lightMode && a.drawType == b.drawType &&
         sameLoop(a.corners, b.corners, sameWrittenCorner);
}

std::vector<WrittenFace> exportFaces(const fs::path& scene, const fs::path& out,
                                     const std::string& reader) {
  std::vector<std::string> args = {kBin + "/zorvel", "--no-prompt", "--quiet"};
  if (!reader.empty()) args.push_back(reader);
  args.push_back(scene.string());
  args.push_back(out.string());
  const e2e::RunResult result = e2e::run(args);
  EXPECT_EQ(result.status, 0) << result.err;
  std::vector<WrittenFace> faces;
  std::string error;
  EXPECT_TRUE(readWrittenFaces(out.string(), faces, error)) << error;
  return faces;
}

// --- the scenes -----------------------------------------------------------------------

class ObjReadersTest : public ::testing::Test {
 protected:
  void TearDown() override { fs::remove_all(dir_); }

  void write(const std::string& name, const std::string& text) { writeFile(dir_ / name, text); }

  static SceneLoadResult load(const fs::path& path, SceneReader reader) {
    SceneLoadOptions options;
    options.reader = reader;
    return loadScene(path.string(), options);
  }

  // Both readers agree on the file, or both refuse it.
  void expectSame(const fs::path& path) {
    SCOPED_TRACE(path.string());
    const SceneLoadResult ours = load(path, SceneReader::kAuto);
    const SceneLoadResult assimp = load(path, SceneReader::kAssimp);
    ASSERT_EQ(bool(ours), bool(assimp)) << ours.error << assimp.error;
    if (!ours) {
      EXPECT_EQ(ours.error.rfind("Error loading " + path.string() + ": ", 0), 0u) << ours.error;
      return;
    }
    EXPECT_EQ(ours.warnings, assimp.warnings);
    compareNodes(&ours.scene->root(), &assimp.scene->root(), "");

    const std::vector<WrittenFace> mine = exportFaces(path, dir_ / "ours.flt", "");
    const std::vector<WrittenFace> theirs =
        exportFaces(path, dir_ / "assimp.flt", "--reader=assimp");
    const std::vector<std::string> misses = unmatched<WrittenFace>(
        mine, theirs,
        [](const WrittenFace& f) {
          double x = 0;
          for (const WrittenCorner& c : f.corners) x += c.p.x;
          return float(x / std::max<size_t>(1, f.corners.size()));
        },
        sameWrittenFace, [](const WrittenFace& f) { return describe(f); });
    EXPECT_TRUE(misses.empty()) << misses.size() << " written faces differ, as " << misses[0];
  }

  const fs::path dir_ = freshDir();
};

TEST_F(ObjReadersTest, AssimpSampleScenes) {
  if (!fs::is_directory(kModels)) GTEST_SKIP() << "assimp-testmodels is not installed";
  std::vector<fs::path> scenes;
  for (const auto& entry : fs::recursive_directory_iterator(kModels)) {
    std::string ext = entry.path().extension().string();
    std::transform(ext.begin(), ext.end(), ext.begin(), ::tolower);
    if (entry.is_regular_file() && ext == ".obj") scenes.push_back(entry.path());
  }
  std::sort(scenes.begin(), scenes.end());
  ASSERT_GT(scenes.size(), 20u);
  for (const fs::path& scene : scenes) {
    if (kReadersDiffer.count(scene.filename().string())) continue;
    expectSame(scene);
  }
}

TEST_F(ObjReadersTest, FilesOfOurs) {
  writeFile(dir_ / "tiny.png", kPng3x2);
  fs::create_directories(dir_ / "maps");
  writeFile(dir_ / "maps" / "two words.png", kPng3x2);
  write("town.mtl",
        "newmtl brick red\nKa 0.1 0.2 0.3\nKd 0.8 0.2 0.1\nKs 0.5 0.5 0.5\nNs 64\nd 0.5\n"
        "Ke 0.2 0.7 0.1\nmap_Kd -clamp on maps/two words.png\n"
        "newmtl glass\nKd 0.2 0.4 0.9\nTr 0.25\nillum 2\nmap_Kd tiny.png\n"
        "newmtl  flat \r\nKd 1 1 0\nillum 0\n");
  // Faces before any object, groups of several names, materials split into runs
  // (each with normals at every corner or at none: Assimp shifts them otherwise),
  // a material no library defines, quads, a concave quad, polygons of five and
  // six corners, negative indices, lines, points and CRLF line ends.
  write("town.obj",
        "mtllib town.mtl\nv 0 0 0\nv 2 0 0\nv 2 2 0\nv 0 2 0\nv 1 0.5 0\nv 3 1 0\nv -1 1 0\n"
        "vt 0 0\nvt 1 0\nvt 1 1\nvt 0 1\nvn 0 0 1\nvn 0 0.6 0.8\n"
        "usemtl glass\nf 1 2 3\n"
        "o street\nusemtl brick red\nf 1/1/1 2/2/1 3/3/2 4/4/2\nf 2/2/1 5/3/2 4/4/2 1/1/1\n"
        "usemtl glass\nf 1//1 2//1 6//2 3//1 4//2\nusemtl brick red\r\nf 1 2 6 3 4 7\n"
        "g roof top\nusemtl flat\ns 1\nf -7 -6 -4\nusemtl unknown\nf 2 3 4\ns off\nl 1 2 3\n"
        "p 1 5\ng walls\nf 4 2 1\n");
  // Vertex colours and no material library at all.
  write("painted.obj",
        "v 0 0 0 1 0 0\nv 1 0 0 0 1 0\nv 1 1 0 0 0 1\nv 0 1 0 0.5 0.5 0.5\n"
        "o quad\nusemtl paint\nf 1 2 3 4\n");
  // A library that is not there: the OBJ file's own name with ".mtl" stands in.
  write("stem.mtl", "newmtl lost\nKd 0 1 0\n");
  write("stem.obj", "mtllib gone.mat\nv 0 0 0\nv 1 0 0\nv 0 1 0\nusemtl lost\nf 1 2 3\n");
  // A face of more corners than tinyobjloader counts (255): Assimp reads the file.
  std::string disc;
  for (int i = 0; i < 300; ++i)
    disc += "v " + std::to_string(std::cos(i * 2 * M_PI / 300)) + " " +
            std::to_string(std::sin(i * 2 * M_PI / 300)) + " 0\n";
  disc += "o disc\nf";
  for (int i = 1; i <= 300; ++i) disc += " " + std::to_string(i);
  write("disc.obj", disc + "\no tri\nf 1 2 3\n");
  for (const char* file : {"town.obj", "painted.obj", "stem.obj", "disc.obj"})
    expectSame(dir_ / file);

  // Broken files: both refuse them.
  write("zero.obj", "v 0 0 0\nv 1 0 0\nv 0 1 0\nf 0 1 2\n");
  write("beyond.obj", "v 0 0 0\nv 1 0 0\nv 0 1 0\nf 1 2 4\n");
  write("behind.obj", "v 0 0 0\nv 1 0 0\nv 0 1 0\nf -1 -2 -4\n");
  write("notes.obj", "Shopping list: milk, eggs.\n");
  for (const char* file : {"zero.obj", "beyond.obj", "behind.obj", "notes.obj"})
    expectSame(dir_ / file);
}

// Where the readers differ, ours does what the file says.
TEST_F(ObjReadersTest, OursReadsWhatAssimpMisreads) {
  write("empty_objects.obj",
        "v 0 0 0\nv 1 0 0\nv 0 1 0\nv 5 5 5 1 0 0\nvn 0 0 1\n"
        "o a\nf 1 2 3\no b\nf 1 3 2\no a\nf 2 3 1\no  city hall \nf 1//1 2 3\no empty\n"
        "o tinted\nf 1 2 4\n");
  const SceneLoadResult loaded = load(dir_ / "empty_objects.obj", SceneReader::kAuto);
  ASSERT_TRUE(loaded) << loaded.error;
  MemoryNode& root = loaded.scene->root();
  std::vector<std::string> names;
  for (int i = 0; i < root.childCount(); ++i) names.push_back(root.child(i)->name());
  EXPECT_EQ(names, (std::vector<std::string>{"a", "b", "a", "city hall", "tinted"}));
  const Mesh* second = meshOf(root.child(2));
  ASSERT_NE(second, nullptr);
  ASSERT_EQ(second->numFaces(), 1);
  EXPECT_EQ(second->verts[second->faces[0].v[0]], Point3(1, 0, 0));
  // The corners without a normal take their face's.
  Mesh* hall = meshOf(root.child(3));
  ASSERT_NE(hall, nullptr);
  hall->checkNormals(true);
  for (int v = 0; v < hall->numVerts(); ++v)
    EXPECT_TRUE(near(hall->getRVert(v).rn.normal, {0, 0, 1}));
  // A vertex without a colour among coloured ones is white, not black.
  const Mesh* tinted = meshOf(root.child(4));
  ASSERT_NE(tinted, nullptr);
  ASSERT_EQ(tinted->numVertCols(), 3);
  EXPECT_EQ(tinted->vertCols[tinted->faces[0].v[0]], Point3(1, 1, 1));
  EXPECT_EQ(tinted->vertCols[tinted->faces[0].v[2]], Point3(1, 0, 0));

  // UTF-16 text reads as the same scene as its UTF-8 original.
  if (!fs::is_directory(kModels)) return;
  const SceneLoadResult wide = load(kModels / "OBJ/box_UTF16BE.obj", SceneReader::kAuto);
  const SceneLoadResult plain = load(kModels / "OBJ/box.obj", SceneReader::kAuto);
  ASSERT_TRUE(wide && plain) << wide.error << plain.error;
  compareNodes(&wide.scene->root(), &plain.scene->root(), "");
}

}  // namespace
