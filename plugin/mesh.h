#pragma once
// The host's triangle mesh: a data class the exporter reads.
//
// Geometry (verts, faces), texture coordinates (tVerts, tvFaces, one texture face
// per face) and color vertices (vertCols, indexed by geometry vertex) are public
// arrays. Face normals and render normals are derived: buildNormals computes them
// from the faces' smoothing groups as a modelling host does, and keeps every
// render normal that was specified (setSpecifiedNormal). Whoever edits the arrays
// afterwards calls invalidateNormals.

#include <cstddef>
#include <cstdint>
#include <vector>

#include "plugin/host_types.h"

struct Face {
  uint32_t v[3] = {0, 0, 0};
  uint32_t smGroup = 0;  // smoothing-group bits; 0 means faceted
  uint32_t flags = 0;    // bits 16-31: material ID

  uint16_t materialId() const { return static_cast<uint16_t>(flags >> 16); }
  void setMaterialId(uint16_t id) { flags = (flags & 0xFFFFu) | (uint32_t{id} << 16); }
  // Whether all three corners name one of `vertCount` vertices.
  bool indexesWithin(size_t vertCount) const {
    return v[0] < vertCount && v[1] < vertCount && v[2] < vertCount;
  }
};

// Three texture-vertex indices, corner for corner with the face of the same number.
struct TVFace {
  uint32_t t[3] = {0, 0, 0};
};

// One render normal with the smoothing groups of the faces it was averaged from.
struct RNormal {
  Point3 normal;
  uint32_t smGroup = 0;
};

// The render normals of one vertex. rFlags: kSpecifiedNormal for one normal given
// by the scene, else the low 8 bits count the (normal, smoothing bits) pairs.
struct RVertex {
  static constexpr uint32_t kSpecifiedNormal = 0x4000;
  static constexpr uint32_t kCountMask = 0xFF;

  uint32_t rFlags = 0;
  RNormal rn;             // the normal when there is one (or it is specified)
  uint32_t ernFirst = 0;  // with several: where they start in the mesh's extra normals

  int normalCount() const { return static_cast<int>(rFlags & kCountMask); }
  bool specified() const { return (rFlags & kSpecifiedNormal) != 0; }
};

class Mesh {
 public:
  std::vector<Point3> verts;
  std::vector<Face> faces;
  std::vector<Point3> tVerts;
  std::vector<TVFace> tvFaces;
  std::vector<Point3> vertCols;  // red, green, blue per geometry vertex

  int numVerts() const { return static_cast<int>(verts.size()); }
  int numFaces() const { return static_cast<int>(faces.size()); }
  int numTVerts() const { return static_cast<int>(tVerts.size()); }
  int numVertCols() const { return static_cast<int>(vertCols.size()); }

  bool normalsBuilt() const { return normalsBuilt_; }
  // Face normals, and render normals for every vertex not specified.
  void buildNormals();
  // Builds the normals unless they are current; `illum` is the host's request for
  // render normals too, which are always built together here.
  void checkNormals(bool illum);
  void invalidateNormals() { normalsBuilt_ = false; }

  // Unit normal of face f in object space (zero for a degenerate face), valid once
  // normals are built; zero for a face number out of range.
  const Point3& getFaceNormal(int f) const;
  // Render normals of vertex v; a vertex out of range has none.
  const RVertex& getRVert(int v) const;
  // Pair k (0 <= k < count) of vertex v's render normals.
  const RNormal& getRNormal(int v, int k) const;

  // Gives vertex v the one normal n (flag 0x4000, count 1); buildNormals keeps it.
  void setSpecifiedNormal(int v, const Point3& n);

 private:
  std::vector<Point3> faceNormals_;
  std::vector<RVertex> rVerts_;
  std::vector<RNormal> ern_;
  bool normalsBuilt_ = false;
};
