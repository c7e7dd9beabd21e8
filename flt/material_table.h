#pragma once
// The material palette of files below revision 1500: one record of 64 fixed slots.
// A material's index is its slot; the index member itself is not stored.

#include <cstdint>
#include <vector>

#include "flt/material.h"
#include "flt/record_base.h"

class FltMaterialTable : public FltRecordBase {
 public:
  static constexpr uint16_t kOpcode = 66;
  static constexpr int kSlots = 64;
  static constexpr int kEntryLength = 184;

  uint16_t opcode() const override { return kOpcode; }
  void serialise(FltRecord& record, int version) const override;
  void parse(FltRecord& record, int version) override;

  // The slots that differ from an unused one, ascending; the index member aside.
  std::vector<int> usedSlots() const;

  FltMaterial slots[kSlots];
};
