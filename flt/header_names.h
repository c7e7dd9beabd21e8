#pragma once
// The names of the header's enumerated fields: what a node's properties may say and
// what the dump prints beside the number. Each list closes with a null name.
//
// A template over the entry type, so that a reader with an entry struct of its own
// (an integer value and a name) takes the same lists without a copy.

#include <cstdint>

template <class Entry>
inline constexpr Entry kFltRevisionNames[] = {
    {11, "OpenFlight 11"},       {12, "OpenFlight 12"},     {14, "OpenFlight 14"},
    {1420, "OpenFlight 14.2"},   {1500, "OpenFlight 15.0"}, {1510, "OpenFlight 15.1"},
    {1520, "OpenFlight 15.2"},   {1540, "OpenFlight 15.4"}, {1550, "OpenFlight 15.5"},
    {1551, "OpenFlight 15.5.1"}, {1560, "OpenFlight 15.6"}, {0, nullptr},
};

template <class Entry>
inline constexpr Entry kFltUnitNames[] = {
    {0, "Meters"}, {1, "Kilometers"},     {4, "Feet"},
    {5, "Inches"}, {8, "Nautical Miles"}, {0, nullptr},
};

template <class Entry>
inline constexpr Entry kFltProjectionNames[] = {
    {0, "Flat Earth"}, {1, "Trapezoidal"}, {2, "Round Earth"}, {3, "Lambert Conic"},
    {4, "UTM"},        {5, "Geodetic"},    {6, "Geocentric"},  {0, nullptr},
};

template <class Entry>
inline constexpr Entry kFltEllipsoidNames[] = {
    {0, "WGS 1984"},    {1, "WGS 1972"}, {2, "Bessel"},
    {3, "Clarke 1866"}, {4, "NAD 1927"}, {0, nullptr},
};

// The entry type of the read side.
struct FltEnumName {
  int32_t value;
  const char* name;
};

// The name of the value in a null-closed list, or null.
inline const char* fltEnumName(const FltEnumName* names, int32_t value) {
  for (; names->name; ++names)
    if (names->value == value) return names->name;
  return nullptr;
}
