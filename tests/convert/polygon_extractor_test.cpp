// Polygon extraction: coplanar triangles of one sub-material merged into loops of
// (triangle, corner), checked by hand on small shapes and against a plain
// quadratic model of the merge (sorted edge index with insertion, passes that erase
// from the open edges) on random meshes.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <numeric>
#include <optional>
#include <random>
#include <vector>

#include "convert/polygon_extractor.h"
#include "host/memory_object.h"
#include "host/memory_scene.h"
#include "host/mesh_builders.h"

namespace {

using Polygons = std::vector<std::vector<uint32_t>>;  // corners as 3 * triangle + corner

Face tri(uint32_t a, uint32_t b, uint32_t c, uint16_t materialId = 0) {
  Face f;
  f.v[0] = a;
  f.v[1] = b;
  f.v[2] = c;
  f.setMaterialId(materialId);
  return f;
}

struct Extraction {
  int ok = 0;
  Polygons polygons;
};

Extraction read(const PolygonExtractor& ex, int ok) {
  Extraction r{ok, {}};
  for (int i = 0; i < ex.polygonCount(); ++i) {
    r.polygons.emplace_back();
    for (int k = 0; k < ex.vertexCount(i); ++k) {
      int t = -1, c = -1;
      EXPECT_EQ(ex.polygonVertex(i, k, t, c), 1);
      r.polygons.back().push_back(static_cast<uint32_t>(3 * t + c));
    }
  }
  return r;
}

// kNoMaterial: the node has none; 0: a standard material; n: n sub-materials.
constexpr int kNoMaterial = -1;

struct Scene {
  MemoryScene scene;
  PolygonExtractor extractor;

  MemoryNode& node(const Mesh& mesh, int subMaterials = kNoMaterial,
                   const Matrix3& transform = Matrix3()) {
    MemoryNode& n = scene.addNode("n").setMesh(mesh).setTransform(transform);
    if (subMaterials == 0) n.setMaterial(&scene.addStandardMaterial("std"));
    if (subMaterials > 0) {
      MemoryMultiMaterial& multi = scene.addMultiMaterial("multi");
      for (int i = 0; i < subMaterials; ++i) multi.addSubMaterial(&scene.addStandardMaterial("s"));
      n.setMaterial(&multi);
    }
    return n;
  }
  Extraction extract(const Mesh& mesh, int subMaterials = kNoMaterial) {
    MemoryNode& n = node(mesh, subMaterials);
    return read(extractor, extractor.extract(&n));
  }
};

std::vector<uint32_t> vertexLoop(const Mesh& mesh, const std::vector<uint32_t>& corners) {
  std::vector<uint32_t> loop;
  for (uint32_t c : corners) loop.push_back(mesh.faces[c / 3].v[c % 3]);
  return loop;
}

// The loop started at its smallest vertex, so that loops compare as cycles.
std::vector<uint32_t> canonical(std::vector<uint32_t> loop) {
  std::rotate(loop.begin(), std::min_element(loop.begin(), loop.end()), loop.end());
  return loop;
}

// nx by ny cells, vertex (i, j) numbered j * (nx + 1) + i, cells (i, j) for which
// skip says so left out; triangles (a, b, c) and (a, c, d) per cell.
template <class Skip>
Mesh gridWithout(int nx, int ny, Skip skip) {
  Mesh m;
  for (int j = 0; j <= ny; ++j)
    for (int i = 0; i <= nx; ++i) m.verts.push_back({float(i), float(j), 0.0f});
  for (int j = 0; j < ny; ++j)
    for (int i = 0; i < nx; ++i) {
      if (skip(i, j)) continue;
      const uint32_t a = j * (nx + 1) + i, b = a + 1, c = a + nx + 2, d = a + nx + 1;
      m.faces.push_back(tri(a, b, c));
      m.faces.push_back(tri(a, c, d));
    }
  return m;
}

// ---- The model: the merge exactly as designed, with plain data structures. ----

constexpr uint32_t kNo = UINT32_MAX;

struct ModelEdge {
  uint32_t lo, hi;
  uint32_t tri[2] = {kNo, kNo};  // corner reference: triangle | corner << 30
  uint32_t poly[2] = {kNo, kNo};
  uint32_t prev[2] = {kNo, kNo};  // half-edge reference: edge | side << 31
  uint32_t next[2] = {kNo, kNo};
  int removed = 0;
};

struct Model {
  std::vector<ModelEdge> edges;
  std::vector<uint32_t> index;
  int removingPasses = 0;
  bool nonSimpleRegion = false;

  ModelEdge& edge(uint32_t h) { return edges[h & 0x7FFFFFFF]; }
  static uint32_t side(uint32_t h) { return h >> 31; }

  uint32_t addEdge(uint32_t from, uint32_t to, uint32_t cornerRef) {
    const uint32_t lo = std::min(from, to), hi = std::max(from, to), s = from > to ? 1 : 0;
    size_t pos = 0;
    while (pos < index.size()) {  // a linear scan keeps the model obviously right
      const ModelEdge& e = edges[index[pos]];
      if (e.lo > lo || (e.lo == lo && e.hi >= hi)) break;
      ++pos;
    }
    if (pos < index.size() && edges[index[pos]].lo == lo && edges[index[pos]].hi == hi) {
      ModelEdge& e = edges[index[pos]];
      if (e.tri[s] != kNo) return kNo;
      e.tri[s] = cornerRef;
      return index[pos] | s << 31;
    }
    edges.push_back({lo, hi});
    edges.back().tri[s] = cornerRef;
    index.insert(index.begin() + pos, uint32_t(edges.size() - 1));
    return uint32_t(edges.size() - 1) | s << 31;
  }

  bool canRemove(const Mesh& mesh, uint32_t e, int n) {
    const ModelEdge& d = edges[e];
    if (d.tri[0] == kNo || d.tri[1] == kNo) return false;
    for (uint32_t h : {d.prev[0], d.next[0], d.prev[1], d.next[1]})
      if (h != kNo && (h & 0x7FFFFFFF) == e) return true;
    const uint32_t t0 = d.tri[0] & 0x3FFFFFFF, t1 = d.tri[1] & 0x3FFFFFFF;
    if (n > 0 && mesh.faces[t0].materialId() % n != mesh.faces[t1].materialId() % n) return false;
    const Point3 a = mesh.getFaceNormal(t0), b = mesh.getFaceNormal(t1);
    const double dx = double(a.x) - b.x, dy = double(a.y) - b.y, dz = double(a.z) - b.z;
    return std::sqrt(dx * dx + dy * dy + dz * dz) <= 0.001;
  }

  void remove(uint32_t e) {
    ModelEdge& d = edges[e];
    for (int s = 0; s < 2; ++s) {
      const int o = 1 - s;
      if (d.prev[s] != kNo) edge(d.prev[s]).next[side(d.prev[s])] = d.next[o];
      if (d.next[s] != kNo) edge(d.next[s]).prev[side(d.next[s])] = d.prev[o];
    }
    d.prev[0] = d.prev[1] = d.next[0] = d.next[1] = kNo;
    d.removed = 1;
  }

  // Region of every triangle, by flood fill across removed edges.
  std::vector<int> regions(size_t faceCount) {
    std::vector<std::vector<uint32_t>> across(faceCount);
    for (const ModelEdge& d : edges)
      if (d.removed) {
        across[d.tri[0] & 0x3FFFFFFF].push_back(d.tri[1] & 0x3FFFFFFF);
        across[d.tri[1] & 0x3FFFFFFF].push_back(d.tri[0] & 0x3FFFFFFF);
      }
    std::vector<int> region(faceCount, -1);
    for (size_t t = 0; t < faceCount; ++t) {
      if (region[t] >= 0) continue;
      std::vector<uint32_t> todo{uint32_t(t)};
      region[t] = int(t);
      while (!todo.empty()) {
        const uint32_t u = todo.back();
        todo.pop_back();
        for (uint32_t w : across[u])
          if (region[w] < 0) region[w] = int(t), todo.push_back(w);
      }
    }
    return region;
  }

  std::optional<Polygons> run(const Mesh& mesh, int n) {
    for (size_t t = 0; t < mesh.faces.size(); ++t) {
      const Face& f = mesh.faces[t];
      uint32_t h[3];
      for (uint32_t c = 0; c < 3; ++c) {
        if (f.v[c] >= mesh.verts.size()) return std::nullopt;
        h[c] = addEdge(f.v[c], f.v[(c + 1) % 3], uint32_t(t) | c << 30);
        if (h[c] == kNo) return std::nullopt;
      }
      for (int c = 0; c < 3; ++c) {
        edge(h[c]).prev[side(h[c])] = h[(c + 2) % 3];
        edge(h[c]).next[side(h[c])] = h[(c + 1) % 3];
      }
    }
    std::vector<uint32_t> open = index;
    size_t removedTotal = 0;
    for (bool again = true; again;) {
      again = false;
      for (size_t i = 0; i < open.size();) {
        if (!canRemove(mesh, open[i], n)) {
          ++i;
          continue;
        }
        remove(open[i]);
        open.erase(open.begin() + i);
        again = true;
        ++removedTotal;
      }
      removingPasses += again;
    }
    if (removedTotal == 0 || open.size() < 3) return std::nullopt;

    std::vector<std::vector<uint32_t>> loops;  // corner references
    for (uint32_t e : open)
      for (uint32_t s = 0; s < 2; ++s) {
        if (edges[e].tri[s] == kNo || edges[e].poly[s] != kNo) continue;
        const uint32_t start = e | s << 31;
        std::vector<uint32_t> loop;
        uint32_t h = start;
        do {
          if (h == kNo || edge(h).poly[side(h)] != kNo) return std::nullopt;
          edge(h).poly[side(h)] = uint32_t(loops.size());
          loop.push_back(edge(h).tri[side(h)]);
          h = edge(h).next[side(h)];
        } while (h != start);
        if (loop.size() < 3) return std::nullopt;
        loops.push_back(loop);
      }

    // A region that is not bounded by exactly one loop goes as its triangles.
    const std::vector<int> region = regions(mesh.faces.size());
    std::vector<int> loopsOf(mesh.faces.size(), 0);
    for (const auto& loop : loops) ++loopsOf[region[loop[0] & 0x3FFFFFFF]];
    Polygons out;
    const auto triangles = [&](int r) {
      for (size_t t = 0; t < mesh.faces.size(); ++t)
        if (region[t] == r)
          out.push_back({3 * uint32_t(t), 3 * uint32_t(t) + 1, 3 * uint32_t(t) + 2});
    };
    std::vector<bool> written(mesh.faces.size(), false);
    for (const auto& loop : loops) {
      const int r = region[loop[0] & 0x3FFFFFFF];
      if (loopsOf[r] == 1) {
        out.emplace_back();
        for (uint32_t ref : loop) out.back().push_back(3 * (ref & 0x3FFFFFFF) + (ref >> 30));
      } else if (!written[r]) {
        nonSimpleRegion = true;
        written[r] = true;
        triangles(r);
      }
    }
    for (size_t t = 0; t < mesh.faces.size(); ++t)
      if (region[t] == int(t) && loopsOf[t] == 0) nonSimpleRegion = true, triangles(int(t));
    for (const auto& p : out)
      if (p.size() > 8190) return std::nullopt;
    if (out.empty()) return std::nullopt;
    return out;
  }
};

std::optional<Polygons> modelExtract(Mesh mesh, int subMaterials, Model* model = nullptr) {
  Model local;
  mesh.buildNormals();
  return (model ? *model : local).run(mesh, std::max(subMaterials, 0));
}

}  // namespace

TEST(PolygonExtractor, SingleTriangleFails) {
  Scene s;
  const Extraction r = s.extract(makeTriangleMesh({0, 0, 0}, {1, 0, 0}, {0, 1, 0}));
  EXPECT_EQ(r.ok, 0);
  EXPECT_EQ(s.extractor.polygonCount(), 0);
  EXPECT_EQ(s.extractor.mesh(), nullptr);
}

TEST(PolygonExtractor, QuadMergesIntoOneLoopOfCorners) {
  Scene s;
  const Mesh quad = makeQuadMesh();  // triangles (0,1,2) and (0,2,3)
  const Extraction r = s.extract(quad);
  ASSERT_EQ(r.ok, 1);
  // Walked from edge (0,1): corner 0 and 1 of the first triangle, 1 and 2 of the second.
  EXPECT_EQ(r.polygons, (Polygons{{0, 1, 4, 5}}));
  EXPECT_EQ(vertexLoop(quad, r.polygons[0]), (std::vector<uint32_t>{0, 1, 2, 3}));

  int t = -1, c = -1;
  EXPECT_EQ(s.extractor.polygonVertex(0, 6, t, c), 1);  // k wraps around
  EXPECT_EQ(3 * t + c, 4);
  EXPECT_EQ(s.extractor.polygonVertex(0, -1, t, c), 1);
  EXPECT_EQ(3 * t + c, 5);
  EXPECT_EQ(s.extractor.polygonVertex(1, 0, t, c), 0);
  EXPECT_EQ(s.extractor.polygonVertex(-1, 0, t, c), 0);
  EXPECT_EQ(s.extractor.vertexCount(1), 0);
  ASSERT_NE(s.extractor.mesh(), nullptr);
  EXPECT_EQ(s.extractor.mesh()->numFaces(), 2);

  s.extractor.clear();
  EXPECT_EQ(s.extractor.polygonCount(), 0);
  EXPECT_EQ(s.extractor.mesh(), nullptr);
}

TEST(PolygonExtractor, FoldMergesOnlyWithinTolerance) {
  // Second triangle lifted at its far corner: normals differ by about the angle.
  const auto fold = [](float lift) {
    Mesh m = makeQuadMesh();
    m.verts[3].z = lift;
    return m;
  };
  Scene s;
  EXPECT_EQ(s.extract(fold(0.0005f)).polygons.size(), 1u);
  EXPECT_EQ(s.extract(fold(0.002f)).ok, 0);
  EXPECT_EQ(s.extract(fold(1.0f)).ok, 0);
}

TEST(PolygonExtractor, CubeGivesSixQuadsWoundOutward) {
  Scene s;
  const Mesh box = makeBox({0, 0, 0}, {1, 1, 1});
  for (int subMaterials : {kNoMaterial, 0, 6}) {
    const Extraction r = s.extract(box, subMaterials);
    ASSERT_EQ(r.ok, 1);
    std::vector<std::vector<uint32_t>> loops;
    for (const auto& p : r.polygons) loops.push_back(canonical(vertexLoop(box, p)));
    std::sort(loops.begin(), loops.end());
    const std::vector<std::vector<uint32_t>> sides = {{0, 1, 5, 4}, {0, 2, 3, 1}, {0, 4, 6, 2},
                                                      {1, 3, 7, 5}, {2, 6, 7, 3}, {4, 5, 7, 6}};
    EXPECT_EQ(loops, sides);
  }
}

TEST(PolygonExtractor, SubMaterialIdsKeepTrianglesApart) {
  const auto quad = [](uint16_t id0, uint16_t id1) {
    Mesh m = makeQuadMesh();
    m.faces[0].setMaterialId(id0);
    m.faces[1].setMaterialId(id1);
    return m;
  };
  Scene s;
  EXPECT_EQ(s.extract(quad(1, 2), 2).ok, 0);
  EXPECT_EQ(s.extract(quad(0, 2), 2).ok, 1);  // equal modulo 2
  EXPECT_EQ(s.extract(quad(1, 2), 3).ok, 0);
  EXPECT_EQ(s.extract(quad(1, 2), kNoMaterial).ok, 1);
  EXPECT_EQ(s.extract(quad(1, 2), 0).ok, 1);  // a standard material has no sub-materials
}

TEST(PolygonExtractor, RegionWithHoleIsWrittenAsItsTriangles) {
  // A flat ring (3 x 3 cells, the middle one missing) would leave an outer and an
  // inner loop; the outer as a face would cover the hole.
  Scene s;
  const Mesh ring = gridWithout(3, 3, [](int i, int j) { return i == 1 && j == 1; });
  Extraction r = s.extract(ring);
  ASSERT_EQ(r.ok, 1);
  ASSERT_EQ(r.polygons.size(), 16u);
  for (uint32_t t = 0; t < 16; ++t)
    EXPECT_EQ(r.polygons[t], (std::vector<uint32_t>{3 * t, 3 * t + 1, 3 * t + 2}));

  // Another sub-material on one cell cuts the ring: a C-shaped face and a quad.
  Mesh cut = ring;
  cut.faces[0].setMaterialId(1);
  cut.faces[1].setMaterialId(1);
  r = s.extract(cut, 2);
  ASSERT_EQ(r.ok, 1);
  ASSERT_EQ(r.polygons.size(), 2u);
  EXPECT_EQ(canonical(vertexLoop(cut, r.polygons[0])), (std::vector<uint32_t>{0, 1, 5, 4}));
  EXPECT_EQ(canonical(vertexLoop(cut, r.polygons[1])),
            (std::vector<uint32_t>{1, 2, 3, 7, 11, 15, 14, 13, 12, 8, 4, 5, 9, 10, 6, 5}));

  // A closed part collapsed to one point has no boundary: its triangles go last.
  Mesh withClosed = makeQuadMesh();
  for (int i = 0; i < 4; ++i) withClosed.verts.push_back({5, 5, 5});
  for (const auto& f : {tri(4, 5, 6), tri(4, 6, 7), tri(4, 7, 5), tri(5, 7, 6)})
    withClosed.faces.push_back(f);
  r = s.extract(withClosed);
  ASSERT_EQ(r.ok, 1);
  EXPECT_EQ(r.polygons,
            (Polygons{{0, 1, 4, 5}, {6, 7, 8}, {9, 10, 11}, {12, 13, 14}, {15, 16, 17}}));
}

TEST(PolygonExtractor, EdgeSideClaimedTwiceFails) {
  Scene s;
  Mesh three = makeQuadMesh();
  three.verts.push_back({0.5f, 0.5f, 0.0f});
  three.faces.push_back(tri(0, 2, 4));  // a third triangle on edge (0, 2)
  EXPECT_EQ(s.extract(three).ok, 0);
  Mesh flipped = makeQuadMesh();
  flipped.faces[1] = tri(2, 0, 3);  // runs from 2 to 0 as its neighbour does
  EXPECT_EQ(s.extract(flipped).ok, 0);
}

TEST(PolygonExtractor, MirroredTransformIsReportedCornersUnchanged) {
  Scene s;
  const Mesh quad = makeQuadMesh();
  const Matrix3 mirror = Matrix3::scaling({-1, 2, 1}) * Matrix3::translation({3, 0, 0});
  ASSERT_EQ(s.extractor.extract(&s.node(quad, kNoMaterial, mirror)), 1);
  EXPECT_TRUE(s.extractor.mirrored());
  EXPECT_EQ(s.extractor.objectTransform(), mirror);
  EXPECT_EQ(read(s.extractor, 1).polygons, (Polygons{{0, 1, 4, 5}}));

  ASSERT_EQ(s.extractor.extract(&s.node(quad, kNoMaterial, Matrix3::rotationZ(2.0f))), 1);
  EXPECT_FALSE(s.extractor.mirrored());
}

TEST(PolygonExtractor, VertexListLimitFailsTheNode) {
  // A strip of 1 x 4094 flat cells merges into one loop of 8190 corners, the most
  // one vertex list record holds; a cap triangle at its end adds the 8191st.
  Mesh strip = gridWithout(4094, 1, [](int, int) { return false; });
  Scene s;
  Extraction r = s.extract(strip);
  ASSERT_EQ(r.ok, 1);
  ASSERT_EQ(r.polygons.size(), 1u);
  EXPECT_EQ(r.polygons[0].size(), 8190u);
  strip.verts.push_back({4094.5f, 0.5f, 0.0f});
  strip.faces.push_back(tri(4094, uint32_t(strip.verts.size() - 1), 2 * 4095 - 1));
  EXPECT_EQ(s.extract(strip).ok, 0);
  EXPECT_EQ(s.extractor.polygonCount(), 0);
}

TEST(PolygonExtractor, BadInputNeverCrashes) {
  Scene s;
  const float nan = std::numeric_limits<float>::quiet_NaN();
  const float inf = std::numeric_limits<float>::infinity();
  const Mesh grid = gridWithout(2, 2, [](int, int) { return false; });
  for (float bad : {nan, inf}) {
    Mesh m = grid;
    m.verts[4].x = bad;  // the middle vertex, on six of the eight triangles
    const Extraction r = s.extract(m);
    EXPECT_EQ(r.ok, modelExtract(m, kNoMaterial) ? 1 : 0);
    for (const auto& p : r.polygons)
      for (uint32_t c : p) EXPECT_LT(c / 3, m.faces.size());
  }

  Mesh outOfRange = makeQuadMesh();
  outOfRange.faces[1].v[2] = 4;
  EXPECT_EQ(s.extract(outOfRange).ok, 0);
  outOfRange.faces[1].v[2] = UINT32_MAX;
  EXPECT_EQ(s.extract(outOfRange).ok, 0);

  Mesh degenerate = makeQuadMesh();
  degenerate.faces.push_back(tri(1, 1, 1));  // runs along edge (1, 1) three times
  EXPECT_EQ(s.extract(degenerate).ok, 0);
  degenerate.faces.back() = tri(3, 3, 2);  // runs from 2 to 3 as the quad does
  EXPECT_EQ(s.extract(degenerate).ok, 0);
  degenerate.faces.back() = tri(1, 4, 4);  // both sides of (1, 4): a loop of one edge
  degenerate.verts.push_back({2, 0, 0});
  EXPECT_EQ(s.extract(degenerate).ok, 0);
  degenerate.verts.push_back({3, 0, 0});
  degenerate.faces.back() = tri(1, 4, 5);  // collinear, zero area: stays a triangle
  Extraction r = s.extract(degenerate);
  ASSERT_EQ(r.ok, 1);
  EXPECT_EQ(r.polygons, (Polygons{{0, 1, 4, 5}, {6, 7, 8}}));

  EXPECT_EQ(s.extract(Mesh()).ok, 0);
  EXPECT_EQ(s.extractor.extract(nullptr), 0);
  MemoryNode& camera = s.scene.addNode("camera").setObject(makeCameraObject());
  EXPECT_EQ(s.extractor.extract(&camera), 0);
  MemoryNode& empty = s.scene.addNode("empty");
  EXPECT_EQ(s.extractor.extract(&empty), 0);
}

TEST(PolygonExtractor, PrimitiveConversionIsReleasedOnClear) {
  Scene s;
  MemoryNode& n =
      s.scene.addNode("prim").setObject(makePrimitiveObject(makeBox({0, 0, 0}, {1, 1, 1})));
  ASSERT_EQ(s.extractor.extract(&n), 1);
  EXPECT_NE(s.extractor.triObject(), n.object());  // a new object, owned and released
  s.extractor.clear();
  EXPECT_EQ(s.extractor.triObject(), nullptr);
}

// Random meshes through the extractor and through the model: the same outcome and
// the same polygons, corner for corner, in the same order.
TEST(PolygonExtractor, MatchesModelOnRandomMeshes) {
  std::mt19937 rng(20240611);
  const auto uniform = [&](int lo, int hi) {
    return std::uniform_int_distribution<int>(lo, hi)(rng);
  };
  const auto chance = [&](double p) { return std::bernoulli_distribution(p)(rng); };
  int succeeded = 0, failed = 0, laterPasses = 0, nonSimple = 0;
  for (int round = 0; round < 3000; ++round) {
    const int nx = uniform(1, 7), ny = uniform(1, 7), materials = uniform(1, 3);
    Mesh m = gridWithout(nx, ny, [&](int, int) { return chance(0.15); });
    // Heights near the tolerance, so that normals chain across merged regions.
    const int shape = uniform(0, 3);
    const float bend = 0.0002f * uniform(1, 4), noise = 0.0002f * uniform(1, 5);
    for (Point3& p : m.verts) {
      if (shape == 1) p.z = bend * p.x * p.x;
      if (shape == 2) p.z = noise * std::uniform_real_distribution<float>(-1, 1)(rng);
      if (shape == 3 && chance(0.1)) p.z = 0.5f;
    }
    for (Face& f : m.faces) {
      f.setMaterialId(static_cast<uint16_t>(chance(0.3) ? uniform(0, materials) : 0));
      std::rotate(f.v, f.v + uniform(0, 2), f.v + 3);
    }
    if (chance(0.05) && !m.faces.empty()) std::swap(m.faces[0].v[0], m.faces[0].v[1]);
    if (chance(0.05) && !m.faces.empty()) m.faces.push_back(m.faces[0]);
    if (chance(0.1) && !m.faces.empty())
      m.faces.push_back(tri(m.faces[0].v[0], m.faces[0].v[0], 0));
    std::shuffle(m.faces.begin(), m.faces.end(), rng);
    std::vector<uint32_t> renumber(m.verts.size());
    std::iota(renumber.begin(), renumber.end(), 0u);
    std::shuffle(renumber.begin(), renumber.end(), rng);
    for (Face& f : m.faces)
      for (uint32_t& v : f.v) v = renumber[v];
    std::vector<Point3> verts(m.verts.size());
    for (size_t i = 0; i < verts.size(); ++i) verts[renumber[i]] = m.verts[i];
    m.verts = verts;

    const int subMaterials = uniform(-1, 3);
    Scene s;
    const Extraction got = s.extract(m, subMaterials);
    Model model;
    const auto want = modelExtract(m, subMaterials, &model);
    ASSERT_EQ(got.ok, want ? 1 : 0) << "round " << round;
    if (want) {
      ASSERT_EQ(got.polygons, *want) << "round " << round;
      ++succeeded;
    } else {
      ++failed;
    }
    laterPasses += model.removingPasses > 1;
    nonSimple += model.nonSimpleRegion;
  }
  // The rounds must reach every path worth comparing.
  EXPECT_GT(succeeded, 1000);
  EXPECT_GT(failed, 100);
  EXPECT_GT(laterPasses, 50);
  EXPECT_GT(nonSimple, 50);
}
