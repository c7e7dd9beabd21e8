#include "flt/vector.h"

#include "flt/record_fields.h"

namespace {

template <class Record, class Io>
void vectorFields(Record& f, Io& io) {
  // Held as doubles, stored as floats.
  io.asFloat(f.i).asFloat(f.j).asFloat(f.k);
}

}  // namespace

void FltVector::serialise(FltRecord& r, int /*version*/) const {
  r.begin(kOpcode);
  FltFieldWriter io(r);
  vectorFields(*this, io);
  r.finish();
}

void FltVector::parse(FltRecord& r, int /*version*/) {
  r.seekBody();
  FltFieldReader io(r);
  vectorFields(*this, io);
}
