#pragma once

#include <cstdint>

#include "flt/header.h"
#include "flt/id_record.h"

class FltObject : public FltIdRecord {
 public:
  static constexpr uint16_t kOpcode = 4;

  uint16_t opcode() const override { return kOpcode; }
  void serialise(FltRecord& record, int version) const override;
  void parse(FltRecord& record, int version) override;

  uint32_t flags = 0;
  int16_t relativePriority = 0;
  int16_t specialEffectId1 = 0;
  int16_t specialEffectId2 = 0;
  int16_t transparency = 0;
  int16_t significance = 0;

 protected:
  const char* idFormat() const override { return "o%d"; }
  int16_t& idCounter(FltHeader& header) const override { return header.nextObjectId; }
};
