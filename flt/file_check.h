#pragma once
// Validates an OpenFlight file: record lengths, the header in front, balanced push
// and pop records of every kind, and vertex list offsets that land on vertex
// records of the vertex palette.
//
// Each kind's own checks are one function in the table of file_check.cpp; a new
// kind adds a function and a table row.

#include <cstdint>
#include <string>
#include <vector>

class FltFileReader;

struct FltFault {
  int64_t offset;  // of the record at fault, or the end of the file
  std::string what;
  // The format allows it, but a reader will draw it wrong (NaN coordinates).
  bool warning = false;
};

// Whether any of `faults` is more than a warning.
bool hasFaults(const std::vector<FltFault>& faults);

struct FltCheckResult {
  // False when the file could not be opened or read; error says why.
  bool readable = false;
  std::string error;
  std::vector<FltFault> faults;
  bool sound() const { return readable && !hasFaults(faults); }
};

// At most this many faults are listed; a last one counts the rest.
constexpr size_t kMaxListedFaults = 1000;

FltCheckResult checkFltFile(const std::string& path);
// Whether the first record head names a header: false for an empty file or bytes of
// another kind, true for an OpenFlight file however damaged behind its first opcode.
// Errors opening the file give true; the reader says why.
bool startsWithHeader(const std::string& path);
// Checks the records of an open reader that has not been read from yet.
std::vector<FltFault> checkFltRecords(FltFileReader& reader);
// "FILE: offset N: what", with "warning: " before a warning's what
std::string formatFault(const std::string& path, const FltFault& fault);
