#pragma once
// Materials of the in-memory host: a standard material whose diffuse color is
// its base color, and a multi-material that only gathers sub-materials.

#include <string>
#include <vector>

#include "plugin/material.h"
#include "plugin/texture_map.h"

class MemoryStandardMaterial : public StandardMaterial {
 public:
  explicit MemoryStandardMaterial(std::string name) : name_(std::move(name)) {}

  // Public values, as a material editor shows them.
  Color ambientColor{0.588f, 0.588f, 0.588f};
  Color diffuseColor{0.588f, 0.588f, 0.588f};
  Color specularColor{0.9f, 0.9f, 0.9f};
  float shininessValue = 0.1f;
  float shininessStrengthValue = 0.0f;
  float selfIlluminationValue = 0.0f;
  float opacityValue = 1.0f;
  TextureMap* diffuseMap = nullptr;

  MemoryStandardMaterial& setDiffuse(const Color& c) {
    diffuseColor = c;
    return *this;
  }
  MemoryStandardMaterial& setDiffuseMap(TextureMap* map) {
    diffuseMap = map;
    return *this;
  }

  const char* name() const override { return name_.c_str(); }
  Color baseColor(int, bool) const override { return diffuseColor; }
  int numSubMaterials() const override { return 0; }
  Material* subMaterial(int) const override { return nullptr; }
  TextureMap* subTexmap(int i) const override { return i == kDiffuseMap ? diffuseMap : nullptr; }

  Color ambient(TimeValue) const override { return ambientColor; }
  Color diffuse(TimeValue) const override { return diffuseColor; }
  Color specular(TimeValue) const override { return specularColor; }
  float shininess(TimeValue) const override { return shininessValue; }
  float shininessStrength(TimeValue) const override { return shininessStrengthValue; }
  float selfIllumination(TimeValue) const override { return selfIlluminationValue; }
  float opacity(TimeValue) const override { return opacityValue; }

 private:
  std::string name_;
};

class MemoryMultiMaterial : public Material {
 public:
  explicit MemoryMultiMaterial(std::string name) : name_(std::move(name)) {}

  // Sub-materials in slot order; a slot may be null.
  std::vector<Material*> subMaterials;

  MemoryMultiMaterial& addSubMaterial(Material* m) {
    subMaterials.push_back(m);
    return *this;
  }

  ClassId classId() const override { return kMultiMaterialClassId; }
  const char* name() const override { return name_.c_str(); }
  // That of the sub-material of the given index, as the host's editor shows it.
  Color baseColor(int mtlIndex, bool backFace) const override {
    const Material* m = subMaterial(mtlIndex);
    return m ? m->baseColor(0, backFace) : Color{0.588f, 0.588f, 0.588f};
  }
  int numSubMaterials() const override { return static_cast<int>(subMaterials.size()); }
  Material* subMaterial(int i) const override {
    return i >= 0 && i < numSubMaterials() ? subMaterials[i] : nullptr;
  }
  TextureMap* subTexmap(int) const override { return nullptr; }

 private:
  std::string name_;
};
