#include "attributes/attr_tables.h"
#include "flt/header.h"

namespace {

using T = AttrType;
using E = AttrEncoding;

constexpr AttrEnumEntry kVersionEnum[] = {
    {11, "OpenFlight 11"},       {12, "OpenFlight 12"},     {14, "OpenFlight 14"},
    {1420, "OpenFlight 14.2"},   {1500, "OpenFlight 15.0"}, {1510, "OpenFlight 15.1"},
    {1520, "OpenFlight 15.2"},   {1540, "OpenFlight 15.4"}, {1550, "OpenFlight 15.5"},
    {1551, "OpenFlight 15.5.1"}, {1560, "OpenFlight 15.6"}, {0, nullptr},
};

constexpr AttrEnumEntry kUnitsEnum[] = {
    {0, "Meters"}, {1, "Kilometers"},     {4, "Feet"},
    {5, "Inches"}, {8, "Nautical Miles"}, {0, nullptr},
};

constexpr AttrEnumEntry kProjectionEnum[] = {
    {0, "Flat Earth"}, {1, "Trapezoidal"}, {2, "Round Earth"}, {3, "Lambert Conic"},
    {4, "UTM"},        {5, "Geodetic"},    {6, "Geocentric"},  {0, nullptr},
};

constexpr AttrEnumEntry kEllipsoidEnum[] = {
    {0, "WGS 1984"},    {1, "WGS 1972"}, {2, "Bessel"},
    {3, "Clarke 1866"}, {4, "NAD 1927"}, {0, nullptr},
};

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
