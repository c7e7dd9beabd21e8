#pragma once
// The twelve attribute tables, each defined in its own file and closed by an all-zero row.

#include "attributes/attr_descriptor.h"

extern const AttrDescriptor kHeaderAttrTable[];
extern const AttrDescriptor kFaceAttrTable[];
extern const AttrDescriptor kDrawTypeAttrTable[];
extern const AttrDescriptor kLodAttrTable[];
extern const AttrDescriptor kLightPointAttrTable[];
extern const AttrDescriptor kExternalRefAttrTable[];
extern const AttrDescriptor kGroupAttrTable[];
extern const AttrDescriptor kObjectAttrTable[];
extern const AttrDescriptor kDofAttrTable[];
extern const AttrDescriptor kBspAttrTable[];
extern const AttrDescriptor kSwitchAttrTable[];
extern const AttrDescriptor kClipRegionAttrTable[];
