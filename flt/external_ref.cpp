#include "flt/external_ref.h"

#include <cstring>

#include "flt/record_fields.h"

void FltExternalRef::setPath(const char* text) {
  std::memset(path, 0, sizeof path);
  if (text) std::strncpy(path, text, kPathLength);
}

namespace {

template <class Record, class Io>
void externalRefFields(Record& f, Io& io) {
  io.text(f.path, FltExternalRef::kPathLength).skip(4);
  io(f.flags).skip(2);
}

}  // namespace

void FltExternalRef::serialise(FltRecord& r, int /*version*/) const {
  r.begin(kOpcode);
  FltFieldWriter io(r);
  externalRefFields(*this, io);
  r.finish();
}

void FltExternalRef::parse(FltRecord& r, int /*version*/) {
  r.seekBody();
  FltFieldReader io(r);
  externalRefFields(*this, io);
}
