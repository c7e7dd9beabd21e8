#pragma once
// One glTF primitive as the aiMesh Assimp's glTF 2 importer makes of it (after
// triangulation and sorting by primitive type, which change nothing here): its
// positions, normals, first colour set and texture coordinates (V flipped),
// and its faces: points, lines or triangles by its mode, strips and fans unrolled
// as the importer unrolls them. Faces that name a vertex past the last are left
// out; a primitive left without any refuses the file, as it does in the importer.

#include <cstddef>
#include <string>

namespace tinygltf {
class Model;
struct Primitive;
}  // namespace tinygltf
struct aiMesh;

struct GltfPrimitiveResult {
  std::string refusal;  // why the file cannot be read (the mesh not named), or empty
  std::string assimp;   // why Assimp should read the file instead, or empty
  size_t dropped = 0;   // faces left out for naming vertices past the last
};

// Fills `mesh`, which is new, named `name`.
GltfPrimitiveResult makeGltfMesh(const tinygltf::Model& model, const tinygltf::Primitive& primitive,
                                 const std::string& name, aiMesh& mesh);
