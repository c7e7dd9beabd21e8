#include "flt/clip_region.h"

#include "flt/record_fields.h"

namespace {

template <class Record, class Io>
void clipRegionFields(Record& f, Io& io) {
  io.text(f.id, FltClipRegion::kIdLength).skip(6);
  io(f.edgeFlags).skip(1);
  io(f.corners, f.planes);
}

}  // namespace

void FltClipRegion::serialise(FltRecord& r, int /*version*/) const {
  r.begin(kOpcode);
  FltFieldWriter io(r);
  clipRegionFields(*this, io);
  r.finish();
}

void FltClipRegion::parse(FltRecord& r, int /*version*/) {
  r.seekBody();
  FltFieldReader io(r);
  clipRegionFields(*this, io);
}
