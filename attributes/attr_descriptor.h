#pragma once
// One attribute of one record kind: which property key fills which record member,
// how the property text is read and how the value is stored.

#include <cstdint>

#include "attributes/attr_enum_entry.h"
#include "attributes/attr_target.h"

// How the property text is read.
enum class AttrType : int32_t {
  kText = 0,
  kInteger = 1,
  kFloat = 2,
  kBoolean = 3,  // becomes kEnumeration over Yes/No when the descriptor is built
  kEnumeration = 4,
  kComment = 11,
  kMaskData = 13,
};

// How the value is stored into the target.
enum class AttrEncoding : int32_t {
  kText = 0,  // the text, into a character array
  kInt32 = 1,
  kFloat = 2,    // straight from the float accessor
  kFlags32 = 5,  // stored exactly as kInt32
  kInt16 = 6,    // low 16 bits
  kInt8 = 8,     // low 8 bits
  kDouble = 10,  // widened from the 32-bit float accessor
  kNothing = 12,
};

struct AttrDescriptor {
  // The closing row of a table: every field zero, no display name.
  constexpr AttrDescriptor() = default;

  constexpr AttrDescriptor(const char* displayName, const char* key, AttrType type,
                           const char* defaultText, AttrTarget target, AttrEncoding encoding,
                           uint32_t mask = 0, const AttrEnumEntry* enumeration = nullptr)
      : displayName(displayName),
        key(key),
        type(type),
        defaultText(defaultText),
        target(target),
        encoding(encoding),
        mask(mask),
        enumeration(enumeration) {
    if (type == AttrType::kEnumeration && !defaultText && enumeration)
      this->defaultText = enumeration[0].name;
    if (type == AttrType::kBoolean) {
      this->type = AttrType::kEnumeration;
      this->enumeration = kYesNoEnum;
      maskedBoolean = mask != 0;
      if (!defaultText || textEquals(defaultText, "0"))
        this->defaultText = "No";
      else if (textEquals(defaultText, "1"))
        this->defaultText = "Yes";
    }
  }

  bool isEnd() const { return displayName == nullptr; }

  const char* displayName = nullptr;
  const char* key = nullptr;
  AttrType type = AttrType::kText;
  const char* defaultText = nullptr;  // documentation only: never stored
  AttrTarget target;
  AttrEncoding encoding = AttrEncoding::kText;
  uint32_t mask = 0;
  const AttrEnumEntry* enumeration = nullptr;
  // A boolean owning mask bits: stored as all of them set or all clear.
  bool maskedBoolean = false;

 private:
  static constexpr bool textEquals(const char* a, const char* b) {
    while (*a && *a == *b) ++a, ++b;
    return *a == *b;
  }
};
