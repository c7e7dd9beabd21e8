// The options dialog without a toolkit, played by a scripted user, the batch view and
// the terminal form.
#include "options/options_dialog.h"

#include <gtest/gtest.h>

#include <functional>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

#include "options/batch_options_view.h"
#include "options/export_options.h"
#include "options/terminal_options_form.h"

namespace {

using Texts = std::vector<std::string>;

// Plays a user through a script and answers every message dialog with OK.
class ScriptedView : public OptionsView {
 public:
  std::function<void(OptionsDialog&)> script;
  Texts messages;  // titles, in order
  std::vector<int> focusReturns;

  DialogResult runModal(OptionsDialog& dialog) override {
    script(dialog);
    return dialog.result();
  }
  void showMessage(const MessageDialog& message) override { messages.push_back(message.title); }
  void focusReturned(int id) override { focusReturns.push_back(id); }
};

// The stored options on one line: version, projection, ellipsoid, units, origin latitude and
// longitude, Lambert upper and lower, then the copy, group and object switches.
std::string stored(const ExportOptions& o) {
  std::ostringstream s;
  s << o.version << ' ' << o.projection << ' ' << o.ellipsoid << ' ' << o.units << ' '
    << o.originLatitude << ' ' << o.originLongitude << ' ' << o.upperLambertLatitude << ' '
    << o.lowerLambertLatitude << ' ' << o.copyTextures << o.autoGroup << o.autoObject;
  return s.str();
}

class OptionsDialogTest : public ::testing::Test {
 protected:
  DialogResult run(std::function<void(OptionsDialog&)> script) {
    view_.script = std::move(script);
    view_.messages.clear();
    return runOptionsDialog(options_, view_);
  }
  // The batch view with the values `fill` sets; what it reported goes to errors_.
  DialogResult batch(const std::function<void(DialogFieldValues&)>& fill) {
    DialogFieldValues values;
    fill(values);
    errors_.clear();
    BatchOptionsView view(values, [&](const std::string& text) { errors_.push_back(text); });
    return runOptionsDialog(options_, view);
  }
  // The terminal form answering from `input`; returns what it printed.
  std::string terminal(const std::string& input, DialogResult expected, size_t width = 80) {
    std::istringstream in(input);
    std::ostringstream out;
    TerminalOptionsForm form(in, out, width);
    EXPECT_EQ(runOptionsDialog(options_, form), expected);
    return out.str();
  }

  ExportOptions options_;
  ScriptedView view_;
  Texts errors_;
};

TEST_F(OptionsDialogTest, OpeningRaisesOldVersionsAndCancelStoresNothing) {
  options_.version = 1420;
  options_.originLatitude = 12.5;
  EXPECT_EQ(run([&](OptionsDialog& d) {
              EXPECT_EQ(d.listSelection(kVersionList), "OpenFlight 15.2");
              EXPECT_EQ(d.listItems(kVersionList),
                        (Texts{"OpenFlight 14.2", "OpenFlight 15.0", "OpenFlight 15.1",
                               "OpenFlight 15.2", "OpenFlight 15.4", "OpenFlight 15.5",
                               "OpenFlight 15.5.1", "OpenFlight 15.6"}));
              EXPECT_EQ(d.listItems(kProjectionList),
                        (Texts{"Flat Earth", "Geocentric", "Geodetic", "Lambert Conic",
                               "Round Earth", "Trapezoidal", "UTM"}));
              EXPECT_FALSE(d.selectListItem(kUnitsList, "Miles"));
              EXPECT_TRUE(d.typeText(kOriginLatEdit, "33"));
              EXPECT_TRUE(d.pressTab());
              d.pressCancel();
            }),
            DialogResult::kCancel);
  EXPECT_EQ(stored(options_), "1520 0 0 0 12.5 0 45 33 111");  // the raise stays
}

TEST_F(OptionsDialogTest, OkStoresEveryFieldAndCheckBoxesStartTicked) {
  options_.version = 1541;  // no text: no selection, and the value stays
  options_.copyTextures = options_.autoGroup = options_.autoObject = false;
  EXPECT_EQ(run([&](OptionsDialog& d) {
              EXPECT_EQ(d.listSelection(kVersionList), "");
              EXPECT_TRUE(d.checked(kCopyTexturesCheck) && d.checked(kAutoGroupCheck) &&
                          d.checked(kAutoObjectCheck));
              EXPECT_TRUE(d.selectListItem(kUnitsList, "Kilometers"));
              EXPECT_TRUE(d.selectListItem(kEllipsoidList, "Bessel"));
              // Leaving an edit formats its text.
              EXPECT_TRUE(d.typeText(kOriginLatEdit, "-23.5"));
              EXPECT_TRUE(d.editModified(kOriginLatEdit));
              EXPECT_TRUE(d.pressTab());
              EXPECT_EQ(d.editText(kOriginLatEdit), "23~ 30' 0.00\" S");
              EXPECT_EQ(d.focus(), kOriginLonEdit);
              EXPECT_TRUE(d.typeText(kOriginLonEdit, "122 15 W"));
              EXPECT_TRUE(d.setChecked(kCopyTexturesCheck, false));
              EXPECT_TRUE(d.setChecked(kAutoObjectCheck, false));
              EXPECT_TRUE(d.pressOk());
            }),
            DialogResult::kOk);
  EXPECT_EQ(stored(options_), "1541 0 2 1 -23.5 -122.25 45 33 010");
  EXPECT_FALSE(options_.copyTextures);
  EXPECT_TRUE(view_.messages.empty());
}

TEST_F(OptionsDialogTest, BadEntriesAreAnsweredAndHoldTheFocus) {
  run([&](OptionsDialog& d) {
    EXPECT_TRUE(d.typeText(kOriginLatEdit, "91"));
    EXPECT_FALSE(d.moveFocus(kUnitsList));
    EXPECT_EQ(d.editText(kOriginLatEdit), "91~ 0' 0.00\" N");
    EXPECT_EQ(d.focus(), kOriginLatEdit);
    // The edit is no longer modified, yet OK still refuses the value.
    EXPECT_TRUE(d.moveFocus(kUnitsList));
    EXPECT_FALSE(d.pressOk());
    EXPECT_EQ(d.focus(), kOriginLatEdit);

    EXPECT_TRUE(d.typeText(kOriginLatEdit, "90"));
    EXPECT_TRUE(d.typeText(kOriginLonEdit, "north"));
    EXPECT_FALSE(d.pressTab());
    EXPECT_EQ(d.editText(kOriginLonEdit), "north");
    // Enter presses OK without leaving the edit: the check still runs.
    EXPECT_FALSE(d.pressOk());
    EXPECT_TRUE(d.typeText(kOriginLonEdit, "180.5"));
    EXPECT_FALSE(d.pressTab());
    EXPECT_TRUE(d.typeText(kOriginLonEdit, "-180"));
    EXPECT_TRUE(d.pressOk());
  });
  EXPECT_EQ(view_.messages,
            (Texts{"Bad Latitude Range", "Bad Latitude Range", "Bad Coordinate Format",
                   "Bad Coordinate Format", "Bad Longitude Range"}));
  EXPECT_EQ(view_.focusReturns.back(), kOriginLonEdit);
  EXPECT_EQ(stored(options_), "1540 0 0 0 90 -180 45 33 111");
}

TEST_F(OptionsDialogTest, LambertParallelsOnlyUnderLambertConic) {
  options_.upperLambertLatitude = 30.0;
  run([&](OptionsDialog& d) {
    EXPECT_FALSE(d.enabled(kLambertUpperEdit));
    EXPECT_FALSE(d.typeText(kLambertUpperEdit, "10 N"));
    EXPECT_TRUE(d.selectListItem(kProjectionList, "Lambert Conic"));
    EXPECT_TRUE(d.enabled(kLambertUpperEdit) && d.enabled(kLambertLowerEdit));
    EXPECT_TRUE(d.typeText(kLambertUpperEdit, "10 N"));
    EXPECT_TRUE(d.typeText(kLambertLowerEdit, "10 S"));
    EXPECT_FALSE(d.pressOk());
    EXPECT_EQ(d.focus(), kLambertUpperEdit);
    EXPECT_FALSE(d.closed());
    EXPECT_TRUE(d.typeText(kLambertUpperEdit, "45 N"));
    EXPECT_TRUE(d.typeText(kLambertLowerEdit, "33 N"));
    EXPECT_TRUE(d.pressOk());
  });
  EXPECT_EQ(view_.messages, Texts{"Bad Lambert Parallels"});
  EXPECT_EQ(stored(options_), "1540 3 0 0 0 0 45 33 111");

  // Leaving Lambert Conic disables the edits again; an entry left there is not stored.
  run([&](OptionsDialog& d) {
    EXPECT_TRUE(d.typeText(kLambertUpperEdit, "95"));
    EXPECT_FALSE(d.selectListItem(kProjectionList, "UTM"));  // leaving refuses 95 once
    EXPECT_TRUE(d.selectListItem(kProjectionList, "UTM"));
    EXPECT_FALSE(d.enabled(kLambertUpperEdit));
    EXPECT_TRUE(d.pressOk());
  });
  EXPECT_EQ(stored(options_), "1540 4 0 0 0 0 45 33 111");
}

TEST_F(OptionsDialogTest, BatchViewTypesEveryFieldAndPressesOk) {
  EXPECT_EQ(batch([](DialogFieldValues& v) {
              v.format = "15.4";
              v.projection = "Lambert Conic";  // enables the Lambert edits typed after it
              v.ellipsoid = "nad 1927";
              v.units = "Feet";
              v.originLat = "-23.5";
              v.originLon = "10 30 00 W";
              v.lambertUpper = "45 N";
              v.lambertLower = "33";
              v.copyTextures = v.autoGroup = false;
            }),
            DialogResult::kOk);
  EXPECT_EQ(errors_, Texts{});
  EXPECT_EQ(stored(options_), "1540 3 4 4 -23.5 -10.5 45 33 001");
  EXPECT_FALSE(options_.copyTextures);

  // Lists also take a prefix, any case and _ for a space.
  EXPECT_EQ(batch([](DialogFieldValues& v) {
              v.format = "openflight_15.6";
              v.projection = "lambert";
              v.ellipsoid = "CLARKE";
              v.units = "nautical_m";
            }),
            DialogResult::kOk);
  EXPECT_EQ(errors_, Texts{});
  EXPECT_EQ(stored(options_), "1560 3 3 8 -23.5 -10.5 45 33 111");
}

TEST_F(OptionsDialogTest, BatchViewReportsEveryRefusedFieldInOneRun) {
  EXPECT_EQ(batch([](DialogFieldValues& v) {
              v.format = "14";  // listed by the attribute table, not offered by the dialog
              v.projection = "lambert";
              v.ellipsoid = "wgs";
              v.units = "Feet";
              v.originLat = "91";
              v.originLon = "east";
              v.lambertUpper = "40";
              v.autoGroup = false;
            }),
            DialogResult::kBadUsage);
  EXPECT_EQ(
      errors_,
      (Texts{"Version: no entry \"14\" (the list offers OpenFlight 14.2, OpenFlight 15.0, "
             "OpenFlight 15.1, OpenFlight 15.2, OpenFlight 15.4, OpenFlight 15.5, "
             "OpenFlight 15.5.1, OpenFlight 15.6)",
             "Ellipsoid: \"wgs\" fits several entries: WGS 1972, WGS 1984",
             "Origin Latitude: \"91\": Latitude Out Of Range: Latitudes should fall within "
             "+/- 90 degrees",
             "Origin Longitude: \"east\": BAD COORDINATE FORMAT: Please use either degrees "
             "minutes and seconds (e.g. \"-23 30 00\") or degrees decimal (e.g. \"-23.50\")"}));
  EXPECT_EQ(stored(options_), "1540 0 0 0 0 0 45 33 111");  // nothing stored

  // The projection shown is Flat Earth.
  EXPECT_EQ(batch([](DialogFieldValues& v) { v.lambertUpper = "45"; }), DialogResult::kBadUsage);
  ASSERT_EQ(errors_.size(), 1u);
  EXPECT_EQ(errors_[0].rfind("Lambert Upper: the field is disabled", 0), 0u) << errors_[0];

  // Checks made only on OK name the field they sent the focus back to.
  EXPECT_EQ(batch([](DialogFieldValues& v) {
              v.projection = "Lambert Conic";
              v.lambertUpper = "10 N";
              v.lambertLower = "10 S";
            }),
            DialogResult::kBadUsage);
  ASSERT_EQ(errors_.size(), 1u);
  EXPECT_EQ(errors_[0].rfind("Lambert Upper: Bad Lambert Parallels: Lambert parallels cannot", 0),
            0u)
      << errors_[0];
  options_.originLatitude = 95;  // as a header node may set it
  EXPECT_EQ(batch([](DialogFieldValues&) {}), DialogResult::kBadUsage);
  EXPECT_EQ(errors_, (Texts{"Origin Latitude: Latitude Out Of Range: Latitudes should fall within "
                            "+/- 90 degrees"}));
}

TEST_F(OptionsDialogTest, TerminalFormGoesBackToTheFieldAtFault) {
  const std::string output = terminal(
      "\n"       // version kept
      "4\n"      // projection by number: Lambert Conic
      "\n"       // ellipsoid kept
      "feet\n"   // units by text
      "abc\n"    // origin latitude: refused on leaving, asked again
      "-23.5\n"  //
      "\n"       // origin longitude kept
      "10 N\n"   // Lambert upper
      "10 S\n"   // Lambert lower
      "n\n\n\n"  // copy textures off, the two others kept
      "\n"       // OK: the parallels are refused, back to Lambert upper
      "45 N\n\n\n\n\n"
      "o\n",
      DialogResult::kOk);
  EXPECT_NE(output.find("Origin Latitude [0~ 0' 0.00\" N]: "), std::string::npos) << output;
  EXPECT_NE(output.find("*** Bad Coordinate Format ***\nBAD COORDINATE FORMAT\n"),
            std::string::npos);
  EXPECT_NE(output.find("*** Bad Lambert Parallels ***"), std::string::npos);
  EXPECT_NE(output.find("Lambert Upper [10~ 0' 0.00\" N]: "), std::string::npos);
  EXPECT_EQ(stored(options_), "1540 3 0 4 -23.5 0 45 -10 011");
}

TEST_F(OptionsDialogTest, TerminalFormSkipsDisabledFieldsAndEndOfInputCancels) {
  const std::string output = terminal("\n\n\n\n12\n\n", DialogResult::kCancel);
  EXPECT_NE(output.find("Lambert Upper [45~ 0' 0.00\" N] (disabled"), std::string::npos) << output;
  EXPECT_NE(output.find("(end of input: cancelled)"), std::string::npos);
  EXPECT_EQ(stored(options_), "1540 0 0 0 0 0 45 33 111");
}

size_t occurrences(const std::string& text, const std::string& part) {
  size_t n = 0;
  for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) ++n;
  return n;
}

TEST_F(OptionsDialogTest, TerminalFormKeepsTheOldValueAfterARefusedAnswerAndSaysWhatItTakes) {
  const std::string output = terminal(
      "\n"               // version kept
      "lambert\n"        // projection by its start
      "wgs\nwgs_1972\n"  // ellipsoid: ambiguous, then whole
      "\n"               // units kept
      "95\n\n"           // origin latitude refused when left: Enter keeps the old one
      "\n\n"             // origin longitude, Lambert upper
      "-95\n\n"          // Lambert lower likewise
      "maybe\nn\n\n\n"   // copy textures: not an answer, then off; the two others kept
      "x\n\n",           // not an answer, then OK
      DialogResult::kOk);
  EXPECT_EQ(occurrences(output, "Origin Latitude [0~ 0' 0.00\" N]: "), 2u) << output;
  EXPECT_EQ(occurrences(output, "Lambert Lower [33~ 0' 0.00\" N]: "), 2u) << output;
  EXPECT_EQ(output.find("95~"), std::string::npos) << output;
  EXPECT_EQ(occurrences(output, "*** Bad Latitude Range ***"), 2u);
  EXPECT_NE(output.find("\"wgs\" fits several entries (WGS 1972, WGS 1984)"), std::string::npos);
  EXPECT_NE(output.find("Answer y or yes, n or no; Enter keeps yes."), std::string::npos);
  EXPECT_NE(output.find("Answer o (OK), c (Cancel) or e (Edit again); Enter is OK."),
            std::string::npos);
  EXPECT_EQ(stored(options_), "1540 3 1 0 0 0 45 33 011");
}

// The numbered entries the form printed, list by list, read back from its lines.
std::vector<Texts> printedChoices(const std::string& output, size_t width) {
  std::vector<Texts> lists;
  std::istringstream lines(output);
  const std::regex item(R"(  (\d+)\) (.+?)(?=  \d+\) |$))");
  for (std::string line; std::getline(lines, line);) {
    // A prompt is not followed by a newline here, as the input is not echoed.
    size_t start = line.find("  1) ");
    if (start != std::string::npos) {
      lists.emplace_back();
      line = line.substr(start);
    } else if (!std::regex_search(line, std::regex(R"(^  \d+\) )"))) {
      continue;
    }
    EXPECT_LE(line.size(), width) << line;
    for (std::sregex_iterator m(line.begin(), line.end(), item), end; m != end; ++m) {
      EXPECT_EQ(std::stoul((*m)[1]), lists.back().size() + 1) << line;
      lists.back().push_back((*m)[2]);
    }
  }
  return lists;
}

TEST_F(OptionsDialogTest, TerminalFormFitsChoicesToTheWidthWithoutSplittingOne) {
  const std::vector<Texts> expected = {
      optionListTexts(OptionList::kVersion), optionListTexts(OptionList::kProjection),
      optionListTexts(OptionList::kEllipsoid), optionListTexts(OptionList::kUnits)};
  for (size_t width : {40u, 80u}) {
    const std::string output = terminal(std::string(12, '\n'), DialogResult::kOk, width);
    EXPECT_EQ(printedChoices(output, width), expected) << output;
    // Several entries share a line where they fit.
    const size_t lines = occurrences(output, "\n  ");
    EXPECT_LT(lines, 20u) << output;
  }
}

}  // namespace
