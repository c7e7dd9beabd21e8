#include "flt/vertex_list.h"

#include "flt/record.h"

void FltVertexList::serialise(FltRecord& r, int /*version*/) const {
  r.begin(kOpcode);
  for (int32_t offset : offsets_) r.write32(offset);
  r.finish();
}

void FltVertexList::parse(FltRecord& r, int /*version*/) {
  r.seekBody();
  offsets_.assign(r.length() > 4 ? (r.length() - 4) / 4 : 0, 0);
  for (int32_t& offset : offsets_) r.read32(offset);
}
