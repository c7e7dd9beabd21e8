#include "flt/group.h"

#include "flt/record_fields.h"

namespace {

template <class Record, class Io>
void groupFields(Record& f, Io& io) {
  io.text(f.id, FltGroup::kIdLength);
  io(f.relativePriority).skip(2);
  io(f.flags, f.specialEffectId1, f.specialEffectId2, f.significance, f.layerCode).skip(5);
}

}  // namespace

void FltGroup::serialise(FltRecord& r, int /*version*/) const {
  r.begin(kOpcode);
  FltFieldWriter io(r);
  groupFields(*this, io);
  r.finish();
}

void FltGroup::parse(FltRecord& r, int /*version*/) {
  r.seekBody();
  FltFieldReader io(r);
  groupFields(*this, io);
}
