#include "attributes/attr_tables.h"
#include "flt/face.h"

// The face's secondary table.
// clang-format off
constexpr AttrDescriptor kDrawTypeAttrTable[] = {
    {"Drawtype", "FltDrawType", AttrType::kInteger, "0", attrTarget<&FltFace::drawType>(), AttrEncoding::kInt8},
    {},
};
// clang-format on
