#pragma once
// Byte-level helpers for the record tests: records as byte vectors, big-endian
// reads, and patterned records whose every field holds a non-default value.

#include <cstdint>
#include <fstream>
#include <initializer_list>
#include <iterator>
#include <string>
#include <utility>
#include <vector>

#include "flt/record.h"
#include "flt/record_base.h"

using Bytes = std::vector<uint8_t>;

inline Bytes bytesOf(const FltRecord& r) {
  return {r.data(), r.data() + r.length()};
}

inline Bytes serialised(const FltRecordBase& record, int version) {
  FltRecord r;
  record.serialise(r, version);
  return bytesOf(r);
}

inline uint32_t be16(const Bytes& b, size_t at) {
  return uint32_t{b[at]} << 8 | b[at + 1];
}

inline uint32_t be32(const Bytes& b, size_t at) {
  return be16(b, at) << 16 | be16(b, at + 2);
}

inline Bytes readFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// A record whose byte i is i (never zero, so every field differs from its default)
// except the half-open ranges in `zeros`, which are reserved or padding.
inline Bytes patterned(uint16_t opcode, int length,
                       std::initializer_list<std::pair<int, int>> zeros = {}) {
  Bytes b(static_cast<size_t>(length));
  for (int i = 4; i < length; ++i) b[i] = static_cast<uint8_t>(i);
  for (auto [from, to] : zeros)
    for (int i = from; i < to && i < length; ++i) b[i] = 0;
  b[0] = static_cast<uint8_t>(opcode >> 8);
  b[1] = static_cast<uint8_t>(opcode);
  b[2] = static_cast<uint8_t>(length >> 8);
  b[3] = static_cast<uint8_t>(length);
  return b;
}

// Parses the bytes into the record object and serialises it again.
inline Bytes reserialised(FltRecordBase& record, const Bytes& bytes, int version) {
  FltRecord r;
  r.assign(bytes.data(), static_cast<int>(bytes.size()));
  record.parse(r, version);
  return serialised(record, version);
}
