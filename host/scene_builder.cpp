#include "host/scene_builder.h"

#include <assimp/scene.h>

#include <algorithm>
#include <cctype>
#include <cstring>
#include <unordered_set>

#include "host/assimp_materials.h"
#include "host/assimp_mesh.h"
#include "host/embedded_images.h"
#include "host/memory_object.h"
#include "host/source_look.h"

namespace {

// The node's transform in the host's row-vector convention.
Matrix3 toMatrix3(const aiMatrix4x4& m) {
  return Matrix3({m.a1, m.b1, m.c1}, {m.a2, m.b2, m.c2}, {m.a3, m.b3, m.c3}, {m.a4, m.b4, m.c4});
}

bool endsWithNoCase(const std::string& s, const char* suffix) {
  const size_t n = std::strlen(suffix);
  if (s.size() < n) return false;
  for (size_t i = 0; i < n; ++i)
    if (std::tolower(static_cast<unsigned char>(s[s.size() - n + i])) != suffix[i]) return false;
  return true;
}

// glTF 2 nodes without a name get their place in the file ("nodes[3]") from
// Assimp; the host shows them unnamed.
bool isMadeUpGltfName(const std::string& name) {
  if (name.size() < 8 || name.compare(0, 6, "nodes[") != 0 || name.back() != ']') return false;
  return std::all_of(name.begin() + 6, name.end() - 1,
                     [](char c) { return std::isdigit(static_cast<unsigned char>(c)); });
}

std::string counted(unsigned n, const char* one, const char* many) {
  return std::to_string(n) + " " + (n == 1 ? one : many);
}

class SceneBuilder {
 public:
  SceneBuilder(const aiScene& scene, const SceneBuildSettings& settings,
               std::vector<std::string>& warnings)
      : ai_(scene),
        settings_(settings),
        warnings_(warnings),
        host_(std::make_unique<MemoryScene>()),
        images_(scene, settings.imageFolder, settings.sceneStem, host_->pendingImages(), warnings),
        materials_(scene, *host_, settings.sceneFolder, images_, standInRule(settings.format)) {
    for (const std::string& path : settings.keepFiles) host_->pendingImages().keep(path);
    for (unsigned i = 0; i < scene.mNumCameras; ++i)
      if (scene.mCameras && scene.mCameras[i]) cameras_.insert(scene.mCameras[i]->mName.C_Str());
    for (unsigned i = 0; i < scene.mNumLights; ++i)
      if (scene.mLights && scene.mLights[i]) lights_.insert(scene.mLights[i]->mName.C_Str());
  }

  std::unique_ptr<MemoryScene> build();

 private:
  struct Pending {
    const aiNode* node;
    MemoryNode* host;
  };

  static AssimpMaterials::StandIn standInRule(SceneFormat format) {
    if (format == SceneFormat::kGltf2) return AssimpMaterials::StandIn::kLast;
    if (format == SceneFormat::kGltf1) return AssimpMaterials::StandIn::kUnnamed;
    return AssimpMaterials::StandIn::kNamed;
  }

  std::string hostName(const aiNode& node) const {
    std::string name(node.mName.C_Str());
    if (settings_.format == SceneFormat::kGltf2 && isMadeUpGltfName(name)) name.clear();
    return name;
  }
  MemoryNode& addNode(const aiNode& node, MemoryNode& parent, const Matrix3& local) {
    MemoryNode& host = host_->addNode(hostName(node), parent);
    host.setTransform(local);
    return host;
  }
  void fill(MemoryNode& host, const aiNode& node, bool withChildren);
  // The exporter takes triangles only: the node's lines and points would vanish
  // without a word.
  void reportUntaken(const aiNode& node, const std::string& name);
  bool holdsTriangles(const aiNode& node) const {
    for (unsigned i = 0; node.mMeshes && i < node.mNumMeshes; ++i) {
      const unsigned index = node.mMeshes[i];
      if (index < ai_.mNumMeshes && ai_.mMeshes[index] && hasTriangles(*ai_.mMeshes[index]))
        return true;
    }
    return false;
  }

  const aiScene& ai_;
  const SceneBuildSettings& settings_;
  std::vector<std::string>& warnings_;
  std::unique_ptr<MemoryScene> host_;
  EmbeddedImages images_;
  AssimpMaterials materials_;
  std::unordered_set<std::string> cameras_;
  std::unordered_set<std::string> lights_;
};

std::unique_ptr<MemoryScene> SceneBuilder::build() {
  host_->bitmapManager().addSearchFolder(settings_.sceneFolder.string());
  const aiNode& root = *ai_.mRootNode;
  std::vector<Pending> pending;

  if (rootIsMadeUp(ai_, settings_.format)) {
    // The made-up root is the scene: its transform goes to its children, and
    // geometry it holds itself becomes a node of its own, lest it be lost.
    const Matrix3 rootToWorld = toMatrix3(root.mTransformation) * settings_.upToZ;
    if (holdsTriangles(root))
      fill(addNode(root, host_->root(), rootToWorld), root, false);
    else
      reportUntaken(root, hostName(root));
    for (unsigned i = 0; i < root.mNumChildren; ++i) {
      const aiNode* child = root.mChildren[i];
      if (!child) continue;
      pending.push_back({child, &addNode(*child, host_->root(),
                                         toMatrix3(child->mTransformation) * rootToWorld)});
    }
  } else {
    pending.push_back(
        {&root, &addNode(root, host_->root(), toMatrix3(root.mTransformation) * settings_.upToZ)});
  }

  // A stack rather than recursion: node chains in files can be very deep.
  while (!pending.empty()) {
    const Pending p = pending.back();
    pending.pop_back();
    fill(*p.host, *p.node, true);
    if (!p.node->mChildren) continue;
    for (unsigned i = 0; i < p.node->mNumChildren; ++i) {
      const aiNode* child = p.node->mChildren[i];
      if (child)
        pending.push_back({child, &addNode(*child, *p.host, toMatrix3(child->mTransformation))});
    }
  }
  return std::move(host_);
}

void SceneBuilder::fill(MemoryNode& host, const aiNode& node, bool withChildren) {
  std::vector<MeshPart> parts;
  std::vector<unsigned> materialsUsed;  // distinct, in order of first use
  for (unsigned i = 0; node.mMeshes && i < node.mNumMeshes; ++i) {
    const unsigned index = node.mMeshes[i];
    if (index >= ai_.mNumMeshes || !ai_.mMeshes[index]) continue;
    const aiMesh& mesh = *ai_.mMeshes[index];
    if (!hasTriangles(mesh)) continue;
    const auto at = std::find(materialsUsed.begin(), materialsUsed.end(), mesh.mMaterialIndex);
    const size_t id = at - materialsUsed.begin();
    if (at == materialsUsed.end()) materialsUsed.push_back(mesh.mMaterialIndex);
    parts.push_back({&mesh, static_cast<uint16_t>(std::min<size_t>(id, 0xFFFF)),
                     materials_.uvChannel(mesh.mMaterialIndex)});
  }

  const std::string name(node.mName.C_Str());
  if (!parts.empty()) {
    Mesh mesh = buildHostMesh(parts);
    const bool vertexColors = !mesh.vertCols.empty();
    host.setMesh(std::move(mesh));
    host.setMaterial(materials_.nodeMaterial(materialsUsed, name));
    if (settings_.sourceLook) {
      SourceLook look = materials_.look(materialsUsed);
      look.vertexColors = vertexColors;
      applySourceLook(host, look);
    }
  } else if (cameras_.count(name)) {
    host.setObject(makeCameraObject());
  } else if (lights_.count(name)) {
    host.setObject(makeLightObject());
  } else if (withChildren && node.mNumChildren > 0) {
    host.setObject(makeHelperObject());
  }

  host.setUserText(userTextFromMetadata(node.mMetaData, settings_.userProperties));
  reportUntaken(node, host.name() ? host.name() : "");
}

void SceneBuilder::reportUntaken(const aiNode& node, const std::string& name) {
  unsigned lines = 0, points = 0;
  for (unsigned i = 0; node.mMeshes && i < node.mNumMeshes; ++i) {
    const unsigned index = node.mMeshes[i];
    if (index >= ai_.mNumMeshes || !ai_.mMeshes[index] || !ai_.mMeshes[index]->mFaces) continue;
    const aiMesh& mesh = *ai_.mMeshes[index];
    for (unsigned f = 0; f < mesh.mNumFaces; ++f) {
      lines += mesh.mFaces[f].mNumIndices == 2;
      points += mesh.mFaces[f].mNumIndices == 1;
    }
  }
  if (!lines && !points) return;
  std::string what;
  if (lines) what = counted(lines, "line segment", "line segments");
  if (lines && points) what += " and ";
  if (points) what += counted(points, "point", "points");
  warnings_.push_back((name.empty() ? std::string("an unnamed node") : "node \"" + name + "\"") +
                      ": " + what + " not exported");
}

}  // namespace

SceneFormat detectSceneFormat(const aiScene& scene, const std::string& path) {
  aiString importer;
  if (scene.mMetaData && scene.mMetaData->Get("SourceAsset_Format", importer)) {
    const std::string name = importer.C_Str();
    if (name.find("glTF2") != std::string::npos) return SceneFormat::kGltf2;
    if (name.find("glTF") != std::string::npos) return SceneFormat::kGltf1;
    if (name.find("FBX") != std::string::npos) return SceneFormat::kFbx;
    return SceneFormat::kOther;
  }
  if (endsWithNoCase(path, ".fbx")) return SceneFormat::kFbx;
  if (endsWithNoCase(path, ".gltf") || endsWithNoCase(path, ".glb")) return SceneFormat::kGltf2;
  return SceneFormat::kOther;
}

bool rootIsMadeUp(const aiScene& scene, SceneFormat format) {
  if (format != SceneFormat::kGltf1 && format != SceneFormat::kGltf2) return true;
  // glTF: with several top nodes (or none) Assimp puts them under a plain "ROOT".
  const aiNode& root = *scene.mRootNode;
  return std::strcmp(root.mName.C_Str(), "ROOT") == 0 && root.mNumMeshes == 0 &&
         root.mMetaData == nullptr && root.mTransformation.IsIdentity();
}

std::unique_ptr<MemoryScene> buildScene(const aiScene& scene, const SceneBuildSettings& settings,
                                        std::vector<std::string>& warnings) {
  return SceneBuilder(scene, settings, warnings).build();
}
