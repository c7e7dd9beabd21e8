#include "flt/lod.h"

#include "flt/record.h"

void FltLod::serialise(FltRecord& r, int /*version*/) const {
  r.begin(kOpcode);
  r.writeText(id, kIdLength);
  r.skip(4);
  r.write64(switchInDistance).write64(switchOutDistance);
  r.write16(specialEffectId1).write16(specialEffectId2).write32(flags);
  r.write64(centerX).write64(centerY).write64(centerZ).write64(transitionRange);
  r.finish();
}

void FltLod::parse(FltRecord& r, int /*version*/) {
  r.seekBody();
  r.readText(id, kIdLength);
  r.skip(4);
  r.read64(switchInDistance).read64(switchOutDistance);
  r.read16(specialEffectId1).read16(specialEffectId2).read32(flags);
  r.read64(centerX).read64(centerY).read64(centerZ).read64(transitionRange);
}
