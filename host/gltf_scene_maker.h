#pragma once
// The aiScene of a document tinygltf has parsed, made in two passes as Assimp's
// glTF 2 importer makes it: first every object met from the scene's nodes down,
// which fixes the order of meshes, materials and images; then the node tree, one
// aiNode for each time a node is named.

#include <memory>

namespace tinygltf {
class Model;
}
struct aiScene;
struct GltfOutline;
struct GltfReadResult;

// Null, with `result.refusal` or `result.assimp` saying why, when the document
// cannot be read so; faces left out go to `result.warnings`. The model gives up
// its buffers and meshes on the way, once they are done with.
std::unique_ptr<aiScene> makeGltfScene(tinygltf::Model& model, GltfOutline& outline,
                                       GltfReadResult& result);
