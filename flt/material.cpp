#include "flt/material.h"

#include <cstring>

#include "flt/record.h"

namespace {

void writeTriple(FltRecord& r, const float (&c)[3]) {
  r.write32(c[0]).write32(c[1]).write32(c[2]);
}

void readTriple(FltRecord& r, float (&c)[3]) {
  r.read32(c[0]).read32(c[1]).read32(c[2]);
}

}  // namespace

void FltMaterial::setName(const char* text) {
  std::memset(name, 0, sizeof name);
  if (text) std::strncpy(name, text, kNameLength);
}

void FltMaterial::serialise(FltRecord& r, int /*version*/) const {
  r.begin(kOpcode);
  r.write32(materialIndex);
  r.writeText(name, kNameLength);
  r.write32(flags);
  writeTriple(r, ambient);
  writeTriple(r, diffuse);
  writeTriple(r, specular);
  writeTriple(r, emissive);
  r.write32(shininess).write32(alpha);
  r.skip(4);
  r.finish();
}

void FltMaterial::parse(FltRecord& r, int /*version*/) {
  r.seekBody();
  r.read32(materialIndex);
  r.readText(name, kNameLength);
  r.read32(flags);
  readTriple(r, ambient);
  readTriple(r, diffuse);
  readTriple(r, specular);
  readTriple(r, emissive);
  r.read32(shininess).read32(alpha);
}
