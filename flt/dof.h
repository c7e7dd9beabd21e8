#pragma once

#include <cstdint>
#include <limits>

#include "flt/header.h"
#include "flt/id_record.h"

// One degree of freedom; unconstrained by default, from minus to plus the largest float.
struct FltDofRange {
  double minimum = -static_cast<double>(std::numeric_limits<float>::max());
  double maximum = static_cast<double>(std::numeric_limits<float>::max());
  double current = 0.0;
  double increment = 0.0;
};

class FltDof : public FltIdRecord {
 public:
  static constexpr uint16_t kOpcode = 14;

  uint16_t opcode() const override { return kOpcode; }
  void serialise(FltRecord& record, int version) const override;
  void parse(FltRecord& record, int version) override;

  double originX = 0.0, originY = 0.0, originZ = 0.0;
  double xAxisPointX = 1.0, xAxisPointY = 0.0, xAxisPointZ = 0.0;
  double xyPlanePointX = 0.0, xyPlanePointY = 1.0, xyPlanePointZ = 0.0;
  FltDofRange translateZ, translateY, translateX;
  FltDofRange pitch, roll, yaw;
  FltDofRange scaleZ, scaleY, scaleX;
  uint32_t flags = 0;

 protected:
  const char* idFormat() const override { return "d%d"; }
  int16_t& idCounter(FltHeader& header) const override { return header.nextDofId; }
};
