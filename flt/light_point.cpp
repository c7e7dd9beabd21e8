#include "flt/light_point.h"

#include "flt/record.h"

void FltLightPoint::serialise(FltRecord& r, int /*version*/) const {
  r.begin(kOpcode);
  r.writeText(id, kIdLength);
  r.write16(surfaceMaterialCode).write16(featureId).write32(backColor).write32(displayMode);
  r.write32(intensity).write32(backIntensity).write32(minDefocus).write32(maxDefocus);
  r.write32(fadingMode).write32(fogPunchMode).write32(directionalMode).write32(rangeMode);
  r.write32(minPixelSize).write32(maxPixelSize).write32(actualPixelSize);
  r.write32(transparentFalloffPixelSize).write32(transparentFalloffExponent);
  r.write32(transparentFalloffScalar).write32(transparentFalloffClamp);
  r.write32(fogScalar).write32(sizeDifferenceThreshold).write32(directionality);
  r.write32(horizontalLobeAngle).write32(verticalLobeAngle).write32(lobeRollAngle);
  r.write32(directionalFalloffExponent).write32(directionalAmbientIntensity);
  r.write32(animationPeriod).write32(animationPhaseDelay).write32(animationEnabledPeriod);
  r.write32(significance).write32(calligraphicDrawOrder).write32(flags);
  r.write32(static_cast<float>(axisX));
  r.write32(static_cast<float>(axisY));
  r.write32(static_cast<float>(axisZ));
  r.finish();
}

void FltLightPoint::parse(FltRecord& r, int /*version*/) {
  r.seekBody();
  r.readText(id, kIdLength);
  r.read16(surfaceMaterialCode).read16(featureId).read32(backColor).read32(displayMode);
  r.read32(intensity).read32(backIntensity).read32(minDefocus).read32(maxDefocus);
  r.read32(fadingMode).read32(fogPunchMode).read32(directionalMode).read32(rangeMode);
  r.read32(minPixelSize).read32(maxPixelSize).read32(actualPixelSize);
  r.read32(transparentFalloffPixelSize).read32(transparentFalloffExponent);
  r.read32(transparentFalloffScalar).read32(transparentFalloffClamp);
  r.read32(fogScalar).read32(sizeDifferenceThreshold).read32(directionality);
  r.read32(horizontalLobeAngle).read32(verticalLobeAngle).read32(lobeRollAngle);
  r.read32(directionalFalloffExponent).read32(directionalAmbientIntensity);
  r.read32(animationPeriod).read32(animationPhaseDelay).read32(animationEnabledPeriod);
  r.read32(significance).read32(calligraphicDrawOrder).read32(flags);
  float ax, ay, az;
  r.read32(ax).read32(ay).read32(az);
  axisX = ax;
  axisY = ay;
  axisZ = az;
}
