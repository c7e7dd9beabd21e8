#pragma once
// The four lists of the options dialog (version, projection, ellipsoid, units):
// their entries with the header values behind them, the order the dialog shows
// them in, and how a typed text picks one. The header attribute table, the
// dialog and the host's help all read them from here.

#include <cstdint>
#include <ostream>
#include <string>
#include <vector>

struct OptionListEntry {
  int32_t value;
  const char* name;
};

// Each array ends with an entry whose name is null.
inline constexpr OptionListEntry kVersionEntries[] = {
    {11, "OpenFlight 11"},       {12, "OpenFlight 12"},     {14, "OpenFlight 14"},
    {1420, "OpenFlight 14.2"},   {1500, "OpenFlight 15.0"}, {1510, "OpenFlight 15.1"},
    {1520, "OpenFlight 15.2"},   {1540, "OpenFlight 15.4"}, {1550, "OpenFlight 15.5"},
    {1551, "OpenFlight 15.5.1"}, {1560, "OpenFlight 15.6"}, {0, nullptr},
};
// Older versions can come from a scene's header node, but the dialog offers none.
inline constexpr int32_t kFirstListedVersion = 1420;
// Versions may also be typed without it: "15.4".
inline constexpr const char* kVersionPrefix = "OpenFlight ";

inline constexpr OptionListEntry kProjectionEntries[] = {
    {0, "Flat Earth"}, {1, "Trapezoidal"}, {2, "Round Earth"}, {3, "Lambert Conic"},
    {4, "UTM"},        {5, "Geodetic"},    {6, "Geocentric"},  {0, nullptr},
};

inline constexpr OptionListEntry kEllipsoidEntries[] = {
    {0, "WGS 1984"},    {1, "WGS 1972"}, {2, "Bessel"},
    {3, "Clarke 1866"}, {4, "NAD 1927"}, {0, nullptr},
};

inline constexpr OptionListEntry kUnitsEntries[] = {
    {0, "Meters"}, {1, "Kilometers"},     {4, "Feet"},
    {5, "Inches"}, {8, "Nautical Miles"}, {0, nullptr},
};

enum class OptionList { kVersion, kProjection, kEllipsoid, kUnits };
inline constexpr OptionList kOptionLists[] = {OptionList::kVersion, OptionList::kProjection,
                                              OptionList::kEllipsoid, OptionList::kUnits};

// "Version", "Projection", ...: as the dialog names the field.
const char* optionListName(OptionList list);
// The texts the dialog offers, sorted as a sorted drop-down list sorts them.
std::vector<std::string> optionListTexts(OptionList list);

// What a typed text picks: the entry written out, or (case and `_` for a space
// aside) its unique prefix. `entry` is empty when nothing or several matched;
// `candidates` then holds the entries the prefix fits.
struct OptionListMatch {
  std::string entry;
  std::vector<std::string> candidates;
};
OptionListMatch matchOptionListText(OptionList list, const std::string& text);

// Every list with its texts and how they may be typed, lines wrapped at `width`.
void printOptionListTexts(std::ostream& out, size_t width = 80);
