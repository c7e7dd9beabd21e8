#include "host/gltf_reader.h"

#include <assimp/scene.h>
#include <tiny_gltf.h>

#include <cctype>
#include <cerrno>
#include <climits>
#include <cstring>
#include <filesystem>

#include "host/gltf_outline.h"
#include "host/gltf_scene_maker.h"
#include "host/heap_tuning.h"
#include "host/mapped_file.h"

namespace fs = std::filesystem;

namespace {

// Real documents nest a dozen levels; the parser recurses once per level.
constexpr int kMaxJsonDepth = 128;

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
  // tinygltf reads a "primitives" of the wrong type as none, and the mesh would
  // vanish without a word; Assimp refuses the file and says why.
  for (const tinygltf::Mesh& m : model.meshes)
    if (m.primitives.empty()) {
      result.assimp = "a mesh without primitives";
      return result;
    }

  result.scene = makeGltfScene(model, outline, result);
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
