#include "attributes/attr_tables.h"
#include "flt/header.h"
#include "flt/header_names.h"

namespace {

using T = AttrType;
using E = AttrEncoding;

constexpr const AttrEnumEntry* kVersionEnum = kFltRevisionNames<AttrEnumEntry>;
constexpr const AttrEnumEntry* kUnitsEnum = kFltUnitNames<AttrEnumEntry>;
constexpr const AttrEnumEntry* kProjectionEnum = kFltProjectionNames<AttrEnumEntry>;
constexpr const AttrEnumEntry* kEllipsoidEnum = kFltEllipsoidNames<AttrEnumEntry>;

}  // namespace

// clang-format off
constexpr AttrDescriptor kHeaderAttrTable[] = {
    {"OpenFlight Version", "FltVersion", T::kEnumeration, "OpenFlight_15.4", attrTarget<&FltHeader::formatRevision>(), E::kInt32, 0, kVersionEnum},
    {"Units", "FltUnits", T::kEnumeration, "Meters", attrTarget<&FltHeader::vertexUnits>(), E::kInt8, 0, kUnitsEnum},
    {"Projection", "FltProjection", T::kEnumeration, "Flat_Earth", attrTarget<&FltHeader::projection>(), E::kInt32, 0, kProjectionEnum},
    {"Ellipsoid", "FltEllipsoid", T::kEnumeration, "WGS_84", attrTarget<&FltHeader::ellipsoid>(), E::kInt32, 0, kEllipsoidEnum},
    {"Origin Lat", "FltOriginLat", T::kFloat, "0.0", attrTarget<&FltHeader::originLat>(), E::kDouble},
    {"Origin Lon", "FltOriginLon", T::kFloat, "0.0", attrTarget<&FltHeader::originLon>(), E::kDouble},
    {"Upper Lambert", "FltUpperLam", T::kFloat, "45.0", attrTarget<&FltHeader::upperLambertLat>(), E::kDouble},
    {"Lower Lambert", "FltLowerLam", T::kFloat, "33.0", attrTarget<&FltHeader::lowerLambertLat>(), E::kDouble},
    {"Comments", "FltComment", T::kComment, "", kNoTarget, E::kNothing},
    {},
};
// clang-format on
