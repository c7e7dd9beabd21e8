#include "convert/half_edge_mesh.h"

#include <algorithm>
#include <cassert>
#include <cmath>
#include <functional>
#include <numeric>

#include "plugin/mesh.h"

namespace {

constexpr uint32_t kNone = HalfEdgeMesh::kNone;

uint32_t edgeOf(uint32_t h) {
  return h >> 1;
}
bool refersTo(uint32_t h, uint32_t e) {
  return h != kNone && edgeOf(h) == e;
}

// Sorts a short run by insertion, a long one with std::sort.
void sortRun(uint64_t* first, uint64_t* last) {
  if (last - first > 32) {
    std::sort(first, last);
    return;
  }
  for (uint64_t* i = first + 1; i < last; ++i) {
    const uint64_t x = *i;
    uint64_t* j = i;
    for (; j > first && j[-1] > x; --j) *j = j[-1];
    *j = x;
  }
}

template <class T>
void release(std::vector<T>& v) {
  std::vector<T>().swap(v);
}

}  // namespace

bool HalfEdgeMesh::build(const Mesh& mesh) {
  clear();
  const std::vector<Face>& faces = mesh.faces;
  const size_t vertexCount = mesh.verts.size();
  if (faces.size() > kMaxTriangles) return false;
  for (const Face& f : faces)
    if (!f.indexesWithin(vertexCount)) return false;
  faceCount_ = faces.size();

  // Corners bucketed by the smaller vertex of their edge, then each bucket (a few
  // corners) sorted by (larger vertex, side, corner): linear in all but the rare
  // vertex of huge valence, and the keys travel with the corners.
  const size_t cornerCount = 3 * faces.size();
  std::vector<uint32_t> bucket(vertexCount + 1, 0);
  for (const Face& f : faces)
    for (int c = 0; c < 3; ++c) ++bucket[std::min(f.v[c], f.v[c == 2 ? 0 : c + 1]) + 1];
  for (size_t v = 0; v < vertexCount; ++v) bucket[v + 1] += bucket[v];
  std::vector<uint64_t> sorted(cornerCount);
  {
    std::vector<uint32_t> fill(bucket.begin(), bucket.end() - 1);
    uint32_t id = 0;
    for (const Face& f : faces)
      for (int c = 0; c < 3; ++c, ++id) {
        const uint32_t from = f.v[c], to = f.v[c == 2 ? 0 : c + 1];
        const uint64_t side = from > to ? 1u : 0u;
        sorted[fill[std::min(from, to)]++] = uint64_t{std::max(from, to)} << 32 | side << 31 | id;
      }
  }
  for (size_t v = 0; v < vertexCount; ++v)
    sortRun(sorted.data() + bucket[v], sorted.data() + bucket[v + 1]);

  // Each run of one vertex pair becomes an edge; the same side twice fails.
  std::vector<uint32_t> halfEdgeOf(cornerCount);
  corner_.reserve(cornerCount + cornerCount / 4);
  for (size_t v = 0; v < vertexCount; ++v) {
    for (uint32_t i = bucket[v]; i < bucket[v + 1]; ++i) {
      const uint64_t entry = sorted[i];
      if (i == bucket[v] || entry >> 32 != sorted[i - 1] >> 32) {
        corner_.push_back(kNone);
        corner_.push_back(kNone);
      }
      const uint32_t id = static_cast<uint32_t>(entry & 0x7FFFFFFF);
      const uint32_t h = static_cast<uint32_t>(corner_.size() - 2) + ((entry >> 31) & 1);
      if (corner_[h] != kNone) {
        clear();
        return false;
      }
      corner_[h] = id;
      halfEdgeOf[id] = h;
    }
  }
  release(bucket);

  // The sort buffer, 8 bytes per corner, is about the size the links need.
  links_ = std::move(sorted);
  links_.assign(corner_.size(), ~uint64_t{0});
  for (size_t t = 0; t < faces.size(); ++t) {
    const uint32_t* h = &halfEdgeOf[3 * t];
    for (int c = 0; c < 3; ++c) {
      setNext(h[c], h[(c + 1) % 3]);
      setPrev(h[c], h[(c + 2) % 3]);
    }
  }
  removed_.assign(corner_.size() / 2, 0);
  assert(linksConsistent());
  return true;
}

bool HalfEdgeMesh::linksConsistent() const {
  for (uint32_t h = 0; h < corner_.size(); ++h) {
    if (corner_[h] == kNone ? links_[h] != ~uint64_t{0} : next(prev(h)) != h || prev(next(h)) != h)
      return false;
  }
  return true;
}

namespace {

// Doubles, for the geometry of the merge tests.
struct Vec {
  double x, y, z;
};
Vec vec(const Point3& p) {
  return {p.x, p.y, p.z};
}
Vec operator-(Vec a, Vec b) {
  return {a.x - b.x, a.y - b.y, a.z - b.z};
}
Vec operator+(Vec a, Vec b) {
  return {a.x + b.x, a.y + b.y, a.z + b.z};
}
Vec operator*(double k, Vec a) {
  return {k * a.x, k * a.y, k * a.z};
}
double dot(Vec a, Vec b) {
  return a.x * b.x + a.y * b.y + a.z * b.z;
}
Vec cross(Vec a, Vec b) {
  return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}
double distance(const Point3& a, const Point3& b) {
  const Vec d = vec(a) - vec(b);
  return std::sqrt(dot(d, d));
}

enum class TexCoords { kNone, kAll, kSome };

// What the face writer would find at the triangle's corners.
TexCoords texCoordsOf(const Mesh& mesh, uint32_t t) {
  if (mesh.tVerts.empty() || t >= mesh.tvFaces.size()) return TexCoords::kNone;
  int found = 0;
  for (uint32_t i : mesh.tvFaces[t].t) found += i < mesh.tVerts.size();
  return found == 3 ? TexCoords::kAll : found == 0 ? TexCoords::kNone : TexCoords::kSome;
}

const Point3& texCoord(const Mesh& mesh, uint32_t corner) {
  return mesh.tVerts[mesh.tvFaces[corner / 3].t[corner % 3]];
}

// The gradients of u and v over triangle t projected onto the plane normal to n: the
// affine map from that plane to the texture. False for a triangle with no area there.
bool textureGradients(const Mesh& mesh, uint32_t t, Vec n, Vec& du, Vec& dv) {
  const Face& f = mesh.faces[t];
  const Vec p0 = vec(mesh.verts[f.v[0]]);
  const double nn = dot(n, n);
  const auto flat = [&](Vec e) { return e - (dot(e, n) / nn) * n; };
  const Vec e1 = flat(vec(mesh.verts[f.v[1]]) - p0), e2 = flat(vec(mesh.verts[f.v[2]]) - p0);
  const Vec area = cross(e1, e2);
  const double aa = dot(area, area);
  if (!(aa > 0)) return false;
  const Vec a = (1 / aa) * cross(e2, area), b = (1 / aa) * cross(area, e1);
  const Point3 &t0 = texCoord(mesh, 3 * t), &t1 = texCoord(mesh, 3 * t + 1),
               &t2 = texCoord(mesh, 3 * t + 2);
  du = (double{t1.x} - t0.x) * a + (double{t2.x} - t0.x) * b;
  dv = (double{t1.y} - t0.y) * a + (double{t2.y} - t0.y) * b;
  return true;
}

}  // namespace

uint32_t HalfEdgeMesh::polygonOf(uint32_t t) {
  while (polygon_[t] != t) {
    polygon_[t] = polygon_[polygon_[t]];
    t = polygon_[t];
  }
  return t;
}

bool HalfEdgeMesh::removable(const Mesh& mesh, uint32_t e, int subMaterialCount, double tolerance) {
  const uint32_t h0 = 2 * e, h1 = h0 + 1;
  if (removed_[e] || corner_[h0] == kNone || corner_[h1] == kNone) return false;
  // A dangling edge inside a merged loop goes whatever its triangles look like.
  if (refersTo(prev(h0), e) || refersTo(next(h0), e) || refersTo(prev(h1), e) ||
      refersTo(next(h1), e))
    return true;
  const uint32_t t0 = corner_[h0] / 3, t1 = corner_[h1] / 3;
  const uint32_t p0 = polygonOf(t0), p1 = polygonOf(t1);
  if (p0 == p1) return false;  // both sides in one loop: removing e would cut a hole
  if (subMaterialCount > 0 && mesh.faces[t0].materialId() % subMaterialCount !=
                                  mesh.faces[t1].materialId() % subMaterialCount)
    return false;
  // NaN normals compare false and never merge.
  if (!(distance(mesh.getFaceNormal(static_cast<int>(p0)),
                 mesh.getFaceNormal(static_cast<int>(p1))) +
            spread_[p0] + spread_[p1] <=
        tolerance))
    return false;

  const TexCoords tex = texCoordsOf(mesh, t0);
  if (tex != texCoordsOf(mesh, t1) || tex == TexCoords::kSome) return false;
  if (tex == TexCoords::kAll) {
    // Corners: a in t0 and t1, then b.
    const uint32_t c0 = corner_[h0], c1 = corner_[h1];
    const uint32_t pairs[2][2] = {{c0, 3 * t1 + (c1 % 3 + 1) % 3}, {3 * t0 + (c0 % 3 + 1) % 3, c1}};
    for (const auto& pair : pairs) {
      const Point3 &u = texCoord(mesh, pair[0]), &w = texCoord(mesh, pair[1]);
      if (!(std::fabs(double{u.x} - w.x) <= kTexCoordTolerance &&
            std::fabs(double{u.y} - w.y) <= kTexCoordTolerance))
        return false;
    }
  }
  if (!staysConvex(mesh, e)) return false;
  if (tex == TexCoords::kAll) {
    const Vec n = vec(mesh.getFaceNormal(static_cast<int>(t0))) +
                  vec(mesh.getFaceNormal(static_cast<int>(t1)));
    Vec du0, dv0, du1, dv1;
    if (!textureGradients(mesh, t0, n, du0, dv0) || !textureGradients(mesh, t1, n, du1, dv1))
      return false;
    const Vec ddu = du0 - du1, ddv = dv0 - dv1;
    const double diff = dot(ddu, ddu) + dot(ddv, ddv);
    const double size = std::max(dot(du0, du0) + dot(dv0, dv0), dot(du1, du1) + dot(dv1, dv1));
    if (!(diff <= kTexMapTolerance * kTexMapTolerance * size)) return false;
  }
  return true;
}

bool HalfEdgeMesh::staysConvex(const Mesh& mesh, uint32_t e) const {
  const Vec n = vec(mesh.getFaceNormal(static_cast<int>(corner_[2 * e] / 3))) +
                vec(mesh.getFaceNormal(static_cast<int>(corner_[2 * e + 1] / 3)));
  const double nLength = std::sqrt(dot(n, n));
  if (!(nLength > 0)) return false;
  const auto start = [&](uint32_t h) {
    const uint32_t c = corner_[h];
    return vec(mesh.verts[mesh.faces[c / 3].v[c % 3]]);
  };
  const auto end = [&](uint32_t h) {
    const uint32_t c = corner_[h];
    return vec(mesh.verts[mesh.faces[c / 3].v[(c % 3 + 1) % 3]]);
  };
  // Once e is gone, prev(h0) runs on into next(h1) at e's start and prev(h1) into
  // next(h0) at its end.
  for (uint32_t s = 0; s < 2; ++s) {
    const uint32_t hs = 2 * e + s, ho = 2 * e + 1 - s;
    const Vec corner = start(hs);
    const Vec in = corner - start(prev(hs)), out = end(next(ho)) - corner;
    const double scale = std::sqrt(dot(in, in) * dot(out, out)) * nLength;
    const double turn = dot(cross(in, out), n);
    if (!(turn >= -kCollinearSine * scale)) return false;
    if (!(turn > kCollinearSine * scale || dot(in, out) > 0)) return false;
  }
  return true;
}

void HalfEdgeMesh::join(const Mesh& mesh, uint32_t e) {
  const uint32_t a = polygonOf(corner_[2 * e] / 3), b = polygonOf(corner_[2 * e + 1] / 3);
  if (a == b) return;
  const uint32_t first = std::min(a, b), other = std::max(a, b);
  const double d = distance(mesh.getFaceNormal(static_cast<int>(first)),
                            mesh.getFaceNormal(static_cast<int>(other)));
  spread_[first] = std::max(spread_[first], spread_[other] + d);
  polygon_[other] = first;
}

int HalfEdgeMesh::remove(uint32_t e, uint32_t touched[4]) {
  // Links are read as they stand at each step: a dangling edge's links name e itself.
  int n = 0;
  for (uint32_t s = 0; s < 2; ++s) {
    const uint32_t hs = 2 * e + s, ho = 2 * e + (1 - s);
    if (prev(hs) != kNone) {
      touched[n++] = edgeOf(prev(hs));
      setNext(prev(hs), next(ho));
    }
    if (next(hs) != kNone) {
      touched[n++] = edgeOf(next(hs));
      setPrev(next(hs), prev(ho));
    }
  }
  links_[2 * e] = links_[2 * e + 1] = ~uint64_t{0};
  removed_[e] = 1;
  ++removedCount_;
  return n;
}

bool HalfEdgeMesh::merge(const Mesh& mesh, int subMaterialCount, double tolerance) {
  assert(mesh.faces.size() == faceCount_);
  const uint32_t edgeCount = static_cast<uint32_t>(removed_.size());
  removedCount_ = 0;

  // The passes over all edges in order are kept in effect, but after the first one
  // only edges whose links changed since their last visit can become removable:
  // those met again later in the same pass wait in a heap, the others for the next.
  enum : uint8_t { kThisPass = 1, kNextPass = 2 };
  std::vector<uint8_t> queued(edgeCount, 0);
  std::vector<uint32_t> heap, nextPass;
  polygon_.resize(faceCount_);
  std::iota(polygon_.begin(), polygon_.end(), 0u);
  spread_.assign(faceCount_, 0.0);
  uint32_t touched[4];
  const auto removeAndNote = [&](uint32_t e, bool firstPass) {
    join(mesh, e);
    const int n = remove(e, touched);
    for (int i = 0; i < n; ++i) {
      const uint32_t y = touched[i];
      if (y == e || removed_[y]) continue;
      if (y > e) {
        if (firstPass || (queued[y] & kThisPass)) continue;
        queued[y] |= kThisPass;
        heap.push_back(y);
        std::push_heap(heap.begin(), heap.end(), std::greater<>());
      } else if (!(queued[y] & kNextPass)) {
        queued[y] |= kNextPass;
        nextPass.push_back(y);
      }
    }
  };

  for (uint32_t e = 0; e < edgeCount; ++e)
    if (removable(mesh, e, subMaterialCount, tolerance)) removeAndNote(e, true);

  while (!nextPass.empty()) {
    heap.swap(nextPass);
    nextPass.clear();
    for (uint32_t y : heap) queued[y] = kThisPass;
    std::make_heap(heap.begin(), heap.end(), std::greater<>());
    while (!heap.empty()) {
      std::pop_heap(heap.begin(), heap.end(), std::greater<>());
      const uint32_t e = heap.back();
      heap.pop_back();
      queued[e] &= ~kThisPass;
      if (removable(mesh, e, subMaterialCount, tolerance)) removeAndNote(e, false);
    }
  }
  release(polygon_);
  release(spread_);
  return removedCount_ > 0 && edgeCount - removedCount_ >= 3;
}

bool HalfEdgeMesh::buildPolygons(PolygonLoops& out) {
  if (!walkLoops(out)) {
    out.clear();
    return false;
  }
  replaceNonSimpleRegions(out);
  return true;
}

bool HalfEdgeMesh::walkLoops(PolygonLoops& out) {
  out.clear();
  out.start.push_back(0);
  std::vector<uint8_t> inPolygon(corner_.size(), 0);
  const uint32_t edgeCount = static_cast<uint32_t>(removed_.size());
  for (uint32_t e = 0; e < edgeCount; ++e) {
    if (removed_[e]) continue;
    for (uint32_t first = 2 * e; first < 2 * e + 2; ++first) {
      if (corner_[first] == kNone || inPolygon[first]) continue;
      uint32_t h = first;
      size_t length = 0;
      do {
        if (h == kNone || inPolygon[h]) return false;
        assert(corner_[h] != kNone);  // links only ever name sides that have a triangle
        if (corner_[h] == kNone) return false;
        inPolygon[h] = 1;
        out.corners.push_back(corner_[h]);
        ++length;
        h = next(h);
      } while (h != first);
      if (length < 3) return false;
      out.start.push_back(static_cast<uint32_t>(out.corners.size()));
    }
  }
  return true;
}

void HalfEdgeMesh::replaceNonSimpleRegions(PolygonLoops& out) {
  // Regions: triangles joined across removed edges.
  std::vector<uint32_t> parent(faceCount_);
  std::iota(parent.begin(), parent.end(), 0u);
  const auto find = [&](uint32_t t) {
    while (parent[t] != t) {
      parent[t] = parent[parent[t]];
      t = parent[t];
    }
    return t;
  };
  for (uint32_t e = 0; e < removed_.size(); ++e) {
    if (!removed_[e]) continue;
    const uint32_t a = find(corner_[2 * e] / 3), b = find(corner_[2 * e + 1] / 3);
    if (a != b) parent[std::max(a, b)] = std::min(a, b);
  }

  // One loop per region is a face; with P loops over P regions none may have two.
  std::vector<uint32_t> loops(faceCount_, 0);
  size_t regionCount = 0;
  for (uint32_t t = 0; t < faceCount_; ++t)
    if (find(t) == t) ++regionCount;
  bool simple = regionCount == out.count();
  for (size_t i = 0; i < out.count(); ++i)
    if (++loops[find(out.corners[out.start[i]] / 3)] > 1) simple = false;
  if (simple) return;

  // Triangles of each region in mesh order.
  std::vector<uint32_t> regionStart(faceCount_ + 1, 0), members(faceCount_);
  for (uint32_t t = 0; t < faceCount_; ++t) ++regionStart[find(t) + 1];
  for (size_t r = 0; r < faceCount_; ++r) regionStart[r + 1] += regionStart[r];
  {
    std::vector<uint32_t> fill(regionStart.begin(), regionStart.end() - 1);
    for (uint32_t t = 0; t < faceCount_; ++t) members[fill[find(t)]++] = t;
  }

  PolygonLoops result;
  result.start.push_back(0);
  const auto addTriangle = [&](uint32_t t) {
    for (uint32_t c = 0; c < 3; ++c) result.corners.push_back(3 * t + c);
    result.start.push_back(static_cast<uint32_t>(result.corners.size()));
  };
  for (size_t i = 0; i < out.count(); ++i) {
    const uint32_t r = find(out.corners[out.start[i]] / 3);
    if (loops[r] == 1) {
      result.corners.insert(result.corners.end(), out.corners.begin() + out.start[i],
                            out.corners.begin() + out.start[i + 1]);
      result.start.push_back(static_cast<uint32_t>(result.corners.size()));
    } else if (loops[r] != kNone) {
      for (uint32_t m = regionStart[r]; m < regionStart[r + 1]; ++m) addTriangle(members[m]);
      loops[r] = kNone;
    }
  }
  // A closed region has no boundary loop at all.
  for (uint32_t t = 0; t < faceCount_; ++t)
    if (loops[find(t)] == 0) addTriangle(t);
  out = std::move(result);
}

void HalfEdgeMesh::clear() {
  faceCount_ = 0;
  release(corner_);
  release(links_);
  release(removed_);
  release(polygon_);
  release(spread_);
  removedCount_ = 0;
}
