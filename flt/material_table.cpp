#include "flt/material_table.h"

#include <algorithm>

#include "flt/record_fields.h"
#include "flt/revision.h"

namespace {

// Bytes of an entry behind its name; the format keeps them as spare.
constexpr int kSpare = 112;

template <class Material, class Io>
void entryFields(Material& m, Io& io) {
  io(m.ambient, m.diffuse, m.specular, m.emissive, m.shininess, m.alpha, m.flags);
  io.text(m.name, FltMaterial::kNameLength).skip(kSpare);
}

}  // namespace

void FltMaterialTable::serialise(FltRecord& r, int /*version*/) const {
  r.begin(kOpcode);
  FltFieldWriter io(r);
  for (const FltMaterial& m : slots) entryFields(m, io);
  r.finish();
}

void FltMaterialTable::parse(FltRecord& r, int /*version*/) {
  r.seekBody();
  FltFieldReader io(r);
  for (int i = 0; i < kSlots; ++i) {
    slots[i].materialIndex = i;  // the slot's place, not a stored field
    entryFields(slots[i], io);
  }
}

std::vector<int> FltMaterialTable::usedSlots() const {
  // Compared as written, so that fields a later change adds count without a word here.
  FltRecord unused, slot;
  FltMaterial().serialise(unused, kRevision152);
  std::vector<int> used;
  for (int i = 0; i < kSlots; ++i) {
    FltMaterial m = slots[i];
    m.materialIndex = 0;
    m.serialise(slot, kRevision152);
    if (!std::equal(slot.data(), slot.data() + slot.length(), unused.data())) used.push_back(i);
  }
  return used;
}
