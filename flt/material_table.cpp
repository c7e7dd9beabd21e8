#include "flt/material_table.h"

#include "flt/record.h"

namespace {

void writeTriple(FltRecord& r, const float (&c)[3]) {
  r.write32(c[0]).write32(c[1]).write32(c[2]);
}

void readTriple(FltRecord& r, float (&c)[3]) {
  r.read32(c[0]).read32(c[1]).read32(c[2]);
}

// Bytes of an entry behind its name; the format keeps them as spare.
constexpr int kSpare = 112;

}  // namespace

void FltMaterialTable::serialise(FltRecord& r, int /*version*/) const {
  r.begin(kOpcode);
  for (const FltMaterial& m : slots) {
    writeTriple(r, m.ambient);
    writeTriple(r, m.diffuse);
    writeTriple(r, m.specular);
    writeTriple(r, m.emissive);
    r.write32(m.shininess).write32(m.alpha).write32(m.flags);
    r.writeText(m.name, FltMaterial::kNameLength);
    r.skip(kSpare);
  }
  r.finish();
}

void FltMaterialTable::parse(FltRecord& r, int /*version*/) {
  r.seekBody();
  for (int i = 0; i < kSlots; ++i) {
    FltMaterial& m = slots[i];
    m.materialIndex = i;
    readTriple(r, m.ambient);
    readTriple(r, m.diffuse);
    readTriple(r, m.specular);
    readTriple(r, m.emissive);
    r.read32(m.shininess).read32(m.alpha).read32(m.flags);
    r.readText(m.name, FltMaterial::kNameLength);
    r.skip(kSpare);
  }
}
