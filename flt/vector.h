#pragma once
// A direction, written after a light point when its node gives one.

#include <cstdint>

#include "flt/record_base.h"

class FltVector : public FltRecordBase {
 public:
  static constexpr uint16_t kOpcode = 50;

  uint16_t opcode() const override { return kOpcode; }
  // Each component is written as a single-precision float.
  void serialise(FltRecord& record, int version) const override;
  void parse(FltRecord& record, int version) override;

  double i = 0.0, j = 0.0, k = 1.0;
};
