#pragma once
// Reads an OpenFlight file record by record and holds the current record for the
// record classes' parse side (readFrom). It never reads past a record or the end
// of the file: a head that is cut short, a length below 4 or a length that runs
// past the end is a fault, which ends reading.

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "flt/record.h"
#include "flt/record_base.h"
#include "flt/revision.h"

class FltFileReader : public FltRecordHolder {
 public:
  // The revision assumed until a header has given one.
  static constexpr int kDefaultVersion = kDefaultRevision;

  FltFileReader() = default;
  ~FltFileReader() override { close(); }
  FltFileReader(const FltFileReader&) = delete;
  FltFileReader& operator=(const FltFileReader&) = delete;

  // False when the file cannot be read; error() then names the file and the reason.
  [[nodiscard]] bool open(const std::string& path);
  void close();
  bool isOpen() const { return file_ != nullptr; }

  // Loads the next record; false at the end of the file or on a fault.
  [[nodiscard]] bool next();

  // The current record, cut to FltRecord::kMaxLength when its head says more.
  const FltRecord& record() const { return record_; }
  // The whole current record as read, head included.
  const std::vector<uint8_t>& bytes() const { return bytes_; }
  uint16_t opcode() const { return opcode_; }
  // The length its head gives, which may exceed what record() holds.
  int length() const { return length_; }
  // Byte offset of the current record from the start of the file.
  int64_t offset() const { return offset_; }
  // Offset just past the last byte read: the file size once reading has ended cleanly.
  int64_t position() const { return position_; }
  // 0 for the first record of the file.
  int64_t index() const { return index_; }

  // The header's format revision once the first record (a header) has been read.
  int version() const { return version_; }

  bool faulted() const { return faulted_; }
  int64_t faultOffset() const { return faultOffset_; }
  const std::string& fault() const { return fault_; }
  // Why open failed, or why reading failed for a reason other than a bad record.
  const std::string& error() const { return error_; }
  const std::string& path() const { return path_; }

  FltRecord& heldRecord() override { return record_; }
  int heldVersion() const override { return version_; }

 private:
  void setFault(int64_t offset, const std::string& what);
  [[nodiscard]] size_t readFully(uint8_t* dst, size_t n);

  std::FILE* file_ = nullptr;
  std::string path_;
  FltRecord record_;
  std::vector<uint8_t> bytes_;
  uint16_t opcode_ = 0;
  int length_ = 0;
  int64_t offset_ = 0;
  int64_t position_ = 0;
  int64_t index_ = -1;
  int version_ = kDefaultVersion;
  bool faulted_ = false;
  bool ended_ = false;
  int64_t faultOffset_ = 0;
  std::string fault_;
  std::string error_;
};
