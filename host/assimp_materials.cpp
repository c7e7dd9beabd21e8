#include "host/assimp_materials.h"

#include <assimp/material.h>
#include <assimp/scene.h>

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstring>

#include "host/embedded_images.h"
#include "host/memory_scene.h"

namespace fs = std::filesystem;

namespace {

// 3DS and ASE name their stand-in so; the others use AI_DEFAULT_MATERIAL_NAME.
constexpr const char* k3dsStandInName = "%%%DEFAULT";

float clamp01(float v, float fallback) {
  if (!std::isfinite(v)) return fallback;
  return std::min(1.0f, std::max(0.0f, v));
}

void readColor(const aiMaterial& m, const char* key, unsigned type, unsigned index, Color& out) {
  aiColor3D c;
  if (m.Get(key, type, index, c) != AI_SUCCESS) return;
  out = {clamp01(c.r, out.r), clamp01(c.g, out.g), clamp01(c.b, out.b)};
}

bool readFloat(const aiMaterial& m, const char* key, unsigned type, unsigned index, float& out) {
  ai_real v = 0;
  if (m.Get(key, type, index, v) != AI_SUCCESS || !std::isfinite(v)) return false;
  out = static_cast<float>(v);
  return true;
}

bool hasKey(const aiMaterial& m, const char* key, unsigned type, unsigned index) {
  const aiMaterialProperty* property = nullptr;
  return aiGetMaterialProperty(&m, key, type, index, &property) == AI_SUCCESS;
}

// glTF files give their color map as the base color texture too.
aiTextureType diffuseType(const aiMaterial& m) {
  return m.GetTextureCount(aiTextureType_DIFFUSE) == 0 &&
                 m.GetTextureCount(aiTextureType_BASE_COLOR) > 0
             ? aiTextureType_BASE_COLOR
             : aiTextureType_DIFFUSE;
}

bool repeats(aiTextureMapMode mode) {
  return mode == aiTextureMapMode_Wrap || mode == aiTextureMapMode_Mirror;
}

// Assimp's UV transform: scale, then rotate counter-clockwise about (0.5, 0.5),
// then translate.
Matrix3 uvMatrix(const aiUVTransform& t) {
  const float c = std::cos(t.mRotation), s = std::sin(t.mRotation);
  const Matrix3 rotate({c, s, 0}, {-s, c, 0}, {0, 0, 1}, {});
  return Matrix3::scaling({t.mScaling.x, t.mScaling.y, 1}) *
         Matrix3::translation({-0.5f, -0.5f, 0}) * rotate *
         Matrix3::translation({0.5f + t.mTranslation.x, 0.5f + t.mTranslation.y, 0});
}

bool isWindowsAbsolute(const std::string& name) {
  return (name.size() >= 3 && std::isalpha(static_cast<unsigned char>(name[0])) && name[1] == ':' &&
          (name[2] == '\\' || name[2] == '/')) ||
         name.compare(0, 2, "\\\\") == 0;
}

}  // namespace

std::string resolveTexturePath(const std::string& name, const fs::path& sceneFolder) {
  if (name.empty() || isWindowsAbsolute(name)) return name;
  std::string path = name;
  std::replace(path.begin(), path.end(), '\\', '/');
  const fs::path p(path);
  if (p.is_absolute()) return path;
  return (sceneFolder / p).lexically_normal().string();
}

AssimpMaterials::AssimpMaterials(const aiScene& scene, MemoryScene& host, fs::path sceneFolder,
                                 EmbeddedImages& images, StandIn standIn)
    : scene_(scene),
      host_(host),
      sceneFolder_(std::move(sceneFolder)),
      images_(images),
      standIn_(standIn) {}

bool AssimpMaterials::isStandIn(unsigned index) const {
  if (index >= scene_.mNumMaterials || !scene_.mMaterials[index]) return true;
  if (standIn_ == StandIn::kLast) return index + 1 == scene_.mNumMaterials;
  aiString name;
  scene_.mMaterials[index]->Get(AI_MATKEY_NAME, name);
  if (standIn_ == StandIn::kUnnamed) return name.length == 0;
  return std::strcmp(name.C_Str(), AI_DEFAULT_MATERIAL_NAME) == 0 ||
         std::strcmp(name.C_Str(), k3dsStandInName) == 0;
}

unsigned AssimpMaterials::uvChannel(unsigned index) const {
  if (isStandIn(index)) return 0;
  const aiMaterial& m = *scene_.mMaterials[index];
  int channel = 0;
  m.Get(AI_MATKEY_UVWSRC(diffuseType(m), 0), channel);
  return channel >= 0 && channel < AI_MAX_NUMBER_OF_TEXTURECOORDS ? static_cast<unsigned>(channel)
                                                                  : 0;
}

Material* AssimpMaterials::nodeMaterial(const std::vector<unsigned>& indices,
                                        const std::string& nodeName) {
  const auto real =
      std::count_if(indices.begin(), indices.end(), [this](unsigned i) { return !isStandIn(i); });
  if (real == 0) return nullptr;
  if (indices.size() == 1) return standard(indices[0]);

  MemoryMultiMaterial*& multi = multi_[indices];
  if (!multi) {
    multi = &host_.addMultiMaterial(nodeName);
    for (unsigned i : indices) multi->addSubMaterial(standard(i));
  }
  return multi;
}

SourceLook AssimpMaterials::look(const std::vector<unsigned>& indices) {
  SourceLook look;
  for (unsigned index : indices) {
    const MemoryStandardMaterial* m = standard(index);
    if (!m) {
      look.lit = true;
      continue;
    }
    const aiMaterial& from = *scene_.mMaterials[index];
    int shading = aiShadingMode_Gouraud, twoSided = 0;
    from.Get(AI_MATKEY_SHADING_MODEL, shading);
    from.Get(AI_MATKEY_TWOSIDED, twoSided);
    look.lit |= shading != aiShadingMode_NoShading;
    look.twoSided |= twoSided != 0;
    if (!look.firstColor) look.firstColor = m->diffuseColor;
  }
  return look;
}

MemoryStandardMaterial* AssimpMaterials::standard(unsigned index) {
  if (isStandIn(index)) return nullptr;
  MemoryStandardMaterial*& m = standard_[index];
  if (!m) {
    const aiMaterial& from = *scene_.mMaterials[index];
    aiString name;
    from.Get(AI_MATKEY_NAME, name);
    m = &host_.addStandardMaterial(name.C_Str());
    convert(from, *m);
  }
  return m;
}

void AssimpMaterials::convert(const aiMaterial& from, MemoryStandardMaterial& to) {
  readColor(from, AI_MATKEY_COLOR_AMBIENT, to.ambientColor);
  // glTF's base color where a format gives no diffuse color.
  if (hasKey(from, AI_MATKEY_COLOR_DIFFUSE))
    readColor(from, AI_MATKEY_COLOR_DIFFUSE, to.diffuseColor);
  else
    readColor(from, AI_MATKEY_BASE_COLOR, to.diffuseColor);
  readColor(from, AI_MATKEY_COLOR_SPECULAR, to.specularColor);

  float v = 0;
  if (readFloat(from, AI_MATKEY_SHININESS, v)) to.shininessValue = clamp01(v / 128.0f, 0.0f);
  if (readFloat(from, AI_MATKEY_SHININESS_STRENGTH, v))
    to.shininessStrengthValue = clamp01(v, 0.0f);
  if (readFloat(from, AI_MATKEY_OPACITY, v)) to.opacityValue = clamp01(v, 1.0f);
  Color emissive;
  if (hasKey(from, AI_MATKEY_COLOR_EMISSIVE)) {
    readColor(from, AI_MATKEY_COLOR_EMISSIVE, emissive);
    to.selfIlluminationValue = std::max({emissive.r, emissive.g, emissive.b});
  }
  to.diffuseMap = diffuseMap(from);
}

TextureMap* AssimpMaterials::diffuseMap(const aiMaterial& from) {
  const aiTextureType type = diffuseType(from);
  aiString name;
  aiTextureMapMode modes[3] = {aiTextureMapMode_Wrap, aiTextureMapMode_Wrap, aiTextureMapMode_Wrap};
  if (from.GetTexture(type, 0, &name, nullptr, nullptr, nullptr, nullptr, modes) != AI_SUCCESS ||
      name.length == 0)
    return nullptr;

  std::string file;
  const auto embedded = scene_.GetEmbeddedTextureAndIndex(name.C_Str());
  if (embedded.first)
    file = images_.fileFor(embedded.second);
  else
    file = resolveTexturePath(name.C_Str(), sceneFolder_);
  if (file.empty()) return nullptr;

  MemoryBitmapTexture& map = host_.addBitmapTexture(file);
  map.tiling =
      (repeats(modes[0]) ? TextureMap::kTileU : 0u) | (repeats(modes[1]) ? TextureMap::kTileV : 0u);
  aiUVTransform transform;
  if (from.Get(AI_MATKEY_UVTRANSFORM(type, 0), transform) == AI_SUCCESS &&
      std::isfinite(transform.mTranslation.x) && std::isfinite(transform.mTranslation.y) &&
      std::isfinite(transform.mScaling.x) && std::isfinite(transform.mScaling.y) &&
      std::isfinite(transform.mRotation))
    map.transform = uvMatrix(transform);
  return &map;
}
