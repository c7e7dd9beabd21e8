#pragma once
// Assimp materials as the host's standard materials, their diffuse textures as
// bitmap textures, and the multi-materials of nodes whose meshes use several.

#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "host/memory_material.h"
#include "host/source_look.h"

struct aiScene;
struct aiMaterial;
class EmbeddedImages;
class MemoryScene;

class AssimpMaterials {
 public:
  // How an importer marks the material it makes up for meshes without one.
  enum class StandIn {
    kNamed,    // Assimp's default name (most formats)
    kLast,     // always appended, unnamed (glTF 2)
    kUnnamed,  // the only material without a name (glTF 1)
  };

  AssimpMaterials(const aiScene& scene, MemoryScene& host, std::filesystem::path sceneFolder,
                  EmbeddedImages& images, StandIn standIn);

  // Whether material `index` is the stand-in Assimp gives meshes of a file without
  // materials; a bad index counts as one.
  bool isStandIn(unsigned index) const;
  // The texture-coordinate channel that material `index`'s diffuse map uses.
  unsigned uvChannel(unsigned index) const;

  // The material of a node whose meshes use `indices` (distinct, in order of first
  // use; a mesh's material ID is its material's position here): null when none is a
  // real material, that material when there is one, else a multi-material whose
  // slots follow `indices` (null for a stand-in). Equal lists share one.
  Material* nodeMaterial(const std::vector<unsigned>& indices, const std::string& nodeName);
  // How the materials `indices` are drawn: lit unless the format marks them unlit
  // (glTF's KHR_materials_unlit), double-sided where they say so; the stand-in is
  // lit and one-sided.
  SourceLook look(const std::vector<unsigned>& indices);

 private:
  MemoryStandardMaterial* standard(unsigned index);
  void convert(const aiMaterial& from, MemoryStandardMaterial& to);
  TextureMap* diffuseMap(const aiMaterial& from);

  const aiScene& scene_;
  MemoryScene& host_;
  std::filesystem::path sceneFolder_;
  EmbeddedImages& images_;
  StandIn standIn_;
  std::map<unsigned, MemoryStandardMaterial*> standard_;
  std::map<std::vector<unsigned>, MemoryMultiMaterial*> multi_;
};

// A texture file name as a material stores it, made a path from the scene's
// folder: '\\' separators become '/', and a relative name is joined to the folder.
// Windows absolute names are kept; the bitmap manager looks for their last
// component in the scene's folder.
std::string resolveTexturePath(const std::string& name, const std::filesystem::path& sceneFolder);
