#pragma once
// The corners of one face: byte offsets of their vertex records in the vertex palette.

#include <cstdint>
#include <vector>

#include "flt/record_base.h"

class FltVertexList : public FltRecordBase {
 public:
  static constexpr uint16_t kOpcode = 72;

  uint16_t opcode() const override { return kOpcode; }
  void serialise(FltRecord& record, int version) const override;
  void parse(FltRecord& record, int version) override;

  void append(int32_t offset) { offsets_.push_back(offset); }
  void clear() { offsets_.clear(); }
  int byteCount() const { return static_cast<int>(offsets_.size() * 4); }
  const std::vector<int32_t>& offsets() const { return offsets_; }

 private:
  std::vector<int32_t> offsets_;
};
