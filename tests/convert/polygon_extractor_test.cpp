// Polygon extraction: coplanar triangles of one sub-material merged into loops of
// (triangle, corner), checked by hand on small shapes and, on those and on random
// meshes, against a plain model of the merge.
#include "convert/polygon_extractor.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <limits>
#include <map>
#include <numeric>
#include <optional>
#include <random>

#include "host/memory_object.h"
#include "host/memory_scene.h"
#include "host/mesh_builders.h"

namespace {

using Loop = std::vector<uint32_t>;
using Polygons = std::vector<Loop>;      // corners as 3 * triangle + corner
using Result = std::optional<Polygons>;  // none: the extraction fails
constexpr uint32_t kNo = UINT32_MAX;

// The polygons of an extraction; a failed one must leave the extractor empty.
Result extract(PolygonExtractor& ex, SceneNode* node) {
  if (!ex.extract(node)) {
    EXPECT_EQ(ex.polygonCount(), 0);
    EXPECT_EQ(ex.mesh(), nullptr);
    return std::nullopt;
  }
  Polygons out(ex.polygonCount());
  for (int i = 0; i < ex.polygonCount(); ++i)
    for (int k = 0, t = -1, c = -1; k < ex.vertexCount(i); ++k) {
      EXPECT_EQ(ex.polygonVertex(i, k, t, c), 1);
      out[i].push_back(uint32_t(3 * t + c));
    }
  return out;
}

struct Scene {
  MemoryScene scene;
  PolygonExtractor extractor;

  // subMaterials -1: no material; 0: a standard one; n: a multi-material of n.
  MemoryNode& node(const Mesh& mesh, int subMaterials = -1, const Matrix3& transform = {}) {
    MemoryNode& n = scene.addNode("n").setMesh(mesh).setTransform(transform);
    if (subMaterials == 0) n.setMaterial(&scene.addStandardMaterial("std"));
    if (subMaterials > 0) {
      MemoryMultiMaterial& multi = scene.addMultiMaterial("multi");
      for (int i = 0; i < subMaterials; ++i) multi.addSubMaterial(&scene.addStandardMaterial("s"));
      n.setMaterial(&multi);
    }
    return n;
  }
  Result run(const Mesh& mesh, int subMaterials = -1) {
    return extract(extractor, &node(mesh, subMaterials));
  }
};

template <class Edit>
Mesh edited(Mesh m, Edit edit) {
  edit(m);
  return m;
}

// The mesh's vertices along a polygon, started at the smallest so that loops compare
// as cycles.
Loop vertexLoop(const Mesh& mesh, const Loop& corners) {
  Loop loop;
  for (uint32_t c : corners) loop.push_back(mesh.faces[c / 3].v[c % 3]);
  std::rotate(loop.begin(), std::min_element(loop.begin(), loop.end()), loop.end());
  return loop;
}

// nx by ny cells without those `skip` names; triangles (a, b, c) and (a, c, d) per cell.
template <class Skip>
Mesh gridWithout(int nx, int ny, Skip skip) {
  Mesh m = makeGridMesh(nx, ny);
  std::vector<Face> kept;
  for (size_t cell = 0; cell < m.faces.size() / 2; ++cell)
    if (!skip(int(cell % nx), int(cell / nx)))
      kept.insert(kept.end(), {m.faces[2 * cell], m.faces[2 * cell + 1]});
  m.faces = kept;
  m.tvFaces.clear();
  m.tVerts.clear();
  return m;
}

struct D3 {
  double x, y, z;
  D3(double a, double b, double c) : x(a), y(b), z(c) {}
  explicit D3(const Point3& p) : x(p.x), y(p.y), z(p.z) {}
  D3 operator-(const D3& o) const { return {x - o.x, y - o.y, z - o.z}; }
  D3 operator+(const D3& o) const { return {x + o.x, y + o.y, z + o.z}; }
};
D3 operator*(double k, const D3& a) {
  return {k * a.x, k * a.y, k * a.z};
}
double dot(const D3& a, const D3& b) {
  return a.x * b.x + a.y * b.y + a.z * b.z;
}
D3 cross(const D3& a, const D3& b) {
  return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}
double length(const D3& a) {
  return std::sqrt(dot(a, a));
}

// Whether the polygon's corners all turn one way about its own (Newell) normal, or
// run straight on; a loose tolerance, since only real concavity matters here.
bool convexLoop(const Mesh& mesh, const Loop& p) {
  std::vector<D3> at;
  for (uint32_t c : p) at.push_back(D3(mesh.verts[mesh.faces[c / 3].v[c % 3]]));
  const size_t n = at.size();
  D3 normal{0, 0, 0};
  for (size_t i = 0; i < n; ++i) normal = normal + cross(at[i], at[(i + 1) % n]);
  for (size_t i = 0; i < n; ++i) {
    const D3 in = at[i] - at[(i + n - 1) % n], out = at[(i + 1) % n] - at[i];
    const double sine = dot(cross(in, out), normal) / (length(in) * length(out) * length(normal));
    if (!(sine > -1e-4) || (sine < 1e-4 && dot(in, out) <= 0)) return false;
  }
  return true;
}

// Whether the texture coordinates at the polygon's corners follow one affine map of
// the positions (fitted to its first corner and the two corners spanning the most
// area with it), within 1e-4. A polygon without coordinates passes.
bool oneTextureMap(const Mesh& mesh, const Loop& p) {
  if (mesh.tVerts.empty()) return true;
  std::vector<D3> at, uv;
  for (uint32_t c : p) {
    at.push_back(D3(mesh.verts[mesh.faces[c / 3].v[c % 3]]));
    if (c / 3 >= mesh.tvFaces.size()) return true;
    const uint32_t t = mesh.tvFaces[c / 3].t[c % 3];
    if (t >= mesh.tVerts.size()) return true;
    uv.push_back(D3(mesh.tVerts[t]));
  }
  size_t j = 1, k = 2;
  for (size_t a = 1; a < at.size(); ++a)
    for (size_t b = a + 1; b < at.size(); ++b)
      if (length(cross(at[a] - at[0], at[b] - at[0])) > length(cross(at[j] - at[0], at[k] - at[0])))
        j = a, k = b;
  const D3 e1 = at[j] - at[0], e2 = at[k] - at[0], area = cross(e1, e2);
  for (size_t i = 0; i < at.size(); ++i) {
    // Barycentric weights of corner i in the plane of (0, j, k).
    const D3 d = at[i] - at[0];
    const double s = dot(cross(d, e2), area) / dot(area, area);
    const double t = dot(cross(e1, d), area) / dot(area, area);
    const D3 want = uv[0] + s * (uv[j] - uv[0]) + t * (uv[k] - uv[0]);
    if (!(std::fabs(want.x - uv[i].x) <= 1e-4 && std::fabs(want.y - uv[i].y) <= 1e-4)) return false;
  }
  return true;
}

// The merge as designed, written plainly: edges numbered in (smaller, larger vertex)
// order, whole passes over the open edges until none goes, the loops walked from the
// open edges in order, regions joined by union-find.
struct Model {
  int passes = 0;          // passes that removed an edge
  bool nonSimple = false;  // some region went as its triangles

  Result run(Mesh mesh, int subMaterials) {
    mesh.buildNormals();
    const uint32_t n = uint32_t(std::max(subMaterials, 0)), faces = uint32_t(mesh.faces.size());
    std::map<std::pair<uint32_t, uint32_t>, uint32_t> number;
    for (const Face& f : mesh.faces)
      for (int c = 0; c < 3; ++c) {
        if (f.v[c] >= mesh.verts.size()) return std::nullopt;
        number[std::minmax(f.v[c], f.v[(c + 1) % 3])];
      }
    uint32_t count = 0;
    for (auto& entry : number) entry.second = count++;
    // Half-edge 2 * edge + side; side 1 runs from the larger vertex to the smaller.
    const auto half = [&](uint32_t a, uint32_t b) {
      return 2 * number[std::minmax(a, b)] + (a > b);
    };
    std::vector<uint32_t> corner(2 * count, kNo), next(2 * count, kNo), prev(2 * count, kNo);
    for (uint32_t t = 0; t < faces; ++t) {
      const uint32_t* v = mesh.faces[t].v;
      const uint32_t h[3] = {half(v[0], v[1]), half(v[1], v[2]), half(v[2], v[0])};
      for (uint32_t c = 0; c < 3; ++c) {
        if (corner[h[c]] != kNo) return std::nullopt;
        corner[h[c]] = 3 * t + c;
        next[h[c]] = h[(c + 1) % 3];
        prev[h[c]] = h[(c + 2) % 3];
      }
    }
    // Polygons by their first triangle, each with a bound on how far its normals lie
    // from that triangle's.
    std::vector<uint32_t> first(faces);
    std::iota(first.begin(), first.end(), 0u);
    std::vector<double> spread(faces, 0.0);
    const auto polygon = [&](uint32_t t) {
      while (first[t] != t) t = first[t];
      return t;
    };
    const auto normal = [&](uint32_t t) { return D3(mesh.getFaceNormal(int(t))); };
    const auto position = [&](uint32_t c) { return D3(mesh.verts[mesh.faces[c / 3].v[c % 3]]); };
    const auto uvs = [&](uint32_t t) {  // 0 none, 3 all, else some
      if (mesh.tVerts.empty() || t >= mesh.tvFaces.size()) return 0;
      int k = 0;
      for (uint32_t i : mesh.tvFaces[t].t) k += i < mesh.tVerts.size();
      return k;
    };
    const auto uv = [&](uint32_t c) { return mesh.tVerts[mesh.tvFaces[c / 3].t[c % 3]]; };
    const auto following = [](uint32_t c) { return c / 3 * 3 + (c + 1) % 3; };
    const auto removable = [&](uint32_t e) {
      const uint32_t h0 = 2 * e, h1 = h0 + 1;
      if (corner[h0] == kNo || corner[h1] == kNo) return false;
      for (uint32_t h : {prev[h0], next[h0], prev[h1], next[h1]})
        if (h != kNo && h / 2 == e) return true;  // dangling inside a merged loop
      const uint32_t t0 = corner[h0] / 3, t1 = corner[h1] / 3;
      const uint32_t p0 = polygon(t0), p1 = polygon(t1);
      if (p0 == p1) return false;
      if (n > 0 && mesh.faces[t0].materialId() % n != mesh.faces[t1].materialId() % n) return false;
      if (!(length(normal(p0) - normal(p1)) + spread[p0] + spread[p1] <= 0.001)) return false;
      const int k = uvs(t0);
      if (k != uvs(t1) || (k != 0 && k != 3)) return false;
      const D3 plane = normal(t0) + normal(t1);
      if (!(length(plane) > 0)) return false;
      if (k == 3) {
        for (auto [a, b] : {std::pair{corner[h0], following(corner[h1])},
                            std::pair{following(corner[h0]), corner[h1]}})
          if (!(std::fabs(double(uv(a).x) - uv(b).x) <= 1e-6 &&
                std::fabs(double(uv(a).y) - uv(b).y) <= 1e-6))
            return false;
      }
      // The corners the splice makes, at e's start and at its end.
      const auto convex = [&](uint32_t from, uint32_t at, uint32_t to) {
        const D3 in = position(at) - position(from), out = position(to) - position(at);
        const double sine = dot(cross(in, out), plane) / (length(in) * length(out) * length(plane));
        return sine >= -1e-6 && (sine > 1e-6 || dot(in, out) > 0);
      };
      if (!convex(corner[prev[h0]], corner[h0], following(corner[next[h1]])) ||
          !convex(corner[prev[h1]], corner[h1], following(corner[next[h0]])))
        return false;
      if (k == 3) {
        // Both maps in one frame of the plane: rows d(u,v)/d(x,y).
        const D3 z = (1 / length(plane)) * plane;
        const D3 x0 = std::fabs(z.x) < 0.5 ? D3{1, 0, 0} : D3{0, 1, 0};
        const D3 x = (1 / length(cross(z, x0))) * cross(cross(z, x0), z), y = cross(z, x);
        std::array<double, 4> map[2];
        for (int i = 0; i < 2; ++i) {
          const uint32_t t = i ? t1 : t0;
          const D3 e1 = position(3 * t + 1) - position(3 * t),
                   e2 = position(3 * t + 2) - position(3 * t);
          const double a = dot(e1, x), b = dot(e2, x), c = dot(e1, y), d = dot(e2, y);
          const double det = a * d - b * c;
          if (!(det != 0)) return false;
          const double du1 = double(uv(3 * t + 1).x) - uv(3 * t).x,
                       du2 = double(uv(3 * t + 2).x) - uv(3 * t).x;
          const double dv1 = double(uv(3 * t + 1).y) - uv(3 * t).y,
                       dv2 = double(uv(3 * t + 2).y) - uv(3 * t).y;
          // [du1 du2] = [ux uy] [[a b] [c d]]
          map[i] = {(du1 * d - du2 * c) / det, (du2 * a - du1 * b) / det, (dv1 * d - dv2 * c) / det,
                    (dv2 * a - dv1 * b) / det};
        }
        double diff = 0, size0 = 0, size1 = 0;
        for (int i = 0; i < 4; ++i) {
          diff += (map[0][i] - map[1][i]) * (map[0][i] - map[1][i]);
          size0 += map[0][i] * map[0][i];
          size1 += map[1][i] * map[1][i];
        }
        if (!(diff <= 1e-12 * std::max(size0, size1))) return false;
      }
      return true;
    };
    const auto join = [&](uint32_t e) {
      const uint32_t a = polygon(corner[2 * e] / 3), b = polygon(corner[2 * e + 1] / 3);
      if (a == b) return;
      const uint32_t keep = std::min(a, b), other = std::max(a, b);
      spread[keep] = std::max(spread[keep], spread[other] + length(normal(keep) - normal(other)));
      first[other] = keep;
    };
    std::vector<uint32_t> open(count), removed;
    std::iota(open.begin(), open.end(), 0u);
    for (bool again = true; again; passes += again) {
      again = false;
      for (size_t i = 0; i < open.size(); ++i) {
        const uint32_t e = open[i];
        if (!removable(e)) continue;
        join(e);
        for (uint32_t s = 0; s < 2; ++s) {  // splice, reading the links as they stand
          const uint32_t hs = 2 * e + s, ho = 2 * e + 1 - s;
          if (prev[hs] != kNo) next[prev[hs]] = next[ho];
          if (next[hs] != kNo) prev[next[hs]] = prev[ho];
        }
        next[2 * e] = next[2 * e + 1] = prev[2 * e] = prev[2 * e + 1] = kNo;
        removed.push_back(e);
        open.erase(open.begin() + i--);
        again = true;
      }
    }
    if (removed.empty() || open.size() < 3) return std::nullopt;

    std::vector<bool> walked(2 * count, false);
    Polygons loops;
    for (uint32_t e : open)
      for (uint32_t start = 2 * e; start < 2 * e + 2; ++start) {
        if (corner[start] == kNo || walked[start]) continue;
        loops.emplace_back();
        for (uint32_t h = start; loops.back().empty() || h != start; h = next[h]) {
          if (h == kNo || walked[h]) return std::nullopt;
          walked[h] = true;
          loops.back().push_back(corner[h]);
        }
        if (loops.back().size() < 3) return std::nullopt;
      }

    std::vector<uint32_t> root(faces);  // triangles joined across removed edges
    std::iota(root.begin(), root.end(), 0u);
    const auto region = [&](uint32_t t) {
      while (root[t] != t) t = root[t];
      return t;
    };
    for (uint32_t e : removed) root[region(corner[2 * e] / 3)] = region(corner[2 * e + 1] / 3);
    // A region bounded by other than one loop goes as its triangles, in mesh order:
    // at its first loop, or at the end when it has none.
    std::vector<int> loopsIn(faces, 0);
    for (const Loop& loop : loops) ++loopsIn[region(loop[0] / 3)];
    Polygons out;
    const auto triangles = [&](auto pick) {
      for (uint32_t t = 0; t < faces; ++t)
        if (pick(region(t))) out.push_back({3 * t, 3 * t + 1, 3 * t + 2}), nonSimple = true;
    };
    for (const Loop& loop : loops) {
      const uint32_t r = region(loop[0] / 3);
      if (loopsIn[r] == 1) out.push_back(loop);
      if (loopsIn[r] > 1) triangles([r](uint32_t q) { return q == r; }), loopsIn[r] = -1;
    }
    triangles([&](uint32_t q) { return loopsIn[q] == 0; });
    for (const Loop& p : out)
      if (p.size() > 8190) return std::nullopt;
    return out.empty() ? std::nullopt : Result(out);
  }
};

}  // namespace

TEST(PolygonExtractor, SmallShapesMergeOrFailAsTheModelDoes) {
  const float nan = std::numeric_limits<float>::quiet_NaN();
  const float inf = std::numeric_limits<float>::infinity();
  const Mesh quad = makeQuadMesh();  // triangles (0,1,2) and (0,2,3)
  // Walked from edge (0,1): corners 0 and 1 of the first triangle, 1 and 2 of the second.
  const Polygons merged = {{0, 1, 4, 5}};
  const auto lifted = [&](float z) { return edited(quad, [z](Mesh& m) { m.verts[3].z = z; }); };
  const auto ids = [&](uint16_t a, uint16_t b) {
    return edited(quad, [=](Mesh& m) { m.faces[0].setMaterialId(a), m.faces[1].setMaterialId(b); });
  };
  const auto plus = [&](Face f, int newVerts = 0) {
    return edited(quad, [=](Mesh& m) {
      m.faces.push_back(f);
      for (int i = 0; i < newVerts; ++i) m.verts.push_back({2.0f + i, 0, 0});
    });
  };
  const Mesh grid = gridWithout(2, 2, [](int, int) { return false; });
  // A flat ring (the middle cell missing) never becomes one face around its hole: the
  // bottom row, the left column and two pentagons, each stopped where it would turn
  // concave (at vertices 5, 6, 9 and 10).
  const Mesh ring = gridWithout(3, 3, [](int i, int j) { return i == 1 && j == 1; });
  const Polygons ringPieces = {{0, 6, 12, 13, 16, 10, 4, 5},
                               {18, 19, 31, 34, 35, 23},
                               {24, 25, 43, 44, 29},
                               {36, 45, 46, 40, 41}};
  // A closed part collapsed to one point: its triangles have no normal and stay.
  const Mesh closed = edited(quad, [](Mesh& m) {
    m.verts.insert(m.verts.end(), 4, Point3(5, 5, 5));
    m.faces.insert(m.faces.end(),
                   {Face{{4, 5, 6}}, Face{{4, 6, 7}}, Face{{4, 7, 5}}, Face{{5, 7, 6}}});
  });
  struct Case {
    const char* name;
    Mesh mesh;
    int subMaterials;
    Result expected;
  } cases[] = {
      {"quad", quad, -1, merged},
      {"one triangle", makeTriangleMesh({0, 0, 0}, {1, 0, 0}, {0, 1, 0}), -1, std::nullopt},
      {"empty", Mesh(), -1, std::nullopt},
      // The normals differ by about the lift.
      {"fold within the tolerance", lifted(0.0005f), -1, merged},
      {"fold just past it", lifted(0.002f), -1, std::nullopt},
      {"steep fold", lifted(1.0f), -1, std::nullopt},
      {"other sub-materials", ids(1, 2), 2, std::nullopt},
      {"ids equal modulo the count", ids(0, 2), 2, merged},
      {"other sub-materials of three", ids(1, 2), 3, std::nullopt},
      {"ids without a material", ids(1, 2), -1, merged},
      {"ids under a standard material", ids(1, 2), 0, merged},
      {"third triangle on an edge", plus(Face{{0, 2, 4}}, 1), -1, std::nullopt},
      {"neighbour wound against",
       edited(quad,
              [](Mesh& m) {
                m.faces[1] = Face{{2, 0, 3}};
              }),
       -1, std::nullopt},
      {"vertex out of range", edited(quad, [](Mesh& m) { m.faces[1].v[2] = 4; }), -1, std::nullopt},
      {"vertex far out", edited(quad, [](Mesh& m) { m.faces[1].v[2] = kNo; }), -1, std::nullopt},
      {"along one edge thrice", plus(Face{{1, 1, 1}}), -1, std::nullopt},
      {"from 2 to 3 as the quad", plus(Face{{3, 3, 2}}), -1, std::nullopt},
      {"a loop of one edge", plus(Face{{1, 4, 4}}, 1), -1, std::nullopt},
      {"collinear, zero area", plus(Face{{1, 4, 5}}, 2), -1, Polygons{{0, 1, 4, 5}, {6, 7, 8}}},
      // The six triangles around the middle vertex get no normal; the other two do not
      // touch.
      {"NaN vertex", edited(grid, [=](Mesh& m) { m.verts[4].x = nan; }), -1, std::nullopt},
      {"infinite vertex", edited(grid, [=](Mesh& m) { m.verts[4].x = inf; }), -1, std::nullopt},
      {"ring", ring, -1, ringPieces},
      {"closed part", closed, -1,
       Polygons{{0, 1, 4, 5}, {6, 7, 8}, {14, 12, 13}, {9, 10, 11}, {17, 15, 16}}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Scene s;
    EXPECT_EQ(s.run(c.mesh, c.subMaterials), c.expected);
    EXPECT_EQ(Model().run(c.mesh, c.subMaterials), c.expected);
  }
}

TEST(PolygonExtractor, PolygonsKeepTheWindingOfTheirTriangles) {
  Scene s;
  const Mesh box = makeBox({0, 0, 0}, {1, 1, 1});
  for (int subMaterials : {-1, 0, 6}) {
    const Result r = s.run(box, subMaterials);
    ASSERT_TRUE(r);
    Polygons loops;
    for (const Loop& p : *r) loops.push_back(vertexLoop(box, p));
    std::sort(loops.begin(), loops.end());
    EXPECT_EQ(
        loops,
        (Polygons{
            {0, 1, 5, 4}, {0, 2, 3, 1}, {0, 4, 6, 2}, {1, 3, 7, 5}, {2, 6, 7, 3}, {4, 5, 7, 6}}));
  }
}

TEST(PolygonExtractor, MergesOnlyWhatOneConvexFaceCanCarry) {
  // A wall of two cells, vertices 0 1 2 along the bottom and 3 4 5 above; its
  // texture runs u = x / 2.
  const Mesh wall = makeGridMesh(2, 1);
  const Polygons hexagon = {{0, 6, 7, 10, 4, 5}}, twoQuads = {{0, 1, 4, 5}, {6, 7, 10, 11}};
  const auto rightHalf = [&](float du) {  // the right cell on texture vertices of its own
    return edited(wall, [=](Mesh& m) {
      for (int f = 2; f < 4; ++f)
        for (uint32_t& t : m.tvFaces[f].t) {
          m.tVerts.push_back(m.tVerts[t] + Point3(du, 0, 0));
          t = uint32_t(m.tVerts.size() - 1);
        }
    });
  };
  const Mesh lShape = gridWithout(2, 2, [](int i, int j) { return i == 1 && j == 1; });
  struct Case {
    const char* name;
    Mesh mesh;
    Polygons expected;
  } cases[] = {
      {"wall", wall, hexagon},
      {"wall mirrored at its middle",
       edited(wall, [](Mesh& m) { m.tVerts[2].x = m.tVerts[5].x = 0; }), twoQuads},
      {"texture seam between the cells", rightHalf(1.0f), twoQuads},
      {"seam within the tolerance", rightHalf(5e-7f), hexagon},
      {"seam just past it", rightHalf(2e-6f), twoQuads},
      {"one cell without texture", edited(wall, [](Mesh& m) { m.tvFaces.resize(2); }), twoQuads},
      {"one corner's texture vertex missing",
       edited(wall, [](Mesh& m) { m.tvFaces[3].t[1] = 99; }),
       {{0, 1, 4, 5}, {6, 7, 8}, {11, 9, 10}}},
      {"oblique map",
       edited(wall,
              [](Mesh& m) {
                for (size_t i = 0; i < m.tVerts.size(); ++i)
                  m.tVerts[i] = {0.3f * m.verts[i].x + 0.7f * m.verts[i].y, 0.2f * m.verts[i].x, 0};
              }),
       hexagon},
      {"map stretched on the right",
       edited(wall, [](Mesh& m) { m.tVerts[2].x = m.tVerts[5].x = 1.5f; }), twoQuads},
      // Three cells of an L: the bottom row and the upper cell, the corner at vertex 4
      // never concave.
      {"L-shape", lShape, {{0, 6, 7, 10, 4, 5}, {12, 13, 16, 17}}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Scene s;
    const Result r = s.run(c.mesh);
    EXPECT_EQ(r, c.expected);
    EXPECT_EQ(Model().run(c.mesh, -1), c.expected);
    for (const Loop& p : r.value_or(Polygons{})) {
      EXPECT_TRUE(convexLoop(c.mesh, p));
      EXPECT_TRUE(oneTextureMap(c.mesh, p));
    }
  }
}

// Grids of every size up to 7 x 5, with their texture and without, still merge: into
// convex polygons of four corners or more that tile the grid.
TEST(PolygonExtractor, GridsStillMergeIntoConvexPolygons) {
  for (bool textured : {true, false})
    for (int nx = 1; nx <= 7; ++nx)
      for (int ny = 1; ny <= 5; ++ny) {
        SCOPED_TRACE(testing::Message() << nx << " x " << ny << (textured ? " textured" : ""));
        Mesh grid = makeGridMesh(nx, ny, 0.5f);
        if (!textured) grid.tvFaces.clear(), grid.tVerts.clear();
        Scene s;
        const Result r = s.run(grid);
        ASSERT_TRUE(r);
        EXPECT_LE(r->size(), size_t(nx * ny));
        if (ny == 1) {
          EXPECT_EQ(r->size(), 1u);
        }
        double area = 0;
        for (const Loop& p : *r) {
          EXPECT_GE(p.size(), 4u);
          EXPECT_TRUE(convexLoop(grid, p));
          EXPECT_TRUE(oneTextureMap(grid, p));
          for (size_t i = 0; i < p.size(); ++i) {
            const Point3 a = grid.verts[grid.faces[p[i] / 3].v[p[i] % 3]];
            const uint32_t n = p[(i + 1) % p.size()];
            const Point3 b = grid.verts[grid.faces[n / 3].v[n % 3]];
            area += 0.5 * (double(a.x) * b.y - double(b.x) * a.y);
          }
        }
        EXPECT_NEAR(area, 0.25 * nx * ny, 1e-9);
      }
}

TEST(PolygonExtractor, AccessorsTransformAndWhatTheExtractorOwns) {
  Scene s;
  const Mesh quad = makeQuadMesh();
  const Matrix3 mirror = Matrix3::scaling({-1, 2, 1}) * Matrix3::translation({3, 0, 0});
  // A mirroring transform is reported; the corners stay as the mesh has them.
  EXPECT_EQ(extract(s.extractor, &s.node(quad, -1, mirror)), (Polygons{{0, 1, 4, 5}}));
  EXPECT_TRUE(s.extractor.mirrored());
  EXPECT_EQ(s.extractor.objectTransform(), mirror);
  ASSERT_NE(s.extractor.mesh(), nullptr);
  EXPECT_EQ(s.extractor.mesh()->numFaces(), 2);
  int t = -1, c = -1;
  EXPECT_EQ(s.extractor.polygonVertex(0, 6, t, c), 1);  // k wraps around
  EXPECT_EQ(3 * t + c, 4);
  EXPECT_EQ(s.extractor.polygonVertex(0, -1, t, c), 1);
  EXPECT_EQ(3 * t + c, 5);
  EXPECT_EQ(s.extractor.polygonVertex(1, 0, t, c), 0);
  EXPECT_EQ(s.extractor.polygonVertex(-1, 0, t, c), 0);
  EXPECT_EQ(s.extractor.vertexCount(1), 0);
  s.extractor.clear();
  EXPECT_EQ(s.extractor.polygonCount(), 0);
  EXPECT_EQ(s.extractor.mesh(), nullptr);
  ASSERT_TRUE(extract(s.extractor, &s.node(quad, -1, Matrix3::rotationZ(2.0f))));
  EXPECT_FALSE(s.extractor.mirrored());

  // A primitive's triangle object is made for the extraction, owned and released.
  MemoryNode& prim =
      s.scene.addNode("prim").setObject(makePrimitiveObject(makeBox({0, 0, 0}, {1, 1, 1})));
  ASSERT_TRUE(extract(s.extractor, &prim));
  EXPECT_NE(s.extractor.triObject(), prim.object());
  s.extractor.clear();
  EXPECT_EQ(s.extractor.triObject(), nullptr);

  EXPECT_FALSE(extract(s.extractor, nullptr));
  EXPECT_FALSE(extract(s.extractor, &s.scene.addNode("camera").setObject(makeCameraObject())));
  EXPECT_FALSE(extract(s.extractor, &s.scene.addNode("no object")));
}

TEST(PolygonExtractor, VertexListLimitFailsTheNode) {
  // 1 x 4094 flat cells merge into one loop of 8190 corners, the most one vertex list
  // record holds; a cap triangle at its end adds the 8191st.
  Mesh strip = gridWithout(4094, 1, [](int, int) { return false; });
  Scene s;
  const Result r = s.run(strip);
  ASSERT_TRUE(r);
  ASSERT_EQ(r->size(), 1u);
  EXPECT_EQ((*r)[0].size(), 8190u);
  strip.verts.push_back({4094.5f, 0.5f, 0.0f});
  strip.faces.push_back(Face{{4094, uint32_t(strip.verts.size() - 1), 2 * 4095 - 1}});
  EXPECT_FALSE(s.run(strip));
}

// Random meshes through the extractor and through the model: the same outcome and
// the same polygons, corner for corner, in the same order.
TEST(PolygonExtractor, MatchesModelOnRandomMeshes) {
  std::mt19937 rng(20240611);
  const auto uniform = [&](int lo, int hi) {
    return std::uniform_int_distribution<int>(lo, hi)(rng);
  };
  const auto chance = [&](double p) { return std::bernoulli_distribution(p)(rng); };
  int succeeded = 0, failed = 0, laterPasses = 0, nonSimple = 0, merged = 0, texturedMerged = 0;
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
      m.faces.push_back(Face{{m.faces[0].v[0], m.faces[0].v[0], 0}});
    std::shuffle(m.faces.begin(), m.faces.end(), rng);
    std::vector<uint32_t> renumber(m.verts.size());
    std::iota(renumber.begin(), renumber.end(), 0u);
    std::shuffle(renumber.begin(), renumber.end(), rng);
    for (Face& f : m.faces)
      for (uint32_t& v : f.v) v = renumber[v];
    std::vector<Point3> verts(m.verts.size());
    for (size_t i = 0; i < verts.size(); ++i) verts[renumber[i]] = m.verts[i];
    m.verts = verts;

    // Texture coordinates per corner: one plane map, a map mirrored at x = 2, seams
    // (some triangles shifted), or some vertices nudged off the map.
    const int texture = uniform(0, 4);
    std::vector<float> nudge(m.verts.size());
    for (float& d : nudge) d = chance(0.2) ? 0.01f : 0.0f;
    for (size_t f = 0; texture > 0 && f < m.faces.size(); ++f) {
      const float shift = texture == 3 && chance(0.2) ? 0.5f : 0.0f;
      TVFace tv;
      for (int c = 0; c < 3; ++c) {
        const uint32_t v = m.faces[f].v[c];
        const Point3 p = m.verts[v];
        const float u = texture == 2 ? std::fabs(p.x - 2) * 0.25f : 0.25f * p.x + 0.125f * p.y;
        tv.t[c] = uint32_t(m.tVerts.size());
        m.tVerts.push_back({u + shift + (texture == 4 ? nudge[v] : 0.0f), 0.5f * p.y, 0});
      }
      m.tvFaces.push_back(tv);
    }
    if (texture > 0 && chance(0.05)) m.tvFaces.pop_back();
    if (texture > 0 && chance(0.05) && !m.tvFaces.empty()) m.tvFaces[0].t[1] = kNo;

    const int subMaterials = uniform(-1, 3);
    Scene s;
    Model model;
    const Result want = model.run(m, subMaterials);
    const Result got = s.run(m, subMaterials);
    ASSERT_EQ(got, want) << "round " << round;
    (want ? succeeded : failed) += 1;
    laterPasses += model.passes > 1;
    nonSimple += model.nonSimple;
    if (!got) continue;
    for (const Loop& p : *got) {
      ASSERT_TRUE(convexLoop(m, p)) << "round " << round;
      ASSERT_TRUE(oneTextureMap(m, p)) << "round " << round;
      merged += p.size() > 3;
      texturedMerged += p.size() > 3 && texture > 1;
    }
  }
  // The rounds must reach every path worth comparing.
  EXPECT_GT(succeeded, 1000);
  EXPECT_GT(failed, 100);
  EXPECT_GT(merged, 3000);
  EXPECT_GT(texturedMerged, 1000);
  // No region is left with a hole (or without a boundary), and since a corner only
  // widens as its polygon grows, an edge refused once is never removed later.
  EXPECT_EQ(nonSimple, 0);
  EXPECT_EQ(laterPasses, 0);
}
