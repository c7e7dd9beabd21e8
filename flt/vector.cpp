#include "flt/vector.h"

#include "flt/record.h"

void FltVector::serialise(FltRecord& r, int /*version*/) const {
  r.begin(kOpcode);
  r.write32(static_cast<float>(i)).write32(static_cast<float>(j)).write32(static_cast<float>(k));
  r.finish();
}

void FltVector::parse(FltRecord& r, int /*version*/) {
  r.seekBody();
  float fi, fj, fk;
  r.read32(fi).read32(fj).read32(fk);
  i = fi;
  j = fj;
  k = fk;
}
