#include "flt/material_palette.h"

#include <cmath>
#include <cstring>
#include <limits>
#include <memory>

#include "flt/material_table.h"
#include "flt/output_file.h"
#include "flt/revision.h"

bool FltMaterialPalette::ColorKey::operator==(const ColorKey& o) const {
  return std::memcmp(bits, o.bits, sizeof bits) == 0;
}

size_t FltMaterialPalette::ColorKeyHash::operator()(const ColorKey& k) const {
  uint64_t h = 1469598103934665603ull;  // FNV-1a over the 13 words
  for (uint32_t w : k.bits) {
    h ^= w;
    h *= 1099511628211ull;
  }
  return static_cast<size_t>(h ^ (h >> 32));
}

FltMaterialPalette::ColorKey FltMaterialPalette::colorKey(const FltMaterial& m) {
  ColorKey k{};
  const float* parts[4] = {m.ambient, m.diffuse, m.specular, m.emissive};
  int n = 0;
  auto put = [&](float v) {
    if (v == 0.0f) v = 0.0f;  // -0 equals 0 in the material order
    if (std::isnan(v)) v = std::numeric_limits<float>::quiet_NaN();
    std::memcpy(&k.bits[n++], &v, 4);
  };
  for (const float* p : parts) {
    for (int i = 0; i < 3; ++i) put(p[i]);
  }
  put(m.alpha);
  return k;
}

int32_t FltMaterialPalette::addMaterial(const FltMaterial& m) {
  ColorGroup& group = groups_[colorKey(m)];
  std::string name(m.name, strnlen(m.name, FltMaterial::kNameLength));
  if (group.first >= 0) {
    if (name.empty()) return group.first;
    int32_t match = group.firstUnnamed;
    auto it = group.byName.find(name);
    if (it != group.byName.end() && (match < 0 || it->second < match)) match = it->second;
    if (match >= 0) return match;
  }
  auto index = static_cast<int32_t>(materials_.size());
  materials_.push_back(m);
  materials_.back().materialIndex = index;
  if (group.first < 0) group.first = index;
  if (name.empty()) {
    group.firstUnnamed = index;
  } else {
    group.byName.emplace(std::move(name), index);
  }
  return index;
}

void FltMaterialPalette::clear() {
  materials_.clear();
  groups_.clear();
}

int FltMaterialPalette::write(FltOutputFile& file) const {
  if (materials_.empty()) return 1;
  int count = materialCount();
  if (count > kMaxMaterials) {
    file.fail("cannot write " + file.path() + ": the scene uses " + std::to_string(count) +
              " materials, more than the " + std::to_string(kMaxMaterials) +
              " a face can refer to");
    return 0;
  }
  if (!hasMaterialRecords(file.version())) {
    if (count > FltMaterialTable::kSlots) {
      file.fail("cannot write " + file.path() + ": the scene uses " + std::to_string(count) +
                " materials, but OpenFlight revisions below 15.0 hold at most " +
                std::to_string(FltMaterialTable::kSlots) + "; export as 15.0 or later");
      return 0;
    }
    // Large record: keep it off the stack.
    auto table = std::make_unique<FltMaterialTable>();
    for (int i = 0; i < count; ++i) table->slots[i] = materials_[i];
    return file.write(*table);
  }
  for (const FltMaterial& m : materials_) {
    FltMaterial copy = m;
    if (!file.write(copy)) return 0;
  }
  return 1;
}
