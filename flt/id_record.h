#pragma once
// Base of the record kinds that carry an 8-character ID: an ID still empty at
// write time becomes a prefix and the next number of one of the header's counters.

#include <cstdint>

#include "flt/record_base.h"

class FltHeader;

class FltIdRecord : public FltRecordBase {
 public:
  static constexpr int kIdLength = 8;

  FltIdRecord() : id{} {}
  const char* name() const override { return id; }
  [[nodiscard]] int write(FltOutputFile& file) override;

  // Copies at most 8 characters; longer names are cut.
  void setId(const char* text);

  char id[kIdLength + 1];

 private:
  void formatId(const char* format, int number);

 protected:
  // The default-ID format ("g%d") and the header counter it draws from.
  virtual const char* idFormat() const = 0;
  virtual int16_t& idCounter(FltHeader& header) const = 0;
};
