#include "flt/object.h"

#include "flt/record_fields.h"

namespace {

template <class Record, class Io>
void objectFields(Record& f, Io& io) {
  io.text(f.id, FltObject::kIdLength);
  io(f.flags, f.relativePriority, f.transparency);
  io(f.specialEffectId1, f.specialEffectId2, f.significance).skip(2);
}

}  // namespace

void FltObject::serialise(FltRecord& r, int /*version*/) const {
  r.begin(kOpcode);
  FltFieldWriter io(r);
  objectFields(*this, io);
  r.finish();
}

void FltObject::parse(FltRecord& r, int /*version*/) {
  r.seekBody();
  FltFieldReader io(r);
  objectFields(*this, io);
}
