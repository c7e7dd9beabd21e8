#include "host/gltf_reader.h"

#include <assimp/commonMetaData.h>
#include <assimp/scene.h>
#include <tiny_gltf.h>

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cctype>
#include <cerrno>
#include <climits>
#include <cstring>
#include <filesystem>

#include "host/gltf_materials.h"
#include "host/gltf_outline.h"
#include "host/gltf_primitive.h"

namespace fs = std::filesystem;

namespace {

// Real documents nest a dozen levels; the parser recurses once per level.
constexpr int kMaxJsonDepth = 128;
// Each node level is a call here and in aiNode's destructor.
constexpr int kMaxNodeDepth = 4096;

// Extensions Assimp reads in ways of its own: such files stay its own.
const char* const kAssimpExtensions[] = {"KHR_draco_mesh_compression", "KHR_mesh_quantization",
                                         "KHR_texture_transform", "KHR_texture_basisu",
                                         "EXT_meshopt_compression"};
// Extensions read here as the importer reads them (or that it ignores alike).
const char* const kKnownExtensions[] = {"KHR_materials_unlit",
                                        "KHR_materials_pbrSpecularGlossiness",
                                        "KHR_lights_punctual",
                                        "KHR_materials_sheen",
                                        "KHR_materials_clearcoat",
                                        "KHR_materials_transmission",
                                        "KHR_materials_volume",
                                        "KHR_materials_ior",
                                        "KHR_materials_emissive_strength",
                                        "KHR_materials_specular",
                                        "KHR_materials_variants",
                                        "KHR_texture_webp",
                                        "EXT_texture_webp"};
constexpr const char* kLights = "KHR_lights_punctual";

bool listed(const std::vector<std::string>& list, const char* name) {
  for (const std::string& e : list)
    if (e == name) return true;
  return false;
}

std::string firstLine(const std::string& text) {
  std::string line = text.substr(0, text.find('\n'));
  while (!line.empty() && std::isspace(static_cast<unsigned char>(line.back()))) line.pop_back();
  return line;
}

// The file's bytes mapped in at once: no copy, and no page fault of its own each.
class MappedFile {
 public:
  explicit MappedFile(const std::string& path) {
    const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
    struct stat st;
    if (fd < 0 || fstat(fd, &st) != 0) {
      error_ = std::strerror(errno);
    } else if (st.st_size > 0) {
      void* p = mmap(nullptr, size_t(st.st_size), PROT_READ, MAP_PRIVATE | MAP_POPULATE, fd, 0);
      if (p == MAP_FAILED) {
        error_ = std::strerror(errno);
      } else {
        data_ = static_cast<const unsigned char*>(p);
        size_ = size_t(st.st_size);
      }
    }
    if (fd >= 0) close(fd);
  }
  ~MappedFile() { release(); }
  MappedFile(const MappedFile&) = delete;
  MappedFile& operator=(const MappedFile&) = delete;

  void release() {
    if (data_) munmap(const_cast<unsigned char*>(data_), size_);
    data_ = nullptr;
    size_ = 0;
  }
  const unsigned char* data() const { return data_; }
  size_t size() const { return size_; }
  const std::string& error() const { return error_; }

 private:
  const unsigned char* data_ = nullptr;
  size_t size_ = 0;
  std::string error_;
};

uint32_t littleEndian32(const unsigned char* p) {
  return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
}

// The JSON chunk of a binary glTF 2 file; empty `why` when there is one.
std::string_view glbJson(const MappedFile& bytes, std::string& why) {
  if (bytes.size() < 20) {
    why = "a binary glTF file cut inside its header";
    return {};
  }
  const unsigned char* head = bytes.data();
  if (littleEndian32(head + 4) != 2) {
    why = "a binary glTF file of version " + std::to_string(littleEndian32(head + 4));
    return {};
  }
  const uint32_t length = littleEndian32(head + 8), chunk = littleEndian32(head + 12);
  if (length > bytes.size() || length < 20 || chunk > length - 20 ||
      littleEndian32(head + 16) != 0x4E4F534Au) {
    why = "a binary glTF file whose header does not fit it";
    return {};
  }
  return std::string_view(reinterpret_cast<const char*>(bytes.data() + 20), chunk);
}

// The image callback: keeps the bytes of data URIs, the only ones the host needs
// that are in no buffer view. Nothing is decoded.
bool keepEmbeddedBytes(tinygltf::Image* image, const int, std::string*, std::string*, int, int,
                       const unsigned char* bytes, int size, void*) {
  if (image->uri.empty() && image->bufferView < 0 && bytes && size > 0)
    image->image.assign(bytes, bytes + size);
  return true;
}

bool readRecorded(std::vector<unsigned char>* out, std::string* err, const std::string& path,
                  void* opened) {
  if (!tinygltf::ReadWholeFile(out, err, path, nullptr)) return false;
  static_cast<std::vector<std::string>*>(opened)->push_back(path);
  return true;
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

// Large arrays filled from start to end: backed by huge pages where the system
// offers them on request, they take a page fault per 2 MiB instead of per 4 KiB.
void adviseHugePages(const void* data, size_t bytes) {
  constexpr uintptr_t kHuge = uintptr_t{2} << 20;
  const uintptr_t begin = (uintptr_t(data) + kHuge - 1) & ~(kHuge - 1);
  const uintptr_t end = (uintptr_t(data) + bytes) & ~(kHuge - 1);
  if (end > begin) madvise(reinterpret_cast<void*>(begin), end - begin, MADV_HUGEPAGE);
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

GltfReadResult readWith(const std::string& path, MappedFile& bytes) {
  GltfReadResult result;
  if (bytes.size() == 0 || bytes.size() > UINT_MAX) {
    result.assimp = "a file tinygltf cannot take whole";
    return result;
  }
  const bool binary = bytes.size() >= 4 && std::memcmp(bytes.data(), "glTF", 4) == 0;
  std::string_view json(reinterpret_cast<const char*>(bytes.data()), bytes.size());
  if (binary) {
    json = glbJson(bytes, result.assimp);
    if (!result.assimp.empty()) return result;
  }
  GltfOutline outline;
  const bool scanned = outlineGltf(json, kMaxJsonDepth, outline);
  if (outline.depth > kMaxJsonDepth) {
    result.refusal = "its JSON nests deeper than " + std::to_string(kMaxJsonDepth) + " levels";
    return result;
  }
  if (!scanned) {
    result.assimp = "no JSON document this reader parses";
    return result;
  }

  tinygltf::Model model;
  // The parser appends element by element: room for all at once spares it the
  // copies (a count the text cannot hold is not trusted).
  const size_t most = json.size() / 32;
  const auto reserve = [&](auto& items, const char* name) {
    items.reserve(std::min(outline.length(name), most));
    adviseHugePages(items.data(), items.capacity() * sizeof(items[0]));
  };
  reserve(model.accessors, "accessors");
  reserve(model.bufferViews, "bufferViews");
  reserve(model.buffers, "buffers");
  reserve(model.meshes, "meshes");
  reserve(model.nodes, "nodes");
  reserve(model.materials, "materials");
  reserve(model.textures, "textures");
  reserve(model.images, "images");
  reserve(model.samplers, "samplers");
  reserve(model.cameras, "cameras");

  tinygltf::TinyGLTF loader;
  loader.SetImageLoader(keepEmbeddedBytes, nullptr);
  loader.SetFsCallbacks({&tinygltf::FileExists, &tinygltf::ExpandFilePath, &readRecorded,
                         &tinygltf::WriteWholeFile, &result.opened});
  std::string err, warn;
  const std::string folder = fs::path(path).parent_path().string();
  const bool parsed = binary ? loader.LoadBinaryFromMemory(&model, &err, &warn, bytes.data(),
                                                           unsigned(bytes.size()), folder)
                             : loader.LoadASCIIFromString(&model, &err, &warn, json.data(),
                                                          unsigned(json.size()), folder);
  // The buffers are copies: the file's bytes are done with.
  bytes.release();
  if (!parsed) {
    result.assimp = "tinygltf cannot read it (" + firstLine(err) + ")";
    return result;
  }
  if (model.asset.version.empty() || model.asset.version[0] != '2') {
    result.assimp = "glTF version \"" + model.asset.version + "\"";
    return result;
  }
  for (const std::vector<std::string>* list : {&model.extensionsUsed, &model.extensionsRequired})
    for (const char* e : kAssimpExtensions)
      if (listed(*list, e)) {
        result.assimp = std::string("the extension ") + e;
        return result;
      }
  for (const std::string& e : model.extensionsRequired) {
    bool known = false;
    for (const char* k : kKnownExtensions) known |= e == k;
    if (!known) {
      result.assimp = "the required extension " + e;
      return result;
    }
  }
  for (const tinygltf::Accessor& a : model.accessors)
    if (a.sparse.isSparse) {
      result.assimp = "sparse accessors";
      return result;
    }

  result.scene = SceneMaker(model, outline, result).make();
  if (!result.assimp.empty() || !result.refusal.empty()) result.scene.reset();
  return result;
}

}  // namespace

GltfReadResult::GltfReadResult() = default;
GltfReadResult::~GltfReadResult() = default;
GltfReadResult::GltfReadResult(GltfReadResult&&) noexcept = default;
GltfReadResult& GltfReadResult::operator=(GltfReadResult&&) noexcept = default;

bool isGltfPath(const std::string& path) {
  std::string ext = fs::path(path).extension().string();
  for (char& c : ext) c = char(std::tolower(static_cast<unsigned char>(c)));
  return ext == ".gltf" || ext == ".glb";
}

GltfReadResult readGltf(const std::string& path) {
  MappedFile bytes(path);
  if (!bytes.error().empty()) {
    GltfReadResult failed;
    failed.refusal = "cannot read it: " + bytes.error();
    return failed;
  }
  try {
    return readWith(path, bytes);
  } catch (const std::exception& e) {
    GltfReadResult failed;
    failed.assimp = std::string("tinygltf cannot read it (") + e.what() + ")";
    return failed;
  }
}
