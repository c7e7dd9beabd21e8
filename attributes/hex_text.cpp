#include "attributes/hex_text.h"

#include <cctype>

namespace {

int hexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

}  // namespace

bool readHexField(std::string_view text, size_t& pos, size_t maxDigits, uint32_t* value) {
  while (pos < text.size() && std::isspace(static_cast<unsigned char>(text[pos]))) ++pos;
  uint32_t v = 0;
  size_t digits = 0;
  while (digits < maxDigits && pos < text.size() && hexDigit(text[pos]) >= 0) {
    v = v * 16 + static_cast<uint32_t>(hexDigit(text[pos]));
    ++pos;
    ++digits;
  }
  if (value) *value = v;
  return digits > 0;
}
