#pragma once
// Big-endian values read from the bytes of a written record or file.

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <vector>

inline uint32_t be16(const std::vector<uint8_t>& b, size_t at) {
  return uint32_t{b[at]} << 8 | b[at + 1];
}

inline uint32_t be32(const std::vector<uint8_t>& b, size_t at) {
  return uint32_t{b[at]} << 24 | uint32_t{b[at + 1]} << 16 | uint32_t{b[at + 2]} << 8 | b[at + 3];
}

inline float beFloat(const std::vector<uint8_t>& b, size_t at) {
  uint32_t bits = be32(b, at);
  float f;
  std::memcpy(&f, &bits, 4);
  return f;
}
