// The dialog window under a real X display (the ctest entry runs it in xvfb).
#include "window/fltk_options_window.h"

// Before X11, whose macros (None, Bool) would break it.
#include <gtest/gtest.h>

#include <FL/Fl.H>
#include <FL/Fl_Button.H>
#include <FL/Fl_Check_Button.H>
#include <FL/Fl_Choice.H>
#include <FL/Fl_Input.H>
#include <FL/Fl_Return_Button.H>
#include <FL/Fl_Window.H>
#include <FL/x.H>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "options/dialog_controls.h"
#include "options/export_options.h"
#include "options/options_dialog.h"
#include "tests/support/x_client.h"
#include "window/hyperlink_widget.h"
#include "window/message_box.h"

namespace {

// One key press as the display would deliver it, to the widget with the focus.
void pressKey(Fl_Window* window, int key, const char* text = "") {
  static char buffer[8];
  std::snprintf(buffer, sizeof buffer, "%s", text);
  Fl::e_keysym = key;
  Fl::e_text = buffer;
  Fl::e_length = static_cast<int>(std::strlen(buffer));
  Fl::e_state = 0;
  Fl::handle(FL_KEYBOARD, window);
}

void typeText(Fl_Window* window, const std::string& text) {
  for (char c : text) pressKey(window, static_cast<unsigned char>(c), std::string(1, c).c_str());
}

// Focus an edit with its whole text selected, as a triple click leaves it.
void clickAndSelectAll(Fl_Input* input) {
  EXPECT_TRUE(input->take_focus());
  input->position(input->size(), 0);
}

class FltkOptionsWindowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    const char* display = std::getenv("DISPLAY");
    if (!display || !*display) GTEST_SKIP() << "no DISPLAY (the xvfb-run ctest entry runs these)";
    // Every message box is read and answered at once: no test waits on one.
    window_.setMessageHook([this](Fl_Window& box) {
      std::vector<std::string> lines;
      Fl_Return_Button* ok = nullptr;
      int buttons = 0, icons = 0;
      for (int i = 0; i < box.children(); ++i) {
        Fl_Widget* child = box.child(i);
        if (auto* button = dynamic_cast<Fl_Return_Button*>(child)) ok = button;
        if (dynamic_cast<Fl_Button*>(child))
          ++buttons;
        else if (child->label() && std::string(child->label()) == kMessageBoxIcon)
          ++icons;
        else if (child->label())
          lines.push_back(child->label());
      }
      messages_.push_back({box.label(), lines});
      // Every message of the window, the link's among them, shows one look.
      EXPECT_EQ(icons, 1) << box.label();
      EXPECT_EQ(buttons, 1) << box.label();
      ASSERT_NE(ok, nullptr);
      EXPECT_STREQ(ok->label(), "OK");
      ok->do_callback();
    });
  }

  template <class W>
  W* find(int id) {
    auto* w = dynamic_cast<W*>(window_.widget(id));
    EXPECT_NE(w, nullptr) << "control " << id;
    return w;
  }

  ExportOptions options_;
  FltkOptionsWindow window_;
  std::vector<std::pair<std::string, std::vector<std::string>>> messages_;
};

TEST_F(FltkOptionsWindowTest, UserFillsTheFormAndPressesOk) {
  options_.version = 1420;
  XClient server;
  Window xid = 0;
  window_.setShownHook([&](FltkOptionsWindow& w) {
    Fl_Window* win = w.window();
    xid = fl_xid(win);
    XSync(fl_display, False);
    EXPECT_TRUE(server.viewable(xid));
    EXPECT_STREQ(win->label(), "OpenFlight Export");
    auto* version = find<Fl_Choice>(kVersionList);
    EXPECT_EQ(version->size() - 1, 8);  // the menu's closing entry is not counted
    EXPECT_STREQ(version->text(), "OpenFlight 15.2");
    EXPECT_STREQ(window_.widget(kHyperlinkControl)->label(), "Visit our Website");
    EXPECT_NE(find<HyperlinkWidget>(kHyperlinkControl), nullptr);
    EXPECT_EQ(find<Fl_Check_Button>(kCopyTexturesCheck)->value(), 1);

    auto* upper = find<Fl_Input>(kLambertUpperEdit);
    auto* lower = find<Fl_Input>(kLambertLowerEdit);
    EXPECT_FALSE(upper->active());
    auto* projection = find<Fl_Choice>(kProjectionList);
    projection->value(projection->find_index("Lambert Conic"));
    projection->do_callback();
    EXPECT_TRUE(upper->active() && lower->active());

    auto* lat = find<Fl_Input>(kOriginLatEdit);
    clickAndSelectAll(lat);
    typeText(win, "-23.5");
    pressKey(win, FL_Tab);
    EXPECT_STREQ(lat->value(), "23~ 30' 0.00\" S");
    EXPECT_EQ(Fl::focus(), window_.widget(kOriginLonEdit));

    clickAndSelectAll(upper);
    typeText(win, "10 N");
    clickAndSelectAll(lower);
    typeText(win, "10 S");
    pressKey(win, FL_Enter);  // the default button
    EXPECT_TRUE(win->shown());
    EXPECT_EQ(Fl::focus(), upper);
    EXPECT_EQ(upper->mark(), 0);  // whole text selected, so typing replaces it
    EXPECT_EQ(upper->position(), upper->size());
    typeText(win, "45 N");
    clickAndSelectAll(lower);
    typeText(win, "33 N");
    find<Fl_Check_Button>(kAutoObjectCheck)->value(0);
    window_.widget(kAutoObjectCheck)->do_callback();
    window_.widget(kOkButton)->do_callback();
    EXPECT_FALSE(win->shown());
  });
  EXPECT_EQ(runOptionsDialog(options_, window_), DialogResult::kOk);
  ASSERT_EQ(messages_.size(), 1u);
  EXPECT_EQ(messages_[0].first, "Bad Lambert Parallels");
  EXPECT_EQ(messages_[0].second,
            (std::vector<std::string>{"Bad Lambert Parallels",
                                      "Lambert parallels cannot be equal to each other,",
                                      "or signed opposites of each other (e.g. 10 N and 10 S)"}));
  EXPECT_EQ(options_.version, 1520);
  EXPECT_EQ(options_.projection, 3);
  EXPECT_DOUBLE_EQ(options_.originLatitude, -23.5);
  EXPECT_DOUBLE_EQ(options_.upperLambertLatitude, 45.0);
  EXPECT_DOUBLE_EQ(options_.lowerLambertLatitude, 33.0);
  EXPECT_FALSE(options_.autoObject);
  EXPECT_EQ(window_.window(), nullptr);
  // Off the screen before the export runs, which pumps no events.
  EXPECT_FALSE(server.viewable(xid));
}

TEST_F(FltkOptionsWindowTest, ARefusedEntryHoldsTheFocusUntilEscapeCancels) {
  window_.setLinkOpener([](const std::string&) { return 31; });
  window_.setShownHook([&](FltkOptionsWindow& w) {
    Fl_Window* win = w.window();
    // A link no browser can open says so in the window's own message box.
    Fl_Widget* link = window_.widget(kHyperlinkControl);
    Fl::e_x = link->x() + 2;
    Fl::e_y = link->y() + 2;
    link->handle(FL_PUSH);
    link->handle(FL_RELEASE);
    auto* lat = find<Fl_Input>(kOriginLatEdit);
    clickAndSelectAll(lat);
    typeText(win, "91");
    // A click on a check box while the entry is refused reaches neither the box
    // nor any other control: the focus stays in the edit.
    auto* copy = find<Fl_Check_Button>(kCopyTexturesCheck);
    copy->handle(FL_PUSH);
    EXPECT_EQ(copy->value(), 1);
    EXPECT_STREQ(lat->value(), "91~ 0' 0.00\" N");
    EXPECT_EQ(Fl::focus(), lat);
    pressKey(win, FL_Escape);
    EXPECT_FALSE(win->shown());
  });
  EXPECT_EQ(runOptionsDialog(options_, window_), DialogResult::kCancel);
  ASSERT_EQ(messages_.size(), 2u);
  EXPECT_EQ(messages_[0].first, "OpenFlight Export");
  EXPECT_EQ(messages_[0].second, (std::vector<std::string>{"Unable to open hyperlink:", "",
                                                           "There is no application associated",
                                                           "with the given filename extension."}));
  EXPECT_EQ(messages_[1].first, "Bad Latitude Range");
  EXPECT_DOUBLE_EQ(options_.originLatitude, 0.0);
}

}  // namespace
