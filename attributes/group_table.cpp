#include "attributes/attr_tables.h"
#include "flt/group.h"

namespace {
using T = AttrType;
using E = AttrEncoding;
using G = FltGroup;
}  // namespace

// clang-format off
constexpr AttrDescriptor kGroupAttrTable[] = {
    {"Relative Priority", "FltGrpRelPriority", T::kInteger, "0", attrTarget<&G::relativePriority>(), E::kInt16},
    {"Special1", "FltGrpSpecial1", T::kInteger, "0", attrTarget<&G::specialEffectId1>(), E::kInt16},
    {"Special2", "FltGrpSpecial2", T::kInteger, "0", attrTarget<&G::specialEffectId2>(), E::kInt16},
    {"Significance", "FltGrpSignificance", T::kInteger, "0", attrTarget<&G::significance>(), E::kInt16},
    {"Layer", "FltGrpLayer", T::kInteger, "0", attrTarget<&G::layerCode>(), E::kInt8},
    {"Forward Animation", "FltGrpFwdAnim", T::kBoolean, "0", attrTarget<&G::flags>(), E::kInt32, 0x40000000},
    {"Cycle Animation", "FltGrpCycleAnim", T::kBoolean, "0", attrTarget<&G::flags>(), E::kInt32, 0x20000000},
    {"Has Bounding Box", "FltGrpBBox", T::kBoolean, "0", attrTarget<&G::flags>(), E::kInt32, 0x10000000},
    {"Freeze Bounding Box", "FltGrpFrzBBox", T::kBoolean, "0", attrTarget<&G::flags>(), E::kInt32, 0x08000000},
    {"Default Parent", "FltGrpDfltParent", T::kBoolean, "0", attrTarget<&G::flags>(), E::kInt32, 0x04000000},
    {"Comments", "FltComment", T::kComment, "", kNoTarget, E::kNothing},
    {},
};
// clang-format on
