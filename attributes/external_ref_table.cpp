#include "attributes/attr_tables.h"
#include "flt/external_ref.h"

namespace {
using T = AttrType;
using E = AttrEncoding;
using X = FltExternalRef;
}  // namespace

// clang-format off
constexpr AttrDescriptor kExternalRefAttrTable[] = {
    {"Filename", "FltXRefFilename", T::kText, "", attrTarget<&X::path>(), E::kText},
    {"Override Colors", "FltXRefOverrideColors", T::kBoolean, "1", attrTarget<&X::flags>(), E::kInt32, 0x80000000},
    {"Override Light Sources", "FltXRefOverrideLtSrcs", T::kBoolean, "1", attrTarget<&X::flags>(), E::kInt32, 0x04000000},
    {"Override Line Styles", "FltXRefOverrideLnStyle", T::kBoolean, "1", attrTarget<&X::flags>(), E::kInt32, 0x10000000},
    {"Override Materials", "FltXRefOverrideMaterials", T::kBoolean, "1", attrTarget<&X::flags>(), E::kInt32, 0x40000000},
    {"Override Sounds", "FltXRefOverrideSounds", T::kBoolean, "1", attrTarget<&X::flags>(), E::kInt32, 0x08000000},
    {"Override Textures", "FltXRefOverrideTextures", T::kBoolean, "1", attrTarget<&X::flags>(), E::kInt32, 0x20000000},
    {"Comments", "FltComment", T::kComment, "", kNoTarget, E::kNothing},
    {},
};
// clang-format on
