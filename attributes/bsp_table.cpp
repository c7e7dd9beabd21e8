#include "attributes/attr_tables.h"
#include "flt/bsp.h"

namespace {
using T = AttrType;
using E = AttrEncoding;
}  // namespace

// clang-format off
constexpr AttrDescriptor kBspAttrTable[] = {
    {"Plane Equation A", "FltBspA", T::kFloat, "0", attrTarget<&FltBsp::a>(), E::kDouble},
    {"B", "FltBspB", T::kFloat, "0", attrTarget<&FltBsp::b>(), E::kDouble},
    {"C", "FltBspC", T::kFloat, "1", attrTarget<&FltBsp::c>(), E::kDouble},
    {"D", "FltBspD", T::kFloat, "0", attrTarget<&FltBsp::d>(), E::kDouble},
    {"Comments", "FltComment", T::kComment, "", kNoTarget, E::kNothing},
    {},
};
// clang-format on
