#include "host/assimp_scene_check.h"

#include <assimp/scene.h>

#include <unordered_set>
#include <vector>

namespace {

std::string checkMesh(aiMesh& mesh, unsigned index) {
  const std::string which = "mesh " + std::to_string(index);
  if (mesh.mNumVertices > 0 && !mesh.mVertices) return which + " has no vertex positions";
  if (mesh.mNumFaces > 0 && !mesh.mFaces) return which + " has no faces";
  unsigned types = 0;
  for (unsigned f = 0; f < mesh.mNumFaces; ++f) {
    const aiFace& face = mesh.mFaces[f];
    if (face.mNumIndices == 0 || !face.mIndices) return which + " has an empty face";
    for (unsigned k = 0; k < face.mNumIndices; ++k) {
      if (face.mIndices[k] >= mesh.mNumVertices)
        return which + " has a face naming vertex " + std::to_string(face.mIndices[k]) + " of " +
               std::to_string(mesh.mNumVertices);
    }
    switch (face.mNumIndices) {
      case 1:
        types |= aiPrimitiveType_POINT;
        break;
      case 2:
        types |= aiPrimitiveType_LINE;
        break;
      case 3:
        types |= aiPrimitiveType_TRIANGLE;
        break;
      default:
        types |= aiPrimitiveType_POLYGON;
    }
  }
  // A mesh without faces keeps the reader's kind (a point cloud), but no claim of
  // polygons that triangulation would look for.
  if (mesh.mNumFaces == 0) {
    types = mesh.mPrimitiveTypes & ~aiPrimitiveType_POLYGON;
    if (types == 0) types = aiPrimitiveType_POINT;
  }
  mesh.mPrimitiveTypes = types;
  return {};
}

}  // namespace

std::string checkAssimpScene(aiScene& scene) {
  if (!scene.mRootNode) return "the file holds no scene";
  if (scene.mNumMeshes > 0 && !scene.mMeshes) return "its meshes are missing";
  for (unsigned m = 0; m < scene.mNumMeshes; ++m) {
    if (!scene.mMeshes[m]) return "mesh " + std::to_string(m) + " is missing";
    if (std::string why = checkMesh(*scene.mMeshes[m], m); !why.empty())
      return "damaged mesh data: " + why;
  }
  // The walk would never end on a node that is its own descendant.
  std::unordered_set<const aiNode*> seen;
  std::vector<const aiNode*> nodes{scene.mRootNode};
  while (!nodes.empty()) {
    const aiNode* node = nodes.back();
    nodes.pop_back();
    if (!seen.insert(node).second) return "a node appears twice in the node tree";
    if (node->mNumMeshes > 0 && !node->mMeshes) return "a node's meshes are missing";
    for (unsigned i = 0; i < node->mNumMeshes; ++i)
      if (node->mMeshes[i] >= scene.mNumMeshes)
        return "a node names mesh " + std::to_string(node->mMeshes[i]) + " of " +
               std::to_string(scene.mNumMeshes);
    if (node->mNumChildren > 0 && !node->mChildren) return "a node's children are missing";
    for (unsigned i = 0; i < node->mNumChildren; ++i) {
      if (!node->mChildren[i]) return "a node's child is missing";
      nodes.push_back(node->mChildren[i]);
    }
  }
  return {};
}
