#include "flt/dof.h"

#include "flt/record_fields.h"

namespace {

// The nine ranges in the order the record stores them.
constexpr FltDofRange FltDof::*kRanges[] = {
    &FltDof::translateZ, &FltDof::translateY, &FltDof::translateX, &FltDof::pitch,  &FltDof::roll,
    &FltDof::yaw,        &FltDof::scaleZ,     &FltDof::scaleY,     &FltDof::scaleX,
};

template <class Dof, class Io>
void dofFields(Dof& f, Io& io) {
  io.text(f.id, FltDof::kIdLength).skip(4);
  io(f.originX, f.originY, f.originZ);
  io(f.xAxisPointX, f.xAxisPointY, f.xAxisPointZ);
  io(f.xyPlanePointX, f.xyPlanePointY, f.xyPlanePointZ);
  for (auto member : kRanges) {
    auto& range = f.*member;
    io(range.minimum, range.maximum, range.current, range.increment);
  }
  io(f.flags);
}

}  // namespace

void FltDof::serialise(FltRecord& r, int /*version*/) const {
  r.begin(kOpcode);
  FltFieldWriter io(r);
  dofFields(*this, io);
  r.finish();
}

void FltDof::parse(FltRecord& r, int /*version*/) {
  r.seekBody();
  FltFieldReader io(r);
  dofFields(*this, io);
}
