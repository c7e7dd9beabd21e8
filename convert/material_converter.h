#pragma once
// Host standard materials as entries of the file's material palette.

#include <unordered_map>

#include "plugin/host_types.h"

class ExportContext;
class FltMaterial;
class FltOutputFile;
class Material;

class MaterialConverter {
 public:
  // Binds the converter to the file whose palette receives the materials.
  void prepare(const ExportContext& context);
  // The palette index of the material, added on first use; -1 for none or when
  // the material is not a standard one (a multi-material, another class).
  int materialIndexOf(Material* material);
  void release() { byMaterial_.clear(); }

  // The palette entry the material becomes; false for anything but a standard material.
  [[nodiscard]] static bool toFltMaterial(Material* material, TimeValue t, FltMaterial& out);

 private:
  FltOutputFile* file_ = nullptr;
  TimeValue time_ = 0;
  // Every face asks again; a material seen before is answered without a lookup.
  std::unordered_map<const Material*, int> byMaterial_;
};
