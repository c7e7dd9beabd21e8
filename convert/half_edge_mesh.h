#pragma once
// The half-edge structure behind polygon extraction, as flat index arrays.
//
// Every undirected mesh edge is one edge number with two half-edges, h = 2 * edge +
// side. Side 0 runs from the smaller to the larger vertex number (a degenerate edge
// is side 0), side 1 the other way; each side belongs to at most one triangle.
// Edges are numbered in (smaller vertex, larger vertex) order, which is also the
// order in which the merge passes and the polygon walks visit them. Corners are
// named 3 * triangle + corner, the corner at which the triangle's edge starts.

#include <cstddef>
#include <cstdint>
#include <vector>

class Mesh;

// Polygons stored flat: polygon i is corners[start[i] .. start[i + 1]).
struct PolygonLoops {
  std::vector<uint32_t> start;
  std::vector<uint32_t> corners;

  size_t count() const { return start.empty() ? 0 : start.size() - 1; }
  size_t size(size_t i) const { return start[i + 1] - start[i]; }
  void clear() {
    start.clear();
    corners.clear();
  }
};

class HalfEdgeMesh {
 public:
  static constexpr uint32_t kNone = UINT32_MAX;
  // Half-edge numbers (up to 2 per corner) must stay below kNone.
  static constexpr size_t kMaxTriangles = (size_t{UINT32_MAX} - 3) / 6;

  // One edge per vertex pair, and every triangle a loop of its three half-edges in
  // its own vertex order. Fails when a vertex index is out of range, when there
  // are too many triangles, or when an edge side is claimed twice (a third
  // triangle on one edge, neighbours wound against each other, or a triangle that
  // runs along one edge twice the same way).
  [[nodiscard]] bool build(const Mesh& mesh);

  // Removes every edge left dangling inside a merged loop, and every edge between
  // two triangles of different polygons (so that none gets a hole) when
  //  - their sub-materials match (when subMaterialCount > 0, material IDs compared
  //    modulo it),
  //  - every face normal of the joined polygon stays within `tolerance` of the
  //    normal of its first triangle in mesh order,
  //  - both triangles have texture coordinates or neither has; with them, the two
  //    shared corners' coordinates agree within kTexCoordTolerance and the affine
  //    maps from the edge's plane to the texture agree within kTexMapTolerance,
  //    relative to the larger,
  //  - the joined loop stays convex at both ends of the edge, in the plane of the
  //    edge's two triangles: collinear corners (within a sine of kCollinearSine)
  //    are kept, a corner that turns back is not convex,
  // until nothing changes. Needs the mesh's face normals. A triangle without a
  // normal never merges. Succeeds when at least one edge went and at least three
  // remain.
  [[nodiscard]] bool merge(const Mesh& mesh, int subMaterialCount, double tolerance);

  static constexpr double kTexCoordTolerance = 1e-6;
  static constexpr double kTexMapTolerance = 1e-6;
  static constexpr double kCollinearSine = 1e-6;

  // Walks every boundary loop left into `out`, in the order of the edge at which
  // each loop is first met. Fails when a loop is broken, runs into another loop or
  // has fewer than three corners. A merged region with holes (or no boundary at
  // all) cannot be one face: its triangles are delivered one by one instead, in
  // mesh order, at the place of its first loop (at the end for no boundary).
  [[nodiscard]] bool buildPolygons(PolygonLoops& out);

  // Frees every array.
  void clear();

  size_t edgeCount() const { return removed_.size(); }
  size_t removedCount() const { return removedCount_; }

 private:
  bool removable(const Mesh& mesh, uint32_t e, int subMaterialCount, double tolerance);
  bool staysConvex(const Mesh& mesh, uint32_t e) const;
  // The polygon (union-find root, its first triangle) that triangle t belongs to.
  uint32_t polygonOf(uint32_t t);
  void join(const Mesh& mesh, uint32_t e);
  // Splices the loops on both sides of e; `touched` receives the edges whose
  // links changed (possibly e itself), 4 at most.
  [[nodiscard]] int remove(uint32_t e, uint32_t touched[4]);
  [[nodiscard]] bool walkLoops(PolygonLoops& out);
  // Every side with a triangle is in a loop, every other side has no links.
  bool linksConsistent() const;
  uint32_t next(uint32_t h) const { return static_cast<uint32_t>(links_[h]); }
  uint32_t prev(uint32_t h) const { return static_cast<uint32_t>(links_[h] >> 32); }
  void setNext(uint32_t h, uint32_t n) { links_[h] = (links_[h] & ~uint64_t{UINT32_MAX}) | n; }
  void setPrev(uint32_t h, uint32_t p) { links_[h] = (links_[h] & UINT32_MAX) | uint64_t{p} << 32; }
  void replaceNonSimpleRegions(PolygonLoops& out);

  size_t faceCount_ = 0;
  std::vector<uint32_t> corner_;  // per half-edge: its triangle's corner, or kNone
  // Per half-edge: the next one of its loop in the low 32 bits, the previous one
  // in the high 32 bits, kNone for none.
  std::vector<uint64_t> links_;
  std::vector<uint8_t> removed_;  // per edge
  // Per triangle during the merge: its union-find parent, which is never a later
  // triangle, so a root is its polygon's first triangle; and, at a root, a bound
  // on how far the polygon's face normals lie from the root's. The bound, not
  // every normal, is what a join tests, which keeps it O(1); it only grows (and a
  // root only moves to an earlier triangle, no nearer than the bound allows), so
  // an edge refused stays refused until its own links change.
  std::vector<uint32_t> polygon_;
  std::vector<double> spread_;
  size_t removedCount_ = 0;
};
