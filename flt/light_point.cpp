#include "flt/light_point.h"

#include "flt/record_fields.h"

namespace {

template <class Record, class Io>
void lightPointFields(Record& f, Io& io) {
  io.text(f.id, FltLightPoint::kIdLength);
  io(f.surfaceMaterialCode, f.featureId, f.backColor, f.displayMode);
  io(f.intensity, f.backIntensity, f.minDefocus, f.maxDefocus);
  io(f.fadingMode, f.fogPunchMode, f.directionalMode, f.rangeMode);
  io(f.minPixelSize, f.maxPixelSize, f.actualPixelSize);
  io(f.transparentFalloffPixelSize, f.transparentFalloffExponent);
  io(f.transparentFalloffScalar, f.transparentFalloffClamp);
  io(f.fogScalar, f.sizeDifferenceThreshold, f.directionality);
  io(f.horizontalLobeAngle, f.verticalLobeAngle, f.lobeRollAngle);
  io(f.directionalFalloffExponent, f.directionalAmbientIntensity);
  io(f.animationPeriod, f.animationPhaseDelay, f.animationEnabledPeriod);
  io(f.significance, f.calligraphicDrawOrder, f.flags);
  // The axis is held as doubles and stored as floats.
  io.asFloat(f.axisX).asFloat(f.axisY).asFloat(f.axisZ);
}

}  // namespace

void FltLightPoint::serialise(FltRecord& r, int /*version*/) const {
  r.begin(kOpcode);
  FltFieldWriter io(r);
  lightPointFields(*this, io);
  r.finish();
}

void FltLightPoint::parse(FltRecord& r, int /*version*/) {
  r.seekBody();
  FltFieldReader io(r);
  lightPointFields(*this, io);
}
