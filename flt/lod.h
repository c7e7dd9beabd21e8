#pragma once

#include <cstdint>

#include "flt/header.h"
#include "flt/id_record.h"

class FltLod : public FltIdRecord {
 public:
  static constexpr uint16_t kOpcode = 73;

  uint16_t opcode() const override { return kOpcode; }
  void serialise(FltRecord& record, int version) const override;
  void parse(FltRecord& record, int version) override;

  double switchInDistance = 100000.0;
  double switchOutDistance = 1.0;
  int16_t specialEffectId1 = 0;
  int16_t specialEffectId2 = 0;
  uint32_t flags = 0xFCFFFFFF;
  double centerX = 0.0;
  double centerY = 0.0;
  double centerZ = 0.0;
  double transitionRange = 0.0;

 protected:
  const char* idFormat() const override { return "l%d"; }
  int16_t& idCounter(FltHeader& header) const override { return header.nextLodId; }
};
