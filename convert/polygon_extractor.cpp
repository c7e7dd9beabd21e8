#include "convert/polygon_extractor.h"

#include <algorithm>
#include <system_error>
#include <thread>

#include "plugin/material.h"
#include "plugin/mesh.h"
#include "plugin/scene_node.h"

int PolygonExtractor::extract(SceneNode* node) {
  clear();
  if (!node) return 0;

  objectTransform_ = node->objectToWorld(kTime);
  mirrored_ = objectTransform_.mirrors();

  triObject_ = TriObjectHandle(node->evalWorldState(kTime).obj, kTime);
  mesh_ = triObject_.mesh();
  if (!mesh_) {
    clear();
    return 0;
  }

  material_ = node->material();
  subMaterialCount_ = material_ ? std::max(material_->numSubMaterials(), 0) : 0;
  // The edges read the mesh's faces alone and the normals write only their own
  // arrays, so a large mesh has both made at once; the merge needs both.
  std::thread normals;
  if (mesh_->faces.size() >= kNormalsAsideTriangles) {
    try {
      normals = std::thread([mesh = mesh_] { mesh->checkNormals(true); });
    } catch (const std::system_error&) {
    }
  }
  if (!normals.joinable()) mesh_->checkNormals(true);
  const bool built = halfEdges_.build(*mesh_);
  if (normals.joinable()) normals.join();
  bool ok = built && halfEdges_.merge(*mesh_, subMaterialCount_, kCoplanarTolerance) &&
            halfEdges_.buildPolygons(polygons_);
  halfEdges_.clear();  // only the polygons are kept
  for (size_t i = 0; ok && i < polygons_.count(); ++i)
    if (polygons_.size(i) > static_cast<size_t>(kMaxPolygonCorners)) ok = false;
  if (!ok || polygons_.count() == 0) {
    clear();
    return 0;
  }
  return 1;
}

int PolygonExtractor::vertexCount(int i) const {
  if (i < 0 || static_cast<size_t>(i) >= polygons_.count()) return 0;
  return static_cast<int>(polygons_.size(i));
}

int PolygonExtractor::polygonVertex(int i, int k, int& triangle, int& corner) const {
  const int n = vertexCount(i);
  if (n == 0) return 0;
  k %= n;
  if (k < 0) k += n;
  const uint32_t ref = polygons_.corners[polygons_.start[i] + k];
  triangle = static_cast<int>(ref / 3);
  corner = static_cast<int>(ref % 3);
  if (triangle < 0 || corner < 0) assert1(__LINE__, __FILE__);
  return 1;
}

void PolygonExtractor::clear() {
  polygons_.clear();
  halfEdges_.clear();
  triObject_.reset();
  mesh_ = nullptr;
  material_ = nullptr;
  subMaterialCount_ = 0;
  mirrored_ = false;
  objectTransform_.setIdentity();
}
