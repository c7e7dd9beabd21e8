#pragma once

#include <cstdint>

#include "plugin/option_lists.h"

// One name of an enumeration attribute. An enumeration is an array of entries closed by
// an entry whose name is null; values of masked attributes stand already in position.
// The same shape as the dialog's list entries, so the header's lists are those.
using AttrEnumEntry = OptionListEntry;

// Every boolean attribute reads its text through this table: only "Yes" and "No" count.
inline constexpr AttrEnumEntry kYesNoEnum[] = {{0, "No"}, {1, "Yes"}, {0, nullptr}};
