#include "host/gltf_scene_maker.h"

#include <assimp/commonMetaData.h>
#include <assimp/scene.h>
#include <tiny_gltf.h>

#include "host/gltf_materials.h"
#include "host/gltf_outline.h"
#include "host/gltf_primitive.h"
#include "host/gltf_reader.h"

namespace {

// Each node level is a call here and in aiNode's destructor.
constexpr int kMaxNodeDepth = 4096;

constexpr const char* kLights = "KHR_lights_punctual";

bool listed(const std::vector<std::string>& list, const char* name) {
  for (const std::string& e : list)
    if (e == name) return true;
  return false;
}

aiMatrix4x4 transformOf(const tinygltf::Node& n) {
  aiMatrix4x4 m;
  if (n.matrix.size() == 16) {
    // glTF's columns are Assimp's rows.
    float v[16];
    for (int i = 0; i < 16; ++i) v[i] = float(n.matrix[size_t(i)]);
    m = aiMatrix4x4(v[0], v[4], v[8], v[12], v[1], v[5], v[9], v[13], v[2], v[6], v[10], v[14],
                    v[3], v[7], v[11], v[15]);
    return m;
  }
  // Translation, rotation, then scale, multiplied in floats as the importer does.
  if (n.translation.size() == 3) {
    aiMatrix4x4 t;
    aiMatrix4x4::Translation(
        aiVector3D(float(n.translation[0]), float(n.translation[1]), float(n.translation[2])), t);
    m = m * t;
  }
  if (n.rotation.size() == 4) {
    aiQuaternion q;
    q.x = float(n.rotation[0]);
    q.y = float(n.rotation[1]);
    q.z = float(n.rotation[2]);
    q.w = float(n.rotation[3]);
    m = m * aiMatrix4x4(q.GetMatrix());
  }
  if (n.scale.size() == 3) {
    aiMatrix4x4 s;
    aiMatrix4x4::Scaling(aiVector3D(float(n.scale[0]), float(n.scale[1]), float(n.scale[2])), s);
    m = m * s;
  }
  return m;
}

template <class T>
T** arrayOf(const std::vector<T*>& items) {
  if (items.empty()) return nullptr;
  T** out = new T*[items.size()];
  std::copy(items.begin(), items.end(), out);
  return out;
}

// The scene of a parsed document, in two passes as the importer makes it: first
// every object met from the scene's nodes down, which fixes the order of
// materials and images; then the node tree, one aiNode for each time a node is
// named (a node named twice appears twice).
class SceneMaker {
 public:
  SceneMaker(tinygltf::Model& model, GltfOutline& outline, GltfReadResult& result)
      : model_(model),
        outline_(outline),
        result_(result),
        materials_(model),
        nodeState_(model.nodes.size(), kUnmet),
        meshSlot_(model.meshes.size(), -1),
        primitives_(model.meshes.size(), 0),
        cameraSlot_(model.cameras.size(), -1),
        lightSlot_(model.lights.size(), -1),
        lightsUsed_(listed(model.extensionsUsed, kLights)) {}

  ~SceneMaker() {
    for (aiCamera* c : cameras_) delete c;
    for (aiLight* l : lights_) delete l;
  }
  SceneMaker(const SceneMaker&) = delete;
  SceneMaker& operator=(const SceneMaker&) = delete;

  std::unique_ptr<aiScene> make();

 private:
  enum State { kUnmet, kOpen, kMet };

  bool fail(const std::string& why) {
    if (result_.refusal.empty()) result_.refusal = why;
    return false;
  }
  int lightOf(const tinygltf::Node& n) const {
    if (!lightsUsed_) return -1;
    const auto it = n.extensions.find(kLights);
    if (it == n.extensions.end() || !it->second.IsObject() || !it->second.Has("light")) return -1;
    const tinygltf::Value& light = it->second.Get("light");
    return light.IsInt() ? light.Get<int>() : -1;
  }
  bool meet(int node, int depth);
  bool meetMesh(int mesh);
  bool makeMeshes(aiScene& scene);
  aiNode* import(int node);

  tinygltf::Model& model_;
  GltfOutline& outline_;
  GltfReadResult& result_;
  GltfMaterials materials_;
  std::vector<State> nodeState_;
  std::vector<int> meshSlot_, meshes_;  // per mesh its place in meshes_, and the meshes met
  std::vector<unsigned> meshFirst_;     // per place: its first aiMesh
  std::vector<unsigned> primitives_;    // per mesh: its primitives
  std::vector<int> cameraSlot_, lightSlot_;
  std::vector<aiCamera*> cameras_;
  std::vector<aiLight*> lights_;
  bool lightsUsed_;
  size_t imported_ = 0;
};

bool SceneMaker::meet(int index, int depth) {
  if (index < 0 || size_t(index) >= model_.nodes.size())
    return fail("a node names node " + std::to_string(index) + ", which the file lacks");
  State& state = nodeState_[size_t(index)];
  if (state == kMet) return true;
  if (state == kOpen)
    return fail("node " + std::to_string(index) + " is among its own descendants");
  if (depth > kMaxNodeDepth)
    return fail("its node tree is deeper than " + std::to_string(kMaxNodeDepth) + " levels");
  state = kOpen;
  const tinygltf::Node& n = model_.nodes[size_t(index)];
  for (int child : n.children)
    if (!meet(child, depth + 1)) return false;
  if (n.mesh >= 0 && !meetMesh(n.mesh)) return false;
  if (n.camera >= 0) {
    if (size_t(n.camera) >= model_.cameras.size())
      return fail("node " + std::to_string(index) + " names a camera the file lacks");
    if (cameraSlot_[size_t(n.camera)] < 0) {
      cameraSlot_[size_t(n.camera)] = int(cameras_.size());
      cameras_.push_back(new aiCamera);
    }
  }
  if (const int light = lightOf(n); light >= 0) {
    if (size_t(light) >= model_.lights.size())
      return fail("node " + std::to_string(index) + " names a light the file lacks");
    if (lightSlot_[size_t(light)] < 0) {
      lightSlot_[size_t(light)] = int(lights_.size());
      lights_.push_back(new aiLight);
    }
  }
  nodeState_[size_t(index)] = kMet;
  return true;
}

bool SceneMaker::meetMesh(int index) {
  if (size_t(index) >= model_.meshes.size())
    return fail("a node names mesh " + std::to_string(index) + ", which the file lacks");
  if (meshSlot_[size_t(index)] >= 0) return true;
  meshSlot_[size_t(index)] = int(meshes_.size());
  meshes_.push_back(index);
  std::string why;
  for (const tinygltf::Primitive& p : model_.meshes[size_t(index)].primitives)
    if (!materials_.meet(p.material, why)) return fail(why);
  return true;
}

bool SceneMaker::makeMeshes(aiScene& scene) {
  size_t total = 0;
  for (int m : meshes_) total += model_.meshes[size_t(m)].primitives.size();
  if (total == 0) return true;
  scene.mMeshes = new aiMesh*[total]();
  for (int index : meshes_) {
    const tinygltf::Mesh& mesh = model_.meshes[size_t(index)];
    meshFirst_.push_back(scene.mNumMeshes);
    primitives_[size_t(index)] = unsigned(mesh.primitives.size());
    const std::string name =
        mesh.name.empty() ? "meshes[" + std::to_string(index) + "]" : mesh.name;
    for (size_t p = 0; p < mesh.primitives.size(); ++p) {
      aiMesh* out = scene.mMeshes[scene.mNumMeshes++] = new aiMesh;
      const std::string shown = mesh.primitives.size() > 1 ? name + "-" + std::to_string(p) : name;
      const GltfPrimitiveResult made = makeGltfMesh(model_, mesh.primitives[p], shown, *out);
      if (!made.assimp.empty()) {
        result_.assimp = made.assimp;
        return false;
      }
      if (!made.refusal.empty()) return fail("mesh \"" + shown + "\": " + made.refusal);
      if (made.dropped)
        result_.warnings.push_back("mesh \"" + shown + "\": " + std::to_string(made.dropped) +
                                   (made.dropped == 1 ? " face names" : " faces name") +
                                   " a vertex past its " + std::to_string(out->mNumVertices) +
                                   ", left out");
      out->mMaterialIndex = materials_.sceneIndex(mesh.primitives[p].material);
    }
  }
  return true;
}

aiNode* SceneMaker::import(int index) {
  const tinygltf::Node& n = model_.nodes[size_t(index)];
  auto* node = new aiNode(n.name.empty() ? "nodes[" + std::to_string(index) + "]" : n.name);
  // A node named by several parents is copied for each, as the importer copies it
  // (a sound file names each once): a hostile file could name one twice at every
  // level.
  if (++imported_ > 2 * model_.nodes.size() + 1000) {
    fail("its node tree unfolds into too many nodes");
    return node;
  }
  if (!n.children.empty() && result_.refusal.empty()) {
    node->mChildren = new aiNode*[n.children.size()]();
    for (int child : n.children) {
      aiNode* c = import(child);
      c->mParent = node;
      node->mChildren[node->mNumChildren++] = c;
    }
  }
  if (size_t(index) < outline_.nodeMetadata.size() && outline_.nodeMetadata[size_t(index)])
    node->mMetaData = new aiMetadata(*outline_.nodeMetadata[size_t(index)]);
  node->mTransformation = transformOf(n);
  if (n.mesh >= 0) {
    const int slot = meshSlot_[size_t(n.mesh)];
    const unsigned count = primitives_[size_t(n.mesh)];
    if (count > 0) {
      node->mNumMeshes = count;
      node->mMeshes = new unsigned[count];
      for (unsigned k = 0; k < count; ++k) node->mMeshes[k] = meshFirst_[size_t(slot)] + k;
    }
  }
  // Cameras and lights take the name of the last node to name them.
  if (n.camera >= 0) cameras_[size_t(cameraSlot_[size_t(n.camera)])]->mName = node->mName;
  if (const int light = lightOf(n); light >= 0) {
    lights_[size_t(lightSlot_[size_t(light)])]->mName = node->mName;
    // The importer keeps a light's range in its node's metadata.
    const double range = model_.lights[size_t(light)].range;
    if (range != 0) {
      const float value = float(range);
      if (!node->mMetaData) {
        node->mMetaData = aiMetadata::Alloc(1);
        node->mMetaData->Set(0, "PBR_LightRange", value);
      } else {
        node->mMetaData->Add("PBR_LightRange", value);
      }
    }
  }
  return node;
}

std::unique_ptr<aiScene> SceneMaker::make() {
  auto scene = std::make_unique<aiScene>();
  const int which = model_.defaultScene >= 0 ? model_.defaultScene : 0;
  if (size_t(which) >= model_.scenes.size()) {
    fail("the file holds no scene");
    return nullptr;
  }
  const std::vector<int>& top = model_.scenes[size_t(which)].nodes;
  for (int node : top)
    if (!meet(node, 0)) return nullptr;
  if (!makeMeshes(*scene)) return nullptr;
  std::string why;
  if (!materials_.build(*scene, why)) {
    fail(why);
    return nullptr;
  }
  // The node tree needs none of the data any more: its memory goes before the
  // tree is made, which lowers the peak.
  std::vector<tinygltf::Buffer>().swap(model_.buffers);
  std::vector<tinygltf::Accessor>().swap(model_.accessors);
  std::vector<tinygltf::BufferView>().swap(model_.bufferViews);
  std::vector<tinygltf::Mesh>().swap(model_.meshes);
  std::vector<tinygltf::Image>().swap(model_.images);
  if (top.size() == 1) {
    scene->mRootNode = import(top[0]);
  } else {
    // The importer's made-up root over several top nodes (or none).
    scene->mRootNode = new aiNode("ROOT");
    if (!top.empty()) scene->mRootNode->mChildren = new aiNode*[top.size()]();
    for (int node : top) {
      if (!result_.refusal.empty()) break;
      aiNode* child = import(node);
      child->mParent = scene->mRootNode;
      scene->mRootNode->mChildren[scene->mRootNode->mNumChildren++] = child;
    }
  }
  scene->mNumCameras = unsigned(cameras_.size());
  scene->mCameras = arrayOf(cameras_);
  cameras_.clear();
  scene->mNumLights = unsigned(lights_.size());
  scene->mLights = arrayOf(lights_);
  lights_.clear();
  scene->mMetaData = aiMetadata::Alloc(1);
  scene->mMetaData->Set(0, AI_METADATA_SOURCE_FORMAT, aiString("glTF2 Importer"));
  if (!result_.refusal.empty()) return nullptr;
  return scene;
}

}  // namespace

std::unique_ptr<aiScene> makeGltfScene(tinygltf::Model& model, GltfOutline& outline,
                                       GltfReadResult& result) {
  return SceneMaker(model, outline, result).make();
}
