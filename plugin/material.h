#pragma once
// Host materials. A standard material (class 2, 0) is a StandardMaterial; a
// multi-material (class 0x200, 0) only has sub-materials.

#include "plugin/host_types.h"

class StandardMaterial;
class TextureMap;

constexpr ClassId kStandardMaterialClassId{2, 0};
constexpr ClassId kMultiMaterialClassId{0x200, 0};

class Material {
 public:
  // Sub-texture map slots.
  static constexpr int kAmbientMap = 0;
  static constexpr int kDiffuseMap = 1;

  virtual ~Material() = default;

  virtual ClassId classId() const = 0;
  virtual const char* name() const = 0;
  // The color the host shows for the material (material index 0, front face).
  virtual Color baseColor(int mtlIndex = 0, bool backFace = false) const = 0;
  virtual int numSubMaterials() const = 0;
  virtual Material* subMaterial(int i) const = 0;
  // Sub-texture map in slot i (kDiffuseMap for the diffuse map), or null.
  virtual TextureMap* subTexmap(int i) const = 0;

  virtual StandardMaterial* asStandardMaterial() { return nullptr; }
};

class StandardMaterial : public Material {
 public:
  ClassId classId() const override { return kStandardMaterialClassId; }
  StandardMaterial* asStandardMaterial() override { return this; }

  virtual Color ambient(TimeValue t) const = 0;
  virtual Color diffuse(TimeValue t) const = 0;
  virtual Color specular(TimeValue t) const = 0;
  // Shininess and shininess strength in 0..1.
  virtual float shininess(TimeValue t) const = 0;
  virtual float shininessStrength(TimeValue t) const = 0;
  virtual float selfIllumination(TimeValue t) const = 0;
  virtual float opacity(TimeValue t) const = 0;
};

// The standard material behind `m`: class (2, 0) and of that kind; null otherwise.
inline StandardMaterial* standardMaterialOf(Material* m) {
  return m && m->classId() == kStandardMaterialClassId ? m->asStandardMaterial() : nullptr;
}
