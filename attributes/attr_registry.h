#pragma once
// The registry of attribute table sets, looked up by record opcode.

#include <cstddef>
#include <cstdint>

#include "attributes/attr_enum_entry.h"
#include "attributes/attr_table_set.h"

// The eleven sets, in registry order.
extern const AttrTableSet kAttrTableSets[];
extern const size_t kAttrTableSetCount;

// The first set of that opcode, or null.
const AttrTableSet* findAttrTableSet(int opcode);
// The primary-table row whose key equals `key` exactly, or null.
const AttrDescriptor* findAttribute(const AttrTableSet* set, const char* key);
// Exact names, no underscore conversion; the first matching entry wins. 1 when found.
[[nodiscard]] int enumValueOf(const AttrEnumEntry* enumeration, const char* name, int32_t* value);
// The name of the first entry with that value, or null.
const char* enumNameOf(const AttrEnumEntry* enumeration, int32_t value);
