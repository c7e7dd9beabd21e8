#include "attributes/apply_attributes.h"

#include <algorithm>
#include <cstring>

#include "attributes/attr_registry.h"
#include "flt/record_base.h"
#include "plugin/scene_node.h"

namespace {

// The member's address when the target has the expected kind and width, else null.
void* targetAddress(FltRecordBase& record, const AttrTarget& target, AttrTargetKind kind,
                    size_t width) {
  if (target.isNone() || target.kind != kind || (width && target.width != width)) return nullptr;
  return target.address(record);
}

// Members are read and written through unsigned images of their own width, so signed
// and unsigned members take the same bits.
template <class U>
uint32_t loadAs(const void* field) {
  U v;
  std::memcpy(&v, field, sizeof v);
  return v;
}
template <class U>
void storeAs(void* field, uint32_t bits) {
  U v = static_cast<U>(bits);
  std::memcpy(field, &v, sizeof v);
}
uint32_t loadBits(const void* field, size_t width) {
  return width == 4   ? loadAs<uint32_t>(field)
         : width == 2 ? loadAs<uint16_t>(field)
                      : loadAs<uint8_t>(field);
}
void storeBits(void* field, size_t width, uint32_t bits) {
  if (width == 4)
    storeAs<uint32_t>(field, bits);
  else if (width == 2)
    storeAs<uint16_t>(field, bits);
  else
    storeAs<uint8_t>(field, bits);
}

int applyTable(const SceneNode& node, FltRecordBase& record, const AttrDescriptor* table) {
  int found = 0;
  if (!table) return found;
  for (const AttrDescriptor* row = table; !row->isEnd(); ++row)
    found |= applyAttribute(node, record, *row);
  return found;
}

}  // namespace

int applyAttributes(const SceneNode* node, FltRecordBase* record, const AttrTableSet* set) {
  if (!node || !record) return 0;
  if (!set) set = findAttrTableSet(record->opcode());
  if (!set) return 0;
  int found = applyTable(*node, *record, set->secondary);
  found |= applyTable(*node, *record, set->primary);
  return found ? 1 : 0;
}

int applyAttribute(const SceneNode& node, FltRecordBase& record, const AttrDescriptor& d) {
  switch (d.encoding) {
    case AttrEncoding::kText: {
      std::string text;
      if (!node.userPropertyString(d.key, text)) return 0;
      auto* field = static_cast<char*>(targetAddress(record, d.target, AttrTargetKind::kText, 0));
      if (!field || d.target.width == 0) return 0;
      // Longer texts are cut so that the terminator always fits.
      size_t n = std::min(std::strlen(text.c_str()), d.target.width - 1);
      std::memcpy(field, text.data(), n);
      std::memset(field + n, 0, d.target.width - n);
      return 1;
    }
    case AttrEncoding::kInt32:
    case AttrEncoding::kFlags32:
    case AttrEncoding::kInt16:
    case AttrEncoding::kInt8: {
      int32_t value = 0;
      if (!readAttrInteger(node, d, &value)) return 0;
      storeAttrInteger(record, d, value);
      return 1;
    }
    case AttrEncoding::kFloat: {
      float value = 0.0f;
      if (!node.userPropertyFloat(d.key, value)) return 0;
      auto* field = static_cast<float*>(
          targetAddress(record, d.target, AttrTargetKind::kFloat, sizeof(float)));
      if (!field) return 0;
      *field = value;
      return 1;
    }
    case AttrEncoding::kDouble: {
      float value = 0.0f;
      if (!node.userPropertyFloat(d.key, value)) return 0;
      auto* field = static_cast<double*>(
          targetAddress(record, d.target, AttrTargetKind::kDouble, sizeof(double)));
      if (!field) return 0;
      *field = static_cast<double>(value);
      return 1;
    }
    default:
      return 0;
  }
}

int readAttrInteger(const SceneNode& node, const AttrDescriptor& d, int32_t* value) {
  switch (d.type) {
    case AttrType::kInteger: {
      int v = 0;
      if (!node.userPropertyInt(d.key, v)) return 0;
      if (value) *value = static_cast<int32_t>(v);
      return 1;
    }
    case AttrType::kEnumeration:
      return lookupEnumValue(node, d.key, d.enumeration, value);
    default:
      return 0;
  }
}

int lookupEnumValue(const SceneNode& node, const char* key, const AttrEnumEntry* enumeration,
                    int32_t* value) {
  std::string text;
  if (!key || !enumeration || !node.userPropertyString(key, text)) return 0;
  return enumValueOf(enumeration, underscoresToSpaces(text).c_str(), value);
}

void storeAttrInteger(FltRecordBase& record, const AttrDescriptor& d, int32_t value) {
  uint32_t bits = static_cast<uint32_t>(value);
  if (d.maskedBoolean) bits = bits ? d.mask : 0;

  size_t width = 0;
  switch (d.encoding) {
    case AttrEncoding::kInt32:
    case AttrEncoding::kFlags32:
      width = 4;
      break;
    case AttrEncoding::kInt16:
      width = 2;
      break;
    case AttrEncoding::kInt8:
      width = 1;
      break;
    default:
      return;
  }
  void* field = targetAddress(record, d.target, AttrTargetKind::kInteger, width);
  if (!field) return;

  uint32_t current = loadBits(field, width);
  storeBits(field, width, d.mask ? (current & ~d.mask) | (bits & d.mask) : bits);
}

std::string underscoresToSpaces(const std::string& text) {
  std::string result = text;
  std::replace(result.begin(), result.end(), '_', ' ');
  return result;
}
