#include "host/gltf_materials.h"

#include <assimp/material.h>
#include <assimp/scene.h>
#include <tiny_gltf.h>

#include <cstring>

#include "host/gltf_accessor.h"

namespace {

// Extensions whose textures the importer reads, each only when the file lists it
// as used, in the order it reads them after the core textures.
const struct {
  const char* extension;
  const char* textures[3];
} kExtensionTextures[] = {
    {"KHR_materials_pbrSpecularGlossiness", {"diffuseTexture", "specularGlossinessTexture"}},
    {"KHR_materials_sheen", {"sheenColorTexture", "sheenRoughnessTexture"}},
    {"KHR_materials_clearcoat",
     {"clearcoatTexture", "clearcoatRoughnessTexture", "clearcoatNormalTexture"}},
    {"KHR_materials_transmission", {"transmissionTexture"}},
    {"KHR_materials_volume", {"thicknessTexture"}},
};
constexpr const char* kSpecularGlossiness = "KHR_materials_pbrSpecularGlossiness";

bool uses(const tinygltf::Model& model, const char* extension) {
  for (const std::string& e : model.extensionsUsed)
    if (e == extension) return true;
  return false;
}

// The object a material gives an extension, or null.
const tinygltf::Value* extensionOf(const tinygltf::Material& m, const char* name) {
  const auto it = m.extensions.find(name);
  return it != m.extensions.end() && it->second.IsObject() ? &it->second : nullptr;
}

const tinygltf::Value* member(const tinygltf::Value* object, const char* key) {
  return object && object->IsObject() && object->Has(key) ? &object->Get(key) : nullptr;
}

int wholeMember(const tinygltf::Value* object, const char* key, int fallback) {
  const tinygltf::Value* v = member(object, key);
  return v && v->IsInt() && v->Get<int>() >= 0 ? v->Get<int>() : fallback;
}

// A number array of exactly `n` members into `out`; anything else leaves it.
template <size_t N>
void readNumbers(const tinygltf::Value* v, float (&out)[N]) {
  if (!v || !v->IsArray() || v->ArrayLen() != N) return;
  for (size_t i = 0; i < N; ++i)
    if (!v->Get(int(i)).IsNumber()) return;
  for (size_t i = 0; i < N; ++i) out[i] = float(v->Get(int(i)).GetNumberAsDouble());
}

template <size_t N>
void readNumbers(const std::vector<double>& v, float (&out)[N]) {
  if (v.size() != N) return;
  for (size_t i = 0; i < N; ++i) out[i] = float(v[i]);
}

aiColor4D color(const float (&c)[4]) {
  return aiColor4D(c[0], c[1], c[2], c[3]);
}
aiColor4D color(const float (&c)[3]) {
  return aiColor4D(c[0], c[1], c[2], 1.0f);
}

aiTextureMapMode wrapMode(int wrap) {
  if (wrap == TINYGLTF_TEXTURE_WRAP_MIRRORED_REPEAT) return aiTextureMapMode_Mirror;
  if (wrap == TINYGLTF_TEXTURE_WRAP_CLAMP_TO_EDGE) return aiTextureMapMode_Clamp;
  return aiTextureMapMode_Wrap;
}

int hexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// A URI's "%20" escapes as the bytes they stand for; a name with "%00" or a broken
// escape stays as written.
std::string decodeUri(const std::string& uri) {
  std::string out;
  out.reserve(uri.size());
  for (size_t i = 0; i < uri.size(); ++i) {
    if (uri[i] != '%') {
      out += uri[i];
      continue;
    }
    const int hi = i + 2 < uri.size() ? hexDigit(uri[i + 1]) : -1;
    const int lo = hi >= 0 ? hexDigit(uri[i + 2]) : -1;
    if (lo < 0 || (hi == 0 && lo == 0)) return uri;
    out += char(hi << 4 | lo);
    i += 2;
  }
  return out;
}

// The importer's format hint: the media type's subtype when it is three letters
// at most, after its own renamings.
void setFormatHint(aiTexture& texture, const std::string& mimeType) {
  const size_t slash = mimeType.find('/');
  if (slash == std::string::npos) return;
  std::string ext = mimeType.substr(slash + 1);
  if (ext == "jpeg") ext = "jpg";
  if (ext == "ktx2") ext = "kx2";
  if (ext == "basis") ext = "bu";
  if (ext.size() <= 3) std::memcpy(texture.achFormatHint, ext.c_str(), ext.size() + 1);
}

struct TextureRef {
  int texture = -1;
  int texCoord = 0;
};

class MaterialMaker {
 public:
  MaterialMaker(const tinygltf::Model& model, const std::vector<std::string>& textureNames)
      : model_(model), names_(textureNames) {}

  aiMaterial* make(const tinygltf::Material& m) const {
    auto* out = new aiMaterial;
    if (!m.name.empty()) {
      const aiString name(m.name);
      out->AddProperty(&name, AI_MATKEY_NAME);
    }
    float base[4] = {1, 1, 1, 1};
    readNumbers(m.pbrMetallicRoughness.baseColorFactor, base);
    const aiColor4D baseColor = color(base);
    out->AddProperty(&baseColor, 1, AI_MATKEY_BASE_COLOR);
    const TextureRef baseTexture = {m.pbrMetallicRoughness.baseColorTexture.index,
                                    m.pbrMetallicRoughness.baseColorTexture.texCoord};
    addTexture(*out, baseTexture, aiTextureType_BASE_COLOR);
    out->AddProperty(&baseColor, 1, AI_MATKEY_COLOR_DIFFUSE);
    addTexture(*out, baseTexture, aiTextureType_DIFFUSE);
    // As the importer turns roughness into a Phong exponent, in floats.
    float shininess = 1 - float(m.pbrMetallicRoughness.roughnessFactor);
    shininess *= shininess * 1000;
    out->AddProperty(&shininess, 1, AI_MATKEY_SHININESS);

    if (uses(model_, kSpecularGlossiness)) {
      if (const tinygltf::Value* sg = extensionOf(m, kSpecularGlossiness)) {
        float diffuse[4] = {1, 1, 1, 1}, specular[3] = {1, 1, 1}, glossiness[1] = {1};
        readNumbers(member(sg, "diffuseFactor"), diffuse);
        readNumbers(member(sg, "specularFactor"), specular);
        const tinygltf::Value* g = member(sg, "glossinessFactor");
        if (g && g->IsNumber()) glossiness[0] = float(g->GetNumberAsDouble());
        const aiColor4D d = color(diffuse), s = color(specular);
        out->AddProperty(&d, 1, AI_MATKEY_COLOR_DIFFUSE);
        out->AddProperty(&s, 1, AI_MATKEY_COLOR_SPECULAR);
        const float glossy = glossiness[0] * 1000.0f;
        out->AddProperty(&glossy, 1, AI_MATKEY_SHININESS);
        const tinygltf::Value* t = member(sg, "diffuseTexture");
        addTexture(*out, {wholeMember(t, "index", -1), wholeMember(t, "texCoord", 0)},
                   aiTextureType_DIFFUSE);
      }
    }

    float emissive[3] = {0, 0, 0};
    readNumbers(m.emissiveFactor, emissive);
    const aiColor4D glow = color(emissive);
    out->AddProperty(&glow, 1, AI_MATKEY_COLOR_EMISSIVE);
    const bool twoSided = m.doubleSided;
    out->AddProperty(&twoSided, 1, AI_MATKEY_TWOSIDED);
    out->AddProperty(&base[3], 1, AI_MATKEY_OPACITY);
    // Unlit whether or not the file lists the extension as used, as the importer reads it.
    const aiShadingMode shading =
        extensionOf(m, "KHR_materials_unlit") ? aiShadingMode_Unlit : aiShadingMode_PBR_BRDF;
    out->AddProperty(&shading, 1, AI_MATKEY_SHADING_MODEL);
    return out;
  }

 private:
  void addTexture(aiMaterial& out, TextureRef ref, aiTextureType type) const {
    if (ref.texture < 0 || size_t(ref.texture) >= names_.size() || names_[ref.texture].empty())
      return;
    const tinygltf::Texture& texture = model_.textures[size_t(ref.texture)];
    const aiString file(names_[size_t(ref.texture)]);
    out.AddProperty(&file, AI_MATKEY_TEXTURE(type, 0));
    out.AddProperty(&ref.texCoord, 1, AI_MATKEY_UVWSRC(type, 0));
    aiTextureMapMode u = aiTextureMapMode_Wrap, v = aiTextureMapMode_Wrap;
    if (texture.sampler >= 0) {
      const tinygltf::Sampler& sampler = model_.samplers[size_t(texture.sampler)];
      u = wrapMode(sampler.wrapS);
      v = wrapMode(sampler.wrapT);
    }
    out.AddProperty(&u, 1, AI_MATKEY_MAPPINGMODE_U(type, 0));
    out.AddProperty(&v, 1, AI_MATKEY_MAPPINGMODE_V(type, 0));
  }

  const tinygltf::Model& model_;
  const std::vector<std::string>& names_;
};

}  // namespace

GltfMaterials::GltfMaterials(const tinygltf::Model& model)
    : model_(model),
      slot_(model.materials.size(), -1),
      imageMet_(model.images.size(), false),
      textureMet_(model.textures.size(), false) {}

bool GltfMaterials::meetTexture(int index, std::string& why) {
  if (index < 0) return true;
  if (size_t(index) >= model_.textures.size()) {
    why = "a material names texture " + std::to_string(index) + ", which the file lacks";
    return false;
  }
  if (textureMet_[size_t(index)]) return true;
  textureMet_[size_t(index)] = true;
  const tinygltf::Texture& texture = model_.textures[size_t(index)];
  if (texture.source >= 0 && size_t(texture.source) < model_.images.size()) {
    if (!imageMet_[size_t(texture.source)]) images_.push_back(texture.source);
    imageMet_[size_t(texture.source)] = true;
  } else if (texture.source != -1) {
    why = "texture " + std::to_string(index) + " names image " + std::to_string(texture.source) +
          ", which the file lacks";
    return false;
  }
  if (texture.sampler < -1 ||
      (texture.sampler >= 0 && size_t(texture.sampler) >= model_.samplers.size())) {
    why = "texture " + std::to_string(index) + " names sampler " + std::to_string(texture.sampler) +
          ", which the file lacks";
    return false;
  }
  return true;
}

bool GltfMaterials::meet(int index, std::string& why) {
  if (index < 0) return true;
  if (size_t(index) >= model_.materials.size()) {
    why = "a primitive names material " + std::to_string(index) + ", which the file lacks";
    return false;
  }
  if (slot_[size_t(index)] >= 0) return true;
  slot_[size_t(index)] = int(order_.size());
  order_.push_back(index);
  const tinygltf::Material& m = model_.materials[size_t(index)];
  for (int texture : {m.pbrMetallicRoughness.baseColorTexture.index,
                      m.pbrMetallicRoughness.metallicRoughnessTexture.index, m.normalTexture.index,
                      m.occlusionTexture.index, m.emissiveTexture.index})
    if (!meetTexture(texture, why)) return false;
  for (const auto& ext : kExtensionTextures) {
    const tinygltf::Value* object = extensionOf(m, ext.extension);
    if (!object || !uses(model_, ext.extension)) continue;
    for (const char* name : ext.textures)
      if (name && !meetTexture(wholeMember(member(object, name), "index", -1), why)) return false;
  }
  return true;
}

unsigned GltfMaterials::sceneIndex(int index) const {
  if (index < 0 || size_t(index) >= slot_.size() || slot_[size_t(index)] < 0)
    return unsigned(order_.size());
  return unsigned(slot_[size_t(index)]);
}

bool GltfMaterials::build(aiScene& scene, std::string& why) const {
  // The embedded images first: materials name them by their place among them.
  std::vector<std::string> imageNames(model_.images.size());
  std::vector<aiTexture*> textures;
  for (int index : images_) {
    const tinygltf::Image& image = model_.images[size_t(index)];
    const unsigned char* bytes = image.image.data();
    size_t length = image.image.size();
    if (image.bufferView >= 0) {
      if (image.mimeType.empty()) {
        why = "image " + std::to_string(index) + " lies in a buffer view but has no media type";
        break;
      }
      bytes = gltfViewBytes(model_, image.bufferView, length, why);
      if (!bytes) {
        why = "image " + std::to_string(index) + ": " + why;
        break;
      }
    }
    if (length == 0) {
      // Without bytes: a file beside the scene, or nothing.
      imageNames[size_t(index)] = decodeUri(image.uri);
      continue;
    }
    imageNames[size_t(index)] = "*" + std::to_string(textures.size());
    auto* texture = new aiTexture;
    textures.push_back(texture);
    texture->mFilename = aiString(image.name);
    texture->mWidth = unsigned(length);
    texture->mHeight = 0;
    texture->pcData = new aiTexel[(length + sizeof(aiTexel) - 1) / sizeof(aiTexel)];
    std::memcpy(texture->pcData, bytes, length);
    setFormatHint(*texture, image.mimeType);
  }
  if (!textures.empty()) {
    scene.mNumTextures = unsigned(textures.size());
    scene.mTextures = new aiTexture*[textures.size()];
    std::copy(textures.begin(), textures.end(), scene.mTextures);
  }
  if (!why.empty()) return false;

  std::vector<std::string> textureNames(model_.textures.size());
  for (size_t t = 0; t < model_.textures.size(); ++t)
    if (textureMet_[t] && model_.textures[t].source >= 0)
      textureNames[t] = imageNames[size_t(model_.textures[t].source)];

  const MaterialMaker maker(model_, textureNames);
  scene.mNumMaterials = unsigned(order_.size() + 1);
  scene.mMaterials = new aiMaterial*[order_.size() + 1];
  for (size_t i = 0; i < order_.size(); ++i)
    scene.mMaterials[i] = maker.make(model_.materials[size_t(order_[i])]);
  scene.mMaterials[order_.size()] = maker.make(tinygltf::Material());
  return true;
}
