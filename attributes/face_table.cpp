#include "attributes/attr_tables.h"
#include "flt/face.h"

namespace {

using T = AttrType;
using E = AttrEncoding;

constexpr AttrEnumEntry kLightModeEnum[] = {
    {0, "Face Color Flat"},
    {1, "Vertex Color Flat"},
    {2, "Face Color Smooth"},
    {3, "Vertex Color Smooth"},
    {0, nullptr},
};

constexpr AttrEnumEntry kBillboardEnum[] = {
    {0, "Not a billboard"}, {1, "Alpha"}, {2, "Axial Rotate"}, {3, "Point Rotate"}, {0, nullptr},
};

}  // namespace

// clang-format off
constexpr AttrDescriptor kFaceAttrTable[] = {
    {"IR Color", "FltIRColor", T::kInteger, "0", attrTarget<&FltFace::irColorCode>(), E::kInt32},
    {"IR Material", "FltIRMaterial", T::kInteger, "0", attrTarget<&FltFace::irMaterialCode>(), E::kInt32},
    {"SMC", "FltSmc", T::kInteger, "0", attrTarget<&FltFace::surfaceMaterialCode>(), E::kInt16},
    {"FID", "FltFid", T::kInteger, "0", attrTarget<&FltFace::featureId>(), E::kInt16},
    {"Lighting Mode", "FltLightMode", T::kEnumeration, nullptr, attrTarget<&FltFace::lightMode>(), E::kInt8, 0, kLightModeEnum},
    {"Terrain", "FltTerrain", T::kBoolean, "0", attrTarget<&FltFace::flags>(), E::kFlags32, 0x80000000},
    {"Hidden", "FltHidden", T::kBoolean, "0", attrTarget<&FltFace::flags>(), E::kFlags32, 0x04000000},
    {"Footprint", "FltFootprint", T::kBoolean, "0", attrTarget<&FltFace::flags>(), E::kFlags32, 0x08000000},
    {"Superface", "FltSuperFace", T::kBoolean, "0", kNoTarget, E::kNothing},
    {"Billboard", "FltBillboard", T::kEnumeration, nullptr, attrTarget<&FltFace::billboard>(), E::kInt8, 0, kBillboardEnum},
    {"Has Flt Material", "FltUseMaterial", T::kBoolean, nullptr, kNoTarget, E::kNothing},
    {"Wire Attachment (In)", "wireinput", T::kInteger, "-1", kNoTarget, E::kNothing},
    {"Wire Attachment (Out)", "wireoutput", T::kInteger, "-1", kNoTarget, E::kNothing},
    {"Comments", "FltComment", T::kComment, "", kNoTarget, E::kNothing},
    {},
};
// clang-format on
