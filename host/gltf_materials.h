#pragma once
// The materials of a glTF document and the images they embed, made as Assimp's
// glTF 2 importer makes them, so that host/assimp_materials.cpp and
// host/embedded_images.cpp take them unchanged: a material's place is the order in
// which the importer first meets it, the stand-in for primitives without one comes
// last, and embedded images become the scene's textures, named "*N", in the order
// their materials name them.

#include <string>
#include <vector>

namespace tinygltf {
class Model;
}
struct aiScene;

class GltfMaterials {
 public:
  explicit GltfMaterials(const tinygltf::Model& model);

  // Material `index` met by a primitive (-1: none): its textures' images are met
  // in the importer's order. False, with `why`, when it or what it names is not in
  // the file.
  bool meet(int index, std::string& why);
  // The scene's index for material `index` met before (-1: the stand-in, last).
  unsigned sceneIndex(int index) const;

  // Every material met, then the stand-in, and the embedded images into `scene`.
  // False, with `why`, when an image's bytes are not in the file.
  bool build(aiScene& scene, std::string& why) const;

 private:
  bool meetTexture(int textureIndex, std::string& why);

  const tinygltf::Model& model_;
  std::vector<int> order_;        // material indices in the order met
  std::vector<int> slot_;         // per material: its place in order_, or -1
  std::vector<int> images_;       // image indices in the order met
  std::vector<bool> imageMet_;    // per image
  std::vector<bool> textureMet_;  // per texture
};
