#pragma once
// A light point: its appearance comes entirely from the node's light point properties.
// The layout is the same for every format revision.

#include <cstdint>

#include "flt/header.h"
#include "flt/id_record.h"

class FltLightPoint : public FltIdRecord {
 public:
  static constexpr uint16_t kOpcode = 111;

  uint16_t opcode() const override { return kOpcode; }
  void serialise(FltRecord& record, int version) const override;
  void parse(FltRecord& record, int version) override;

  int16_t surfaceMaterialCode = 0;
  int16_t featureId = 0;
  uint32_t backColor = 0;
  int32_t displayMode = 2;  // either
  float intensity = 0, backIntensity = 0, minDefocus = 0, maxDefocus = 0;
  int32_t fadingMode = 0, fogPunchMode = 0, directionalMode = 0, rangeMode = 0;
  float minPixelSize = 0, maxPixelSize = 0, actualPixelSize = 0;
  float transparentFalloffPixelSize = 0, transparentFalloffExponent = 0;
  float transparentFalloffScalar = 0, transparentFalloffClamp = 0;
  float fogScalar = 0, sizeDifferenceThreshold = 0;
  int32_t directionality = 0;
  float horizontalLobeAngle = 0, verticalLobeAngle = 0, lobeRollAngle = 0;
  float directionalFalloffExponent = 0, directionalAmbientIntensity = 0;
  float animationPeriod = 0, animationPhaseDelay = 0, animationEnabledPeriod = 0;
  float significance = 0;
  int32_t calligraphicDrawOrder = 0;
  uint32_t flags = 0;
  // Written as single-precision floats.
  double axisX = 0, axisY = 0, axisZ = 0;

 protected:
  const char* idFormat() const override { return "lp%d"; }
  int16_t& idCounter(FltHeader& header) const override { return header.nextLightPointId; }
};
