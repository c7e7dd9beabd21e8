#include "flt/text_record.h"

#include <algorithm>
#include <cstring>

#include "flt/record.h"

void FltTextRecord::serialise(FltRecord& r, int /*version*/) const {
  // A text with an embedded zero ends there, as it would for a C string.
  serialiseText(r, opcode(), text_.c_str());
}

void FltTextRecord::serialiseText(FltRecord& r, uint16_t opcode, const char* text) {
  r.begin(opcode);
  const size_t n = strnlen(text, kMaxText);
  r.writeBytes(text, static_cast<int>(n));
  r.write8(0);
  r.finish();
}

void FltTextRecord::parse(FltRecord& r, int /*version*/) {
  r.seekBody();
  int n = std::max(0, r.length() - 4);
  std::string bytes(static_cast<size_t>(n), '\0');
  r.readBytes(bytes.data(), n);
  text_.assign(bytes.c_str());  // the padding zeros end the text
}
