#include "flt/object.h"

#include "flt/record.h"

void FltObject::serialise(FltRecord& r, int /*version*/) const {
  r.begin(kOpcode);
  r.writeText(id, kIdLength);
  r.write32(flags).write16(relativePriority).write16(transparency);
  r.write16(specialEffectId1).write16(specialEffectId2).write16(significance);
  r.skip(2);
  r.finish();
}

void FltObject::parse(FltRecord& r, int /*version*/) {
  r.seekBody();
  r.readText(id, kIdLength);
  r.read32(flags).read16(relativePriority).read16(transparency);
  r.read16(specialEffectId1).read16(specialEffectId2).read16(significance);
}
