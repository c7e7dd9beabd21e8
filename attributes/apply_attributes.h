#pragma once
// Filling record objects from a node's user properties through the attribute tables.
// Every result is 1 when something was found (and stored) and 0 otherwise.

#include <cstdint>
#include <string>

#include "attributes/attr_descriptor.h"
#include "attributes/attr_table_set.h"

class SceneNode;
class FltRecordBase;

// The secondary table, then the primary one; the set defaults to the record's opcode's.
[[nodiscard]] int applyAttributes(const SceneNode* node, FltRecordBase* record,
                                  const AttrTableSet* set = nullptr);
[[nodiscard]] int applyAttribute(const SceneNode& node, FltRecordBase& record,
                                 const AttrDescriptor& descriptor);
// For integer and enumeration (boolean included) descriptors.
[[nodiscard]] int readAttrInteger(const SceneNode& node, const AttrDescriptor& descriptor,
                                  int32_t* value);
// The property text with underscores as spaces must equal an entry's name exactly.
[[nodiscard]] int lookupEnumValue(const SceneNode& node, const char* key,
                                  const AttrEnumEntry* enumeration, int32_t* value);
// By encoding (32, 16 or 8 bits, cut to the member's width) and mask; a target whose
// kind or width does not fit the encoding, or that belongs to another record kind,
// receives nothing.
void storeAttrInteger(FltRecordBase& record, const AttrDescriptor& descriptor, int32_t value);
std::string underscoresToSpaces(const std::string& text);
