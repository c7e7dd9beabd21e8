#include "attributes/attr_tables.h"
#include "flt/switch.h"

namespace {
using T = AttrType;
using E = AttrEncoding;
}  // namespace

// Mask count and data store nothing here: readSwitchMasks reads them after the table.
// clang-format off
constexpr AttrDescriptor kSwitchAttrTable[] = {
    {"Current Index", "FltSwitchCurr", T::kInteger, "0", attrTarget<&FltSwitch::currentMask>(), E::kInt32},
    {"Mask Width", "FltSwitchMaskWidth", T::kInteger, "0", attrTarget<&FltSwitch::wordsPerMask>(), E::kInt32},
    {"Mask Count", "FltSwitchMaskCount", T::kInteger, "0", kNoTarget, E::kNothing},
    {"Mask Data", "FltSwitchMaskData", T::kMaskData, "", kNoTarget, E::kNothing},
    {"Comments", "FltComment", T::kComment, "", kNoTarget, E::kNothing},
    {},
};
// clang-format on
