#include "flt/dof.h"

#include "flt/record.h"

namespace {

// The nine ranges in the order the record stores them.
constexpr FltDofRange FltDof::*kRanges[] = {
    &FltDof::translateZ, &FltDof::translateY, &FltDof::translateX, &FltDof::pitch,  &FltDof::roll,
    &FltDof::yaw,        &FltDof::scaleZ,     &FltDof::scaleY,     &FltDof::scaleX,
};

}  // namespace

void FltDof::serialise(FltRecord& r, int /*version*/) const {
  r.begin(kOpcode);
  r.writeText(id, kIdLength);
  r.skip(4);
  r.write64(originX).write64(originY).write64(originZ);
  r.write64(xAxisPointX).write64(xAxisPointY).write64(xAxisPointZ);
  r.write64(xyPlanePointX).write64(xyPlanePointY).write64(xyPlanePointZ);
  for (auto member : kRanges) {
    const FltDofRange& range = this->*member;
    r.write64(range.minimum).write64(range.maximum).write64(range.current);
    r.write64(range.increment);
  }
  r.write32(flags);
  r.finish();
}

void FltDof::parse(FltRecord& r, int /*version*/) {
  r.seekBody();
  r.readText(id, kIdLength);
  r.skip(4);
  r.read64(originX).read64(originY).read64(originZ);
  r.read64(xAxisPointX).read64(xAxisPointY).read64(xAxisPointZ);
  r.read64(xyPlanePointX).read64(xyPlanePointY).read64(xyPlanePointZ);
  for (auto member : kRanges) {
    FltDofRange& range = this->*member;
    r.read64(range.minimum).read64(range.maximum).read64(range.current).read64(range.increment);
  }
  r.read32(flags);
}
