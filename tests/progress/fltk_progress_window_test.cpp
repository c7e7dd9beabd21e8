// The progress window under a real X display (the ctest entry runs it in xvfb):
// what it shows, and every way a user cancels, as the server delivers them.
#include "progress/fltk_progress_window.h"

// Before X11, whose macros (None, Bool) would break it.
#include <gtest/gtest.h>

#include <FL/Fl.H>
#include <FL/Fl_Box.H>
#include <FL/Fl_Button.H>
#include <FL/Fl_Progress.H>
#include <FL/Fl_Window.H>
#include <FL/x.H>

#include <chrono>
#include <cstdlib>
#include <string>
#include <thread>

#include "tests/support/x_client.h"

namespace {

class FltkProgressWindowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    const char* display = std::getenv("DISPLAY");
    if (!display || !*display) GTEST_SKIP() << "no DISPLAY (the xvfb-run ctest entry runs these)";
    ASSERT_TRUE(server_.connected());
    ASSERT_TRUE(window_.show("Exporting OpenFlight..."));
    xid_ = fl_xid(window_.window());
  }

  // Pumps as the export does between nodes, until the window hears a cancel.
  bool pumpUntilCancelled() {
    for (int i = 0; i < 200 && !window_.cancelled(); ++i) {
      std::this_thread::sleep_for(std::chrono::milliseconds(20));
      window_.pump();
    }
    return window_.cancelled();
  }

  XClient server_;
  FltkProgressWindow window_;
  Window xid_ = 0;
};

TEST_F(FltkProgressWindowTest, ShowsTheStageAndPercentUntilClosed) {
  EXPECT_STREQ(window_.window()->label(), "Export Progress");
  EXPECT_TRUE(server_.viewable(xid_));
  EXPECT_STREQ(window_.stage()->label(), "Exporting OpenFlight...");
  EXPECT_STREQ(window_.bar()->label(), "0%");
  for (int percent : {1, 40, 99, 100}) {
    window_.setPercent(percent);
    EXPECT_EQ(window_.bar()->value(), float(percent));
    EXPECT_EQ(window_.bar()->label(), std::to_string(percent) + "%");
  }
  // A percent out of range still draws a bar that fits.
  window_.setPercent(140);
  EXPECT_STREQ(window_.bar()->label(), "100%");
  window_.setPercent(-5);
  EXPECT_EQ(window_.bar()->value(), 0.0f);
  window_.setStage("Copying textures...");
  EXPECT_STREQ(window_.stage()->label(), "Copying textures...");
  window_.pump();
  EXPECT_FALSE(window_.cancelled());

  window_.close();
  EXPECT_EQ(window_.window(), nullptr);
  // Gone from the screen at once, without an event loop after it.
  EXPECT_FALSE(server_.viewable(xid_));
}

TEST_F(FltkProgressWindowTest, AClickOnCancelIsHeardAndShownAsTaken) {
  Fl_Button* cancel = window_.cancelButton();
  EXPECT_STREQ(cancel->label(), "Cancel");
  window_.pump();
  server_.click(xid_, cancel->x() + cancel->w() / 2, cancel->y() + cancel->h() / 2);
  ASSERT_TRUE(pumpUntilCancelled());
  EXPECT_FALSE(cancel->active());
  EXPECT_STREQ(window_.stage()->label(), "Cancelling...");
  EXPECT_TRUE(server_.viewable(xid_));
  // A click beside the button cancels nothing.
  FltkProgressWindow other;
  ASSERT_TRUE(other.show("Exporting OpenFlight..."));
  server_.click(fl_xid(other.window()), 5, 5);
  for (int i = 0; i < 10; ++i) {
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    other.pump();
  }
  EXPECT_FALSE(other.cancelled());
}

TEST_F(FltkProgressWindowTest, EscapeCancels) {
  server_.pressKey(xid_, XK_Escape);
  EXPECT_TRUE(pumpUntilCancelled());
  EXPECT_FALSE(window_.cancelButton()->active());
}

TEST_F(FltkProgressWindowTest, ClosingTheWindowCancels) {
  server_.closeWindow(xid_);
  EXPECT_TRUE(pumpUntilCancelled());
  EXPECT_FALSE(window_.window()->shown());
}

}  // namespace
