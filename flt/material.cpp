#include "flt/material.h"

#include <cstring>

#include "flt/record_fields.h"

void FltMaterial::setName(const char* text) {
  std::memset(name, 0, sizeof name);
  if (text) std::strncpy(name, text, kNameLength);
}

namespace {

template <class Record, class Io>
void materialFields(Record& f, Io& io) {
  io(f.materialIndex).text(f.name, FltMaterial::kNameLength);
  io(f.flags, f.ambient, f.diffuse, f.specular, f.emissive, f.shininess, f.alpha).skip(4);
}

}  // namespace

void FltMaterial::serialise(FltRecord& r, int /*version*/) const {
  r.begin(kOpcode);
  FltFieldWriter io(r);
  materialFields(*this, io);
  r.finish();
}

void FltMaterial::parse(FltRecord& r, int /*version*/) {
  r.seekBody();
  FltFieldReader io(r);
  materialFields(*this, io);
}
