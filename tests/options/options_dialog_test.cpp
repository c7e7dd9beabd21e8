#include "options/options_dialog.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "convert/texture_source.h"
#include "options/export_options.h"
#include "options/run_options_dialog.h"

namespace {

// Plays a user through a script and answers every message dialog with OK.
class ScriptedView : public OptionsView {
 public:
  std::function<void(OptionsDialog&)> script;
  std::vector<std::string> messages;  // titles, in order
  std::vector<int> focusReturns;

  DialogResult runModal(OptionsDialog& dialog) override {
    script(dialog);
    return dialog.result();
  }
  void showMessage(const MessageDialog& message) override { messages.push_back(message.title); }
  void focusReturned(int id) override { focusReturns.push_back(id); }
};

class OptionsDialogTest : public ::testing::Test {
 protected:
  DialogResult run(std::function<void(OptionsDialog&)> script) {
    view_.script = std::move(script);
    view_.messages.clear();
    return runOptionsDialog(options_, textures_, view_);
  }

  ExportOptions options_;
  TextureSource textures_;
  ScriptedView view_;
};

TEST_F(OptionsDialogTest, OpeningRaisesOldVersionsEvenWhenCancelled) {
  options_.version = 1420;
  options_.originLatitude = 12.5;
  std::string shown;
  EXPECT_EQ(run([&](OptionsDialog& d) {
              shown = d.listSelection(kVersionList);
              d.typeText(kOriginLatEdit, "33");
              d.pressTab();
              d.pressCancel();
            }),
            DialogResult::kCancel);
  EXPECT_EQ(shown, "OpenFlight 15.2");
  EXPECT_EQ(options_.version, 1520);
  EXPECT_EQ(options_.originLatitude, 12.5);  // nothing stored on Cancel
}

TEST_F(OptionsDialogTest, ListsOfferSortedEntries) {
  run([&](OptionsDialog& d) {
    EXPECT_EQ(d.listItems(kVersionList),
              (std::vector<std::string>{"OpenFlight 14.2", "OpenFlight 15.0", "OpenFlight 15.1",
                                        "OpenFlight 15.2", "OpenFlight 15.4", "OpenFlight 15.5",
                                        "OpenFlight 15.5.1", "OpenFlight 15.6"}));
    EXPECT_EQ(d.listItems(kProjectionList),
              (std::vector<std::string>{"Flat Earth", "Geocentric", "Geodetic", "Lambert Conic",
                                        "Round Earth", "Trapezoidal", "UTM"}));
    EXPECT_EQ(d.listItems(kUnitsList), (std::vector<std::string>{"Feet", "Inches", "Kilometers",
                                                                 "Meters", "Nautical Miles"}));
    EXPECT_FALSE(d.selectListItem(kUnitsList, "Miles"));
    d.pressCancel();
  });
}

TEST_F(OptionsDialogTest, OkWritesListsCoordinatesAndSwitchesBack) {
  options_.version = 1541;  // no text: no selection, and the value stays
  EXPECT_EQ(run([&](OptionsDialog& d) {
              EXPECT_EQ(d.listSelection(kVersionList), "");
              EXPECT_TRUE(d.selectListItem(kUnitsList, "Kilometers"));
              EXPECT_TRUE(d.selectListItem(kEllipsoidList, "Bessel"));
              EXPECT_TRUE(d.typeText(kOriginLonEdit, "122 15 W"));
              EXPECT_TRUE(d.setChecked(kCopyTexturesCheck, false));
              EXPECT_TRUE(d.setChecked(kAutoObjectCheck, false));
              EXPECT_TRUE(d.pressOk());
            }),
            DialogResult::kOk);
  EXPECT_EQ(options_.version, 1541);
  EXPECT_EQ(options_.units, 1);
  EXPECT_EQ(options_.ellipsoid, 2);
  EXPECT_DOUBLE_EQ(options_.originLongitude, -122.25);
  EXPECT_FALSE(options_.copyTextures);
  EXPECT_FALSE(textures_.copyTextures());
  EXPECT_TRUE(options_.autoGroup);
  EXPECT_FALSE(options_.autoObject);
  EXPECT_TRUE(view_.messages.empty());
}

TEST_F(OptionsDialogTest, CheckBoxesAreTickedAtEveryOpening) {
  options_.copyTextures = options_.autoGroup = options_.autoObject = false;
  for (int round = 0; round < 2; ++round) {
    run([&](OptionsDialog& d) {
      EXPECT_TRUE(d.checked(kCopyTexturesCheck) && d.checked(kAutoGroupCheck) &&
                  d.checked(kAutoObjectCheck));
      d.setChecked(kAutoGroupCheck, false);
      d.pressOk();
    });
    EXPECT_FALSE(options_.autoGroup);
  }
}

TEST_F(OptionsDialogTest, LeavingAnEditFormatsItsText) {
  run([&](OptionsDialog& d) {
    d.typeText(kOriginLatEdit, "-23.5");
    EXPECT_TRUE(d.editModified(kOriginLatEdit));
    EXPECT_TRUE(d.pressTab());
    EXPECT_EQ(d.editText(kOriginLatEdit), "23~ 30' 0.00\" S");
    EXPECT_EQ(d.focus(), kOriginLonEdit);
    d.pressOk();
  });
  EXPECT_TRUE(view_.messages.empty());
  EXPECT_DOUBLE_EQ(options_.originLatitude, -23.5);
}

TEST_F(OptionsDialogTest, BadEntriesAreAnsweredAndHoldTheFocus) {
  run([&](OptionsDialog& d) {
    d.typeText(kOriginLatEdit, "91");
    EXPECT_FALSE(d.moveFocus(kUnitsList));
    EXPECT_EQ(d.editText(kOriginLatEdit), "91~ 0' 0.00\" N");
    EXPECT_EQ(d.focus(), kOriginLatEdit);
    // The edit is no longer modified, yet OK still refuses the value.
    EXPECT_TRUE(d.moveFocus(kUnitsList));
    EXPECT_FALSE(d.pressOk());
    EXPECT_EQ(d.focus(), kOriginLatEdit);

    d.typeText(kOriginLatEdit, "90");
    d.typeText(kOriginLonEdit, "north");
    EXPECT_FALSE(d.pressTab());
    EXPECT_EQ(d.editText(kOriginLonEdit), "north");
    // Enter presses OK without leaving the edit: the check still runs.
    EXPECT_FALSE(d.pressOk());
    d.typeText(kOriginLonEdit, "180.5");
    EXPECT_FALSE(d.pressTab());
    d.typeText(kOriginLonEdit, "-180");
    EXPECT_TRUE(d.pressOk());
  });
  EXPECT_EQ(view_.messages, (std::vector<std::string>{
                                "Bad Latitude Range", "Bad Latitude Range", "Bad Coordinate Format",
                                "Bad Coordinate Format", "Bad Longitude Range"}));
  EXPECT_EQ(view_.focusReturns.back(), kOriginLonEdit);
  EXPECT_DOUBLE_EQ(options_.originLatitude, 90.0);
  EXPECT_DOUBLE_EQ(options_.originLongitude, -180.0);
}

TEST_F(OptionsDialogTest, LambertParallelsOnlyUnderLambertConic) {
  options_.upperLambertLatitude = 30.0;
  run([&](OptionsDialog& d) {
    EXPECT_FALSE(d.enabled(kLambertUpperEdit));
    EXPECT_FALSE(d.typeText(kLambertUpperEdit, "10 N"));
    EXPECT_TRUE(d.selectListItem(kProjectionList, "Lambert Conic"));
    EXPECT_TRUE(d.enabled(kLambertUpperEdit) && d.enabled(kLambertLowerEdit));
    d.typeText(kLambertUpperEdit, "10 N");
    d.typeText(kLambertLowerEdit, "10 S");
    EXPECT_FALSE(d.pressOk());
    EXPECT_EQ(d.focus(), kLambertUpperEdit);
    EXPECT_FALSE(d.closed());
    d.typeText(kLambertUpperEdit, "45 N");
    d.typeText(kLambertLowerEdit, "33 N");
    EXPECT_TRUE(d.pressOk());
  });
  EXPECT_EQ(view_.messages, std::vector<std::string>{"Bad Lambert Parallels"});
  EXPECT_EQ(options_.projection, 3);
  EXPECT_DOUBLE_EQ(options_.upperLambertLatitude, 45.0);
  EXPECT_DOUBLE_EQ(options_.lowerLambertLatitude, 33.0);

  // Leaving Lambert Conic disables the edits again; an entry left there is not stored.
  run([&](OptionsDialog& d) {
    d.typeText(kLambertUpperEdit, "95");
    EXPECT_FALSE(d.selectListItem(kProjectionList, "UTM"));  // leaving refuses 95 once
    EXPECT_TRUE(d.selectListItem(kProjectionList, "UTM"));
    EXPECT_FALSE(d.enabled(kLambertUpperEdit));
    EXPECT_TRUE(d.pressOk());
  });
  EXPECT_EQ(options_.projection, 4);
  EXPECT_DOUBLE_EQ(options_.upperLambertLatitude, 45.0);
}

}  // namespace
