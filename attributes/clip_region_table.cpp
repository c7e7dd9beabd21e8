#include "attributes/attr_tables.h"
#include "flt/clip_region.h"

namespace {
using T = AttrType;
using E = AttrEncoding;
using C = FltClipRegion;
}  // namespace

// clang-format off
constexpr AttrDescriptor kClipRegionAttrTable[] = {
    {"Corner #0 X", "FltClipX0", T::kFloat, "0", attrTarget<&C::corners, 0, 0>(), E::kDouble},
    {"Y", "FltClipY0", T::kFloat, "0", attrTarget<&C::corners, 0, 1>(), E::kDouble},
    {"Z", "FltClipZ0", T::kFloat, "0", attrTarget<&C::corners, 0, 2>(), E::kDouble},
    {"Corner #1 X", "FltClipX1", T::kFloat, "0", attrTarget<&C::corners, 1, 0>(), E::kDouble},
    {"Y", "FltClipY1", T::kFloat, "0", attrTarget<&C::corners, 1, 1>(), E::kDouble},
    {"Z", "FltClipZ1", T::kFloat, "0", attrTarget<&C::corners, 1, 2>(), E::kDouble},
    {"Corner #2 X", "FltClipX2", T::kFloat, "0", attrTarget<&C::corners, 2, 0>(), E::kDouble},
    {"Y", "FltClipY2", T::kFloat, "0", attrTarget<&C::corners, 2, 1>(), E::kDouble},
    {"Z", "FltClipZ2", T::kFloat, "0", attrTarget<&C::corners, 2, 2>(), E::kDouble},
    {"Corner #3 X", "FltClipX3", T::kFloat, "0", attrTarget<&C::corners, 3, 0>(), E::kDouble},
    {"Y", "FltClipY3", T::kFloat, "0", attrTarget<&C::corners, 3, 1>(), E::kDouble},
    {"Z", "FltClipZ3", T::kFloat, "0", attrTarget<&C::corners, 3, 2>(), E::kDouble},
    {"Clip Bottom", "FltClipBottom", T::kBoolean, "0", attrTarget<&C::edgeFlags, C::kBottom>(), E::kInt8},
    {"Clip Right", "FltClipRight", T::kBoolean, "0", attrTarget<&C::edgeFlags, C::kRight>(), E::kInt8},
    {"Clip Top", "FltClipTop", T::kBoolean, "0", attrTarget<&C::edgeFlags, C::kTop>(), E::kInt8},
    {"Clip Left", "FltClipLeft", T::kBoolean, "0", attrTarget<&C::edgeFlags, C::kLeft>(), E::kInt8},
    {"Clip Back", "FltClipBack", T::kBoolean, "0", attrTarget<&C::edgeFlags, C::kBack>(), E::kInt8},
    {"Comments", "FltComment", T::kComment, "", kNoTarget, E::kNothing},
    {},
};
// clang-format on
