#pragma once
// Helpers of the record and file tests: records as byte vectors, big-endian values,
// records built from a few fields, and dumps of written files.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <initializer_list>
#include <sstream>
#include <string>
#include <type_traits>
#include <utility>
#include <vector>

#include "flt/file_dump.h"
#include "flt/file_reader.h"
#include "flt/record.h"
#include "flt/record_base.h"
#include "tests/textures/texture_test_support.h"

using Bytes = std::vector<uint8_t>;

inline Bytes serialised(const FltRecordBase& record, int version) {
  FltRecord r;
  record.serialise(r, version);
  return bytesOf(r);
}

// The big-endian bytes of an integer or floating-point value.
template <class T>
Bytes be(T v) {
  uint64_t bits = 0;
  if constexpr (std::is_floating_point_v<T>) {
    std::conditional_t<sizeof(T) == 8, uint64_t, uint32_t> u;
    std::memcpy(&u, &v, sizeof v);
    bits = u;
  } else {
    bits = static_cast<uint64_t>(v);
  }
  Bytes out(sizeof v);
  for (size_t i = 0; i < sizeof v; ++i)
    out[i] = static_cast<uint8_t>(bits >> 8 * (sizeof v - 1 - i));
  return out;
}

inline void put(Bytes& b, size_t at, const Bytes& field) {
  std::copy(field.begin(), field.end(), b.begin() + static_cast<std::ptrdiff_t>(at));
}

// A record of `length` bytes, zero but for its head and the given fields.
inline Bytes sparse(uint16_t opcode, int length,
                    std::initializer_list<std::pair<size_t, Bytes>> fields = {}) {
  Bytes b(static_cast<size_t>(length));
  put(b, 0,
      {static_cast<uint8_t>(opcode >> 8), static_cast<uint8_t>(opcode),
       static_cast<uint8_t>(length >> 8), static_cast<uint8_t>(length)});
  for (const auto& [at, field] : fields) put(b, at, field);
  return b;
}

// A record whose byte i is i (never zero, so every field differs from its default)
// except the half-open ranges in `zeros`, which are reserved or padding.
inline Bytes patterned(uint16_t opcode, int length,
                       std::initializer_list<std::pair<int, int>> zeros = {}) {
  Bytes b = sparse(opcode, length);
  for (int i = 4; i < length; ++i) b[i] = static_cast<uint8_t>(i);
  for (auto [from, to] : zeros) std::fill(b.begin() + from, b.begin() + std::min(to, length), 0);
  return b;
}

inline void parseBytes(FltRecordBase& record, const Bytes& bytes, int version) {
  FltRecord r;
  r.assign(bytes.data(), static_cast<int>(bytes.size()));
  record.parse(r, version);
}

// Parses the bytes into the record object and serialises it again.
inline Bytes reserialised(FltRecordBase& record, const Bytes& bytes, int version) {
  parseBytes(record, bytes, version);
  return serialised(record, version);
}

// The record tree of a file as fltdump prints it; empty when it cannot be read.
inline std::string dumpOf(const std::string& path, const FltDumpOptions& options = {}) {
  FltFileReader reader;
  std::ostringstream out;
  if (reader.open(path)) dumpFltRecords(reader, out, options);
  return out.str();
}

// Every expected line appears whole, in this order (other lines may stand between).
inline ::testing::AssertionResult hasLinesInOrder(const std::string& dump,
                                                  const std::vector<std::string>& expected) {
  std::istringstream in(dump);
  std::string line;
  for (const std::string& want : expected) {
    while (std::getline(in, line) && line != want) {
    }
    if (line != want)
      return ::testing::AssertionFailure() << "missing or out of order: [" << want << "]\n" << dump;
  }
  return ::testing::AssertionSuccess();
}
