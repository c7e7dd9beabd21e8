#pragma once
// An Assimp scene as the in-memory host scene: the root rule, world matrices, the
// up axis, node objects, materials and user text.

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "host/memory_scene.h"
#include "host/user_properties.h"

struct aiScene;

// The formats whose Assimp scenes need rules of their own.
enum class SceneFormat { kFbx, kGltf1, kGltf2, kOther };

// From the importer's name in the scene's metadata, else from the file's extension.
SceneFormat detectSceneFormat(const aiScene& scene, const std::string& path);

struct SceneBuildSettings {
  SceneFormat format = SceneFormat::kOther;
  UserPropertyStyle userProperties = UserPropertyStyle::kFbx;
  // Turns the scene's up axis into +Z; applied above every node.
  Matrix3 upToZ;
  std::filesystem::path sceneFolder;   // texture names are relative to it
  std::filesystem::path imageFolder;   // embedded images are written there
  std::vector<std::string> keepFiles;  // never replaced by an embedded image
  std::string sceneStem;               // names embedded images without a name
  // Carry the look the scene has in its own viewer (colours, lighting, sidedness)
  // into property defaults; off, the nodes hold only what the file says.
  bool sourceLook = true;
};

// The host scene; `warnings` gets what could not be done (an image not written).
std::unique_ptr<MemoryScene> buildScene(const aiScene& scene, const SceneBuildSettings& settings,
                                        std::vector<std::string>& warnings);

// Whether Assimp's root node was made up by the importer (and so stands for the
// scene) rather than read from the file: always, except glTF's single top node.
bool rootIsMadeUp(const aiScene& scene, SceneFormat format);
