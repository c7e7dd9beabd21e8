#include "attributes/attr_registry.h"

#include <cstring>
#include <iterator>

#include "attributes/attr_tables.h"

const AttrTableSet kAttrTableSets[] = {
    {"Binary Separating Plane", 55, kBspAttrTable, nullptr},
    {"Clip Region", 98, kClipRegionAttrTable, nullptr},
    {"Degree of Freedom", 14, kDofAttrTable, nullptr},
    {"Face", 5, kFaceAttrTable, kDrawTypeAttrTable},
    {"Group", 2, kGroupAttrTable, nullptr},
    {"OpenFlight Header", 1, kHeaderAttrTable, nullptr},
    {"Light Points", 111, kLightPointAttrTable, nullptr},
    {"Level of Detail", 73, kLodAttrTable, nullptr},
    {"Object", 4, kObjectAttrTable, nullptr},
    {"Switch", 96, kSwitchAttrTable, nullptr},
    {"External Reference", 63, kExternalRefAttrTable, nullptr},
};
const size_t kAttrTableSetCount = std::size(kAttrTableSets);

const AttrTableSet* findAttrTableSet(int opcode) {
  for (const AttrTableSet& set : kAttrTableSets)
    if (set.opcode == opcode) return &set;
  return nullptr;
}

const AttrDescriptor* findAttribute(const AttrTableSet* set, const char* key) {
  if (!set || !key) return nullptr;
  for (const AttrDescriptor* row = set->primary; !row->isEnd(); ++row)
    if (std::strcmp(row->key, key) == 0) return row;
  return nullptr;
}

int enumValueOf(const AttrEnumEntry* enumeration, const char* name, int32_t* value) {
  if (!enumeration || !name) return 0;
  for (const AttrEnumEntry* entry = enumeration; entry->name; ++entry) {
    if (std::strcmp(entry->name, name) == 0) {
      if (value) *value = entry->value;
      return 1;
    }
  }
  return 0;
}

const char* enumNameOf(const AttrEnumEntry* enumeration, int32_t value) {
  if (!enumeration) return nullptr;
  for (const AttrEnumEntry* entry = enumeration; entry->name; ++entry)
    if (entry->value == value) return entry->name;
  return nullptr;
}
