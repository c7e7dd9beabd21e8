#include "flt/lod.h"

#include "flt/record_fields.h"

namespace {

template <class Record, class Io>
void lodFields(Record& f, Io& io) {
  io.text(f.id, FltLod::kIdLength).skip(4);
  io(f.switchInDistance, f.switchOutDistance);
  io(f.specialEffectId1, f.specialEffectId2, f.flags);
  io(f.centerX, f.centerY, f.centerZ, f.transitionRange);
}

}  // namespace

void FltLod::serialise(FltRecord& r, int /*version*/) const {
  r.begin(kOpcode);
  FltFieldWriter io(r);
  lodFields(*this, io);
  r.finish();
}

void FltLod::parse(FltRecord& r, int /*version*/) {
  r.seekBody();
  FltFieldReader io(r);
  lodFields(*this, io);
}
