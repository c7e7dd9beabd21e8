#include "host/vertex_welder.h"

#include <cmath>
#include <cstring>

namespace {

uint32_t rotl(uint32_t x, int r) {
  return (x << r) | (x >> (32 - r));
}

}  // namespace

uint32_t weldBits(float f) {
  if (f == 0.0f) return 0;
  if (std::isnan(f)) return 0x7FC00000u;
  uint32_t bits;
  std::memcpy(&bits, &f, sizeof bits);
  return bits;
}

uint32_t hashWords(const uint32_t* words, size_t count) {
  uint32_t h = 0x2F0F3A5Bu;
  for (size_t i = 0; i < count; ++i) {
    uint32_t k = words[i] * 0xCC9E2D51u;
    k = rotl(k, 15) * 0x1B873593u;
    h = rotl(h ^ k, 13) * 5 + 0xE6546B64u;
  }
  h ^= h >> 16;
  h *= 0x85EBCA6Bu;
  h ^= h >> 13;
  h *= 0xC2B2AE35u;
  return h ^ (h >> 16);
}
