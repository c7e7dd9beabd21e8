#pragma once

#include <cstdint>
#include <vector>

#include "flt/header.h"
#include "flt/id_record.h"

// A switch node: masks of wordsPerMask 32-bit words each, stored back to back.
class FltSwitch : public FltIdRecord {
 public:
  static constexpr uint16_t kOpcode = 96;

  uint16_t opcode() const override { return kOpcode; }
  // Too many words for one record leave it overflowed, so the output file refuses it.
  void serialise(FltRecord& record, int version) const override;
  // Reads at most as many words as the record holds, whatever its mask count claims.
  void parse(FltRecord& record, int version) override;

  // Whole masks in maskWords; 0 when wordsPerMask is not positive.
  int32_t maskCount() const;

  int32_t currentMask = 0;
  int32_t wordsPerMask = 1;
  std::vector<uint32_t> maskWords;

 protected:
  const char* idFormat() const override { return "f%d"; }
  int16_t& idCounter(FltHeader& header) const override { return header.nextSwitchId; }
};
