#pragma once
// Push and pop records: a head only, padded to 8 bytes.

#include <cstdint>

#include "flt/record.h"
#include "flt/record_base.h"

template <uint16_t Opcode>
class FltLevelRecord : public FltRecordBase {
 public:
  static constexpr uint16_t kOpcode = Opcode;
  uint16_t opcode() const override { return kOpcode; }
  void serialise(FltRecord& record, int /*version*/) const override {
    record.begin(kOpcode);
    record.finish();
  }
  void parse(FltRecord& record, int /*version*/) override { record.seekBody(); }
};

using FltPushLevel = FltLevelRecord<10>;
using FltPopLevel = FltLevelRecord<11>;
using FltPushSubface = FltLevelRecord<19>;
using FltPopSubface = FltLevelRecord<20>;
using FltPushExtension = FltLevelRecord<21>;
using FltPopExtension = FltLevelRecord<22>;
using FltPushAttribute = FltLevelRecord<122>;
using FltPopAttribute = FltLevelRecord<123>;
