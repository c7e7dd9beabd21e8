#pragma once
// The distinct materials that faces use, in order of first use; a material's index
// is its position. Below revision 1500 the palette is written as one material
// table record, from 1500 on as one material record per material.
//
// Two materials are one when their four colors and alpha are equal and their
// names are equal or either name is empty; flags and shininess do not count, the
// first material added keeps its values. When an unnamed material equals several
// named ones, the earliest of them is its match.

#include <cstdint>
#include <string>
#include <unordered_map>
#include <vector>

#include "flt/material.h"

class FltOutputFile;

class FltMaterialPalette {
 public:
  // Revisions below this one only know the fixed table of 64 slots.
  // Faces keep material indexes in a signed 16-bit field.
  static constexpr int kMaxMaterials = 32768;

  // The index of an equal material, or of the copy appended now.
  [[nodiscard]] int32_t addMaterial(const FltMaterial& m);
  int materialCount() const { return static_cast<int>(materials_.size()); }
  const FltMaterial& material(int i) const { return materials_[i]; }
  void clear();

  // Writes nothing without materials. Fails the file rather than write faces whose
  // indexes no written material holds (more than 64 below revision 1500, more
  // than a 16-bit index reaches). 1 when written.
  [[nodiscard]] int write(FltOutputFile& file) const;

 private:
  // The colors and alpha as bit patterns, with -0 and 0 made one value.
  struct ColorKey {
    uint32_t bits[13];
    bool operator==(const ColorKey& o) const;
  };
  struct ColorKeyHash {
    size_t operator()(const ColorKey& k) const;
  };
  // The materials that share one set of colors.
  struct ColorGroup {
    int32_t first = -1;
    int32_t firstUnnamed = -1;
    std::unordered_map<std::string, int32_t> byName;
  };

  static ColorKey colorKey(const FltMaterial& m);

  std::vector<FltMaterial> materials_;
  std::unordered_map<ColorKey, ColorGroup, ColorKeyHash> groups_;
};
