#include "flt/id_record.h"

#include <cstdio>
#include <cstring>

#include "flt/header.h"
#include "flt/output_file.h"

int FltIdRecord::write(FltOutputFile& file) {
  if (id[0] == '\0') {
    int16_t& counter = idCounter(file.header());
    std::snprintf(id, sizeof id, idFormat(), static_cast<int>(counter));
    counter = static_cast<int16_t>(counter + 1);
  }
  return FltRecordBase::write(file);
}

void FltIdRecord::setId(const char* text) {
  std::memset(id, 0, sizeof id);
  if (text) std::strncpy(id, text, kIdLength);
}
