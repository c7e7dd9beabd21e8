#pragma once
// Every property key the export knows, read from the attribute tables at run time
// and from the readers of the keys outside them.

#include <cstddef>
#include <string_view>
#include <vector>

#include "attributes/attr_table_set.h"
#include "attributes/outside_key.h"

struct VocabularyKey {
  const char* key;
  // A table row and its set, or the outside key: exactly one of the two.
  const AttrTableSet* set = nullptr;
  const AttrDescriptor* row = nullptr;
  const OutsideKey* outside = nullptr;
};

// In registry order, each set's secondary table before its primary one (as they
// are applied), then the outside keys. A key of several tables is listed in each.
const std::vector<VocabularyKey>& propertyVocabulary();
const std::vector<const OutsideKey*>& outsideKeys();

// Exact, as the readers compare.
bool isVocabularyKey(std::string_view key);
// The known key nearest to `key` ignoring case, within an edit distance of 2;
// the first in vocabulary order among equally near ones. Null when none is.
const char* nearestKey(std::string_view key);
// Insertions, deletions and substitutions, letters compared without case.
size_t editDistanceNoCase(std::string_view a, std::string_view b);
bool equalsNoCase(std::string_view a, std::string_view b);
