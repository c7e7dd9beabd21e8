#pragma once
// Reads glTF 2.0 files (.gltf with its buffers, .glb) with tinygltf into an
// aiScene shaped as Assimp's glTF 2 importer shapes it after triangulation and
// sorting by primitive type, so that the one builder of the host scene takes
// either reader's scene alike: the same node tree and names, transforms, one mesh
// per primitive, materials with the stand-in last, embedded images as "*N"
// textures, node metadata from extras and extensions, cameras and lights named
// after their nodes.
//
// What the importer reads otherwise, or what this reader does not read, is left
// to Assimp (GltfReadResult::assimp says why): glTF 1 files, files tinygltf cannot
// parse (Assimp's error then says why), sparse accessors, quantized vertex
// attributes, and the extensions KHR_draco_mesh_compression, KHR_mesh_quantization,
// KHR_texture_transform, KHR_texture_basisu and EXT_meshopt_compression, or any
// other the file requires.

#include <memory>
#include <string>
#include <vector>

struct aiScene;

struct GltfReadResult {
  // Out of line: aiScene is complete only where it is made.
  GltfReadResult();
  ~GltfReadResult();
  GltfReadResult(GltfReadResult&&) noexcept;
  GltfReadResult& operator=(GltfReadResult&&) noexcept;

  std::unique_ptr<aiScene> scene;     // null when refused or left to Assimp
  std::string refusal;                // why the file cannot be read, when refused
  std::string assimp;                 // why Assimp reads the file instead
  std::vector<std::string> opened;    // the buffer files read beside it
  std::vector<std::string> warnings;  // faces left out, one line each
};

// Never throws. Percent escapes in image URIs are decoded ("my%20wall.png" is
// "my wall.png"), where the importer keeps them.
GltfReadResult readGltf(const std::string& path);

// Whether the file's extension is one this reader takes: .gltf or .glb, any case.
bool isGltfPath(const std::string& path);
