#pragma once

#include <cstdint>

// One name of an enumeration attribute. An enumeration is an array of entries closed by
// an entry whose name is null; values of masked attributes stand already in position.
struct AttrEnumEntry {
  int32_t value;
  const char* name;
};

// Every boolean attribute reads its text through this table: only "Yes" and "No" count.
inline constexpr AttrEnumEntry kYesNoEnum[] = {{0, "No"}, {1, "Yes"}, {0, nullptr}};
