#pragma once
// Bytes as base64, for the data URIs of test scenes.

#include <algorithm>
#include <string>
#include <vector>

inline std::string base64(const std::vector<unsigned char>& bytes) {
  static const char kDigits[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
  std::string out;
  for (size_t i = 0; i < bytes.size(); i += 3) {
    const size_t left = std::min<size_t>(3, bytes.size() - i);
    unsigned n = 0;
    for (size_t k = 0; k < 3; ++k) n = n << 8 | (k < left ? bytes[i + k] : 0);
    for (size_t k = 0; k < 4; ++k) out += k <= left ? kDigits[n >> (18 - 6 * k) & 63] : '=';
  }
  return out;
}
