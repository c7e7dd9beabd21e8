#pragma once

#include <cstdint>

#include "flt/header.h"
#include "flt/id_record.h"

class FltClipRegion : public FltIdRecord {
 public:
  static constexpr uint16_t kOpcode = 98;
  enum Edge { kBottom, kRight, kTop, kLeft, kBack, kEdgeCount };

  uint16_t opcode() const override { return kOpcode; }
  void serialise(FltRecord& record, int version) const override;
  void parse(FltRecord& record, int version) override;

  uint8_t edgeFlags[kEdgeCount] = {};
  double corners[4][3] = {};  // x, y, z of each corner
  double planes[5][4] = {};   // a, b, c, d of each plane

 protected:
  const char* idFormat() const override { return "c%d"; }
  int16_t& idCounter(FltHeader& header) const override { return header.nextClipId; }
};
