#pragma once
// Base of every record kind: the write side (serialise) and the read side (parse)
// list the same fields in the same order.

#include <cstdint>

class FltRecord;
class FltOutputFile;

// Anything that holds one record together with the format revision it was written in.
class FltRecordHolder {
 public:
  virtual ~FltRecordHolder() = default;
  virtual FltRecord& heldRecord() = 0;
  virtual int heldVersion() const = 0;
};

class FltRecordBase {
 public:
  virtual ~FltRecordBase() = default;
  virtual uint16_t opcode() const = 0;
  // The record's ID text for kinds that carry one, null for the others.
  virtual const char* name() const { return nullptr; }
  // Serialises into the file's scratch record and writes it; 0 on failure.
  [[nodiscard]] virtual int write(FltOutputFile& file);
  virtual void serialise(FltRecord& record, int version) const = 0;
  virtual void read(FltOutputFile& file);
  virtual void parse(FltRecord& record, int version) = 0;
  virtual void readFrom(FltRecordHolder& holder);
};
