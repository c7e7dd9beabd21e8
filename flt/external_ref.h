#pragma once

#include <cstdint>

#include "flt/record_base.h"

// A reference to another OpenFlight file; it carries no ID.
class FltExternalRef : public FltRecordBase {
 public:
  static constexpr uint16_t kOpcode = 63;
  static constexpr int kPathLength = 200;

  FltExternalRef() : path{} {}
  uint16_t opcode() const override { return kOpcode; }
  void serialise(FltRecord& record, int version) const override;
  void parse(FltRecord& record, int version) override;

  // Copies at most 200 characters; a full field is written without a terminator.
  void setPath(const char* text);

  char path[kPathLength + 1];
  uint32_t flags = 0;
};
