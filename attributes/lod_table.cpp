#include "attributes/attr_tables.h"
#include "flt/lod.h"

namespace {
using T = AttrType;
using E = AttrEncoding;
}  // namespace

// The display names are crossed over against the keys: "Max Distance" reads FltLodMin.
// clang-format off
constexpr AttrDescriptor kLodAttrTable[] = {
    {"Max Distance", "FltLodMin", T::kFloat, "100000", attrTarget<&FltLod::switchInDistance>(), E::kDouble},
    {"Min Distance", "FltLodMax", T::kFloat, "0", attrTarget<&FltLod::switchOutDistance>(), E::kDouble},
    {"Transistion", "FltLodTrans", T::kFloat, "0", attrTarget<&FltLod::transitionRange>(), E::kDouble},
    {"Center X", "FltLodCx", T::kFloat, "", attrTarget<&FltLod::centerX>(), E::kDouble},
    {"Center Y", "FltLodCy", T::kFloat, "", attrTarget<&FltLod::centerY>(), E::kDouble},
    {"Center Z", "FltLodCz", T::kFloat, "", attrTarget<&FltLod::centerZ>(), E::kDouble},
    {"Freeze Center", "FltLodFrozen", T::kBoolean, "0", attrTarget<&FltLod::flags>(), E::kInt32, 0x04000000},
    {"Special1", "FltLodSpecial1", T::kInteger, "0", attrTarget<&FltLod::specialEffectId1>(), E::kInt16},
    {"Special2", "FltLodSpecial2", T::kInteger, "0", attrTarget<&FltLod::specialEffectId2>(), E::kInt16},
    {"Comments", "FltComment", T::kComment, "", kNoTarget, E::kNothing},
    {},
};
// clang-format on
