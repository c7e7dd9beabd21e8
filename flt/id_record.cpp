#include "flt/id_record.h"

#include <algorithm>
#include <charconv>
#include <cstdio>
#include <cstring>

#include "flt/header.h"
#include "flt/output_file.h"

// As snprintf(id, sizeof id, format, number), without printf's cost on every
// face, for the formats the kinds use: a prefix and "%d".
void FltIdRecord::formatId(const char* format, int number) {
  const size_t length = std::strlen(format);
  const char* percent = std::strchr(format, '%');
  if (length < 2 || length > 8 || percent != format + length - 2 || format[length - 1] != 'd') {
    std::snprintf(id, sizeof id, format, number);
    return;
  }
  char text[24];
  std::memcpy(text, format, length - 2);
  char* end = std::to_chars(text + length - 2, text + sizeof text, number).ptr;
  const size_t n = std::min(static_cast<size_t>(end - text), static_cast<size_t>(kIdLength));
  std::memcpy(id, text, n);
  id[n] = '\0';
}

int FltIdRecord::write(FltOutputFile& file) {
  if (id[0] == '\0') {
    int16_t& counter = idCounter(file.header());
    formatId(idFormat(), counter);
    counter = static_cast<int16_t>(counter + 1);
  }
  return FltRecordBase::write(file);
}

void FltIdRecord::setId(const char* text) {
  std::memset(id, 0, sizeof id);
  if (text) std::strncpy(id, text, kIdLength);
}
