#include "flt/group.h"

#include "flt/record.h"

void FltGroup::serialise(FltRecord& r, int /*version*/) const {
  r.begin(kOpcode);
  r.writeText(id, kIdLength);
  r.write16(relativePriority);
  r.skip(2);
  r.write32(flags).write16(specialEffectId1).write16(specialEffectId2).write16(significance);
  r.write8(layerCode);
  r.skip(5);
  r.finish();
}

void FltGroup::parse(FltRecord& r, int /*version*/) {
  r.seekBody();
  r.readText(id, kIdLength);
  r.read16(relativePriority);
  r.skip(2);
  r.read32(flags).read16(specialEffectId1).read16(specialEffectId2).read16(significance);
  r.read8(layerCode);
}
