#include "flt/external_ref.h"

#include <cstring>

#include "flt/record.h"

void FltExternalRef::setPath(const char* text) {
  std::memset(path, 0, sizeof path);
  if (text) std::strncpy(path, text, kPathLength);
}

void FltExternalRef::serialise(FltRecord& r, int /*version*/) const {
  r.begin(kOpcode);
  r.writeText(path, kPathLength);
  r.skip(4);
  r.write32(flags);
  r.skip(2);
  r.finish();
}

void FltExternalRef::parse(FltRecord& r, int /*version*/) {
  r.seekBody();
  r.readText(path, kPathLength);
  r.skip(4);
  r.read32(flags);
}
