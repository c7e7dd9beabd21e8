#pragma once
// Records that carry free text for the record in front of them: comments and long IDs.

#include <cstdint>
#include <string>

#include "flt/record_base.h"

class FltTextRecord : public FltRecordBase {
 public:
  // Longest text whose record (head, text, terminator, padding) stays within the limit.
  static constexpr size_t kMaxText = 32767 - 12;

  FltTextRecord() = default;
  explicit FltTextRecord(const char* text) { setText(text); }

  void setText(const char* text) { text_ = text ? text : ""; }
  const std::string& text() const { return text_; }

  // Texts past kMaxText are cut to fit.
  void serialise(FltRecord& record, int version) const override;
  // The same record for a text held elsewhere.
  static void serialiseText(FltRecord& record, uint16_t opcode, const char* text);
  void parse(FltRecord& record, int version) override;

 private:
  std::string text_;
};

class FltComment : public FltTextRecord {
 public:
  static constexpr uint16_t kOpcode = 31;
  using FltTextRecord::FltTextRecord;
  uint16_t opcode() const override { return kOpcode; }
};

class FltLongId : public FltTextRecord {
 public:
  static constexpr uint16_t kOpcode = 33;
  using FltTextRecord::FltTextRecord;
  uint16_t opcode() const override { return kOpcode; }
};
