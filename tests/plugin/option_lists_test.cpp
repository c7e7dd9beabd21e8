// How a typed text picks an entry of the dialog's lists, and the lists' help text.
#include "plugin/option_lists.h"

#include <gtest/gtest.h>

#include <set>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "flt/header_names.h"

namespace {

using Texts = std::vector<std::string>;

std::string picked(OptionList list, const std::string& text) {
  return matchOptionListText(list, text).entry;
}

TEST(OptionListsTest, AWholeEntryOrAUniquePrefixPicksInAnyCaseWithUnderscoresForSpaces) {
  EXPECT_EQ(picked(OptionList::kProjection, "lambert"), "Lambert Conic");
  EXPECT_EQ(picked(OptionList::kProjection, "Lambert_Conic"), "Lambert Conic");
  EXPECT_EQ(picked(OptionList::kProjection, "ROUND_e"), "Round Earth");
  EXPECT_EQ(picked(OptionList::kUnits, "feet"), "Feet");
  EXPECT_EQ(picked(OptionList::kUnits, "FE"), "Feet");
  EXPECT_EQ(picked(OptionList::kUnits, "nautical_mi"), "Nautical Miles");
  EXPECT_EQ(picked(OptionList::kEllipsoid, "wgs 1972"), "WGS 1972");
  EXPECT_EQ(picked(OptionList::kEllipsoid, "wgs_198"), "WGS 1984");
  // Versions also without their "OpenFlight " start; a whole one beats a longer one.
  EXPECT_EQ(picked(OptionList::kVersion, "15.4"), "OpenFlight 15.4");
  EXPECT_EQ(picked(OptionList::kVersion, "OpenFlight_15.5"), "OpenFlight 15.5");
  EXPECT_EQ(picked(OptionList::kVersion, "15.5"), "OpenFlight 15.5");
  EXPECT_EQ(picked(OptionList::kVersion, "15.5."), "OpenFlight 15.5.1");
  EXPECT_EQ(picked(OptionList::kVersion, "openflight 15.6"), "OpenFlight 15.6");
}

TEST(OptionListsTest, AnAmbiguousPrefixListsItsCandidatesAndAnUnknownTextNone) {
  OptionListMatch m = matchOptionListText(OptionList::kEllipsoid, "wgs");
  EXPECT_EQ(m.entry, "");
  EXPECT_EQ(m.candidates, (Texts{"WGS 1972", "WGS 1984"}));
  m = matchOptionListText(OptionList::kProjection, "g");
  EXPECT_EQ(m.candidates, (Texts{"Geocentric", "Geodetic"}));
  m = matchOptionListText(OptionList::kVersion, "15");
  EXPECT_EQ(m.candidates.size(), 7u);  // 15.0 to 15.6, 15.5.1 too

  for (const auto& [list, text] : std::vector<std::pair<OptionList, std::string>>{
           {OptionList::kUnits, "miles"},  // inside an entry, not its start
           {OptionList::kUnits, ""},
           {OptionList::kUnits, "feets"},
           {OptionList::kProjection, "lambert conic x"},
           // Versions the attribute table knows but the dialog does not offer are no
           // prefix of a listed one.
           {OptionList::kVersion, "14"},
           {OptionList::kVersion, "OpenFlight 12"}}) {
    m = matchOptionListText(list, text);
    EXPECT_EQ(m.entry, "") << text;
    EXPECT_TRUE(m.candidates.empty()) << text;
  }
}

TEST(OptionListsTest, HelpListsEveryOfferedTextWholeWithinTheWidth) {
  for (size_t width : {40u, 80u}) {
    std::ostringstream out;
    printOptionListTexts(out, width);
    std::istringstream lines(out.str());
    std::string line, all;
    while (std::getline(lines, line)) {
      EXPECT_LE(line.size(), width) << line;
      all += line + "\n";
    }
    for (OptionList list : kOptionLists) {
      EXPECT_NE(all.find(std::string("  ") + optionListName(list) + ":"), std::string::npos);
      for (const std::string& text : optionListTexts(list))
        EXPECT_NE(all.find(text), std::string::npos) << text << " at width " << width;
    }
    EXPECT_EQ(all.find("OpenFlight 14,"), std::string::npos);  // not offered
  }
  EXPECT_EQ(optionListTexts(OptionList::kUnits),
            (Texts{"Feet", "Inches", "Kilometers", "Meters", "Nautical Miles"}));
}

}  // namespace

// fltdump reads the file alone, with names of its own: they must say what the
// dialog and the properties say.
TEST(OptionListsTest, TheReadSideNamesTheHeaderFieldsAsTheListsDo) {
  const auto pairs = [](const auto* entries) {
    std::set<std::pair<int, std::string>> all;
    for (; entries->name; ++entries) all.insert({int(entries->value), entries->name});
    return all;
  };
  EXPECT_EQ(pairs(kFltRevisionNames<FltEnumName>), pairs(kVersionEntries));
  EXPECT_EQ(pairs(kFltUnitNames<FltEnumName>), pairs(kUnitsEntries));
  EXPECT_EQ(pairs(kFltProjectionNames<FltEnumName>), pairs(kProjectionEntries));
  EXPECT_EQ(pairs(kFltEllipsoidNames<FltEnumName>), pairs(kEllipsoidEntries));
}
