#pragma once

#include <cstdint>

#include "flt/header.h"
#include "flt/id_record.h"

class FltGroup : public FltIdRecord {
 public:
  static constexpr uint16_t kOpcode = 2;

  uint16_t opcode() const override { return kOpcode; }
  void serialise(FltRecord& record, int version) const override;
  void parse(FltRecord& record, int version) override;

  int16_t relativePriority = 0;
  uint32_t flags = 0;
  int16_t specialEffectId1 = 0;
  int16_t specialEffectId2 = 0;
  int16_t significance = 0;
  uint8_t layerCode = 0;

 protected:
  const char* idFormat() const override { return "g%d"; }
  int16_t& idCounter(FltHeader& header) const override { return header.nextGroupId; }
};
