#pragma once

#include <cstdint>

#include "attributes/attr_descriptor.h"

// The attribute tables of one record kind. Each table is an array of descriptors closed
// by an all-zero row; only the face has a secondary table, applied before the primary.
struct AttrTableSet {
  const char* name;
  uint16_t opcode;
  const AttrDescriptor* primary;
  const AttrDescriptor* secondary;
};
