#include "attributes/attr_tables.h"
#include "flt/header.h"
#include "plugin/option_lists.h"

namespace {

using T = AttrType;
using E = AttrEncoding;

// The dialog lists the same entries; one table serves both.
constexpr const AttrEnumEntry* kVersionEnum = kVersionEntries;
constexpr const AttrEnumEntry* kUnitsEnum = kUnitsEntries;
constexpr const AttrEnumEntry* kProjectionEnum = kProjectionEntries;
constexpr const AttrEnumEntry* kEllipsoidEnum = kEllipsoidEntries;

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
