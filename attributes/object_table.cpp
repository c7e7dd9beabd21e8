#include "attributes/attr_tables.h"
#include "flt/object.h"

namespace {
using T = AttrType;
using E = AttrEncoding;
using O = FltObject;
}  // namespace

// clang-format off
constexpr AttrDescriptor kObjectAttrTable[] = {
    {"Priority", "FltObjRelPriority", T::kInteger, "0", attrTarget<&O::relativePriority>(), E::kInt16},
    {"Transparency", "FltObjTransparency", T::kInteger, "0", attrTarget<&O::transparency>(), E::kInt16},
    {"Significance", "FltObjSignificance", T::kInteger, "0", attrTarget<&O::significance>(), E::kInt16},
    {"Invisible in Daylight", "FltObjNoDay", T::kBoolean, "0", attrTarget<&O::flags>(), E::kInt32, 0x80000000},
    {"Invisible at Dusk", "FltObjNoDusk", T::kBoolean, "0", attrTarget<&O::flags>(), E::kInt32, 0x40000000},
    {"Invisible at Night", "FltObjNoNight", T::kBoolean, "0", attrTarget<&O::flags>(), E::kInt32, 0x20000000},
    {"Not Illuminated", "FltObjIlluminate", T::kBoolean, "0", attrTarget<&O::flags>(), E::kInt32, 0x10000000},
    {"Flat Shaded", "FltObjFlatShaded", T::kBoolean, "0", attrTarget<&O::flags>(), E::kInt32, 0x08000000},
    {"Group Shadow", "FltObjGroupShadow", T::kBoolean, "0", attrTarget<&O::flags>(), E::kInt32, 0x04000000},
    {"Special1", "FltObjSpecial1", T::kInteger, "0", attrTarget<&O::specialEffectId1>(), E::kInt16},
    {"Special2", "FltObjSpecial2", T::kInteger, "0", attrTarget<&O::specialEffectId2>(), E::kInt16},
    {"Comments", "FltComment", T::kComment, "", kNoTarget, E::kNothing},
    {},
};
// clang-format on
