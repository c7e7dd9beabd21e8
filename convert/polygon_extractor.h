#pragma once
// Merges a node's triangles into polygons: adjacent triangles that lie in one plane
// and share a sub-material become one face, delivered as a loop of (triangle,
// corner) pairs so that the face writer reads every vertex from the mesh corner it
// came from.
//
// extract() fails (and leaves the extractor empty) when the object is no triangle
// mesh, when the mesh is non-manifold, inconsistently wound or names vertices that
// do not exist, when nothing merges, and when a polygon would need a vertex list
// longer than one record holds; the caller then writes the plain triangles.
// A merged region with a hole comes as its single triangles: its outer loop as
// one face would cover the hole.

#include <cstdint>

#include "convert/half_edge_mesh.h"
#include "plugin/host_types.h"
#include "plugin/tri_object.h"

class Material;
class Mesh;
class SceneNode;

class PolygonExtractor {
 public:
  static constexpr double kCoplanarTolerance = 0.001;
  // A vertex list record is 4 + 4 * corners bytes and at most 32767.
  static constexpr int kMaxPolygonCorners = 8190;

  PolygonExtractor() = default;
  PolygonExtractor(const PolygonExtractor&) = delete;
  PolygonExtractor& operator=(const PolygonExtractor&) = delete;
  ~PolygonExtractor() { clear(); }

  // 1 on success, 0 on failure. Starts by clearing the previous result.
  [[nodiscard]] int extract(SceneNode* node);

  int polygonCount() const { return static_cast<int>(polygons_.count()); }
  // Every polygon's corners as triangle * 3 + corner.
  const PolygonLoops& polygons() const { return polygons_; }
  // Meshes of at least this many triangles build their normals on a second
  // thread while the edges are found.
  static constexpr size_t kNormalsAsideTriangles = 8192;
  // Corners (equal to edges) of polygon i; 0 for an i out of range.
  int vertexCount(int i) const;
  // Vertex k (modulo the polygon's vertex count) of polygon i: 1 and the triangle
  // and corner it comes from; 0 for an i out of range.
  [[nodiscard]] int polygonVertex(int i, int k, int& triangle, int& corner) const;

  // Releases the triangle object when it was made for the extraction, forgets
  // everything else.
  void clear();

  // Valid after a successful extract until the next extract or clear.
  Mesh* mesh() const { return mesh_; }
  TriObject* triObject() const { return triObject_.get(); }
  const Matrix3& objectTransform() const { return objectTransform_; }
  bool mirrored() const { return mirrored_; }

 private:
  static constexpr TimeValue kTime = 0;

  bool mirrored_ = false;
  TriObjectHandle triObject_;
  Mesh* mesh_ = nullptr;
  Matrix3 objectTransform_;
  Material* material_ = nullptr;
  int subMaterialCount_ = 0;
  HalfEdgeMesh halfEdges_;
  PolygonLoops polygons_;
};
