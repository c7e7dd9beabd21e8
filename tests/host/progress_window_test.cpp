// The host's side of the progress window: loading its module, and the export's
// progress calls shown in the window, whose Cancel answers the cancel query.
#include "host/progress_window.h"

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
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "host/console_host.h"
#include "host/memory_scene.h"
#include "tests/support/x_client.h"

namespace {

const std::string kModule = std::string(ZORVEL_BIN_DIR) + "/" + kProgressModuleFileName;

TEST(ProgressWindowModuleTest, RefusesWhatIsNotTheModule) {
  ProgressWindow window;
  EXPECT_FALSE(window.load("no/such/zorvel_progress.so"));
  EXPECT_EQ(window.error().rfind("cannot load no/such/zorvel_progress.so: ", 0), 0u)
      << window.error();
  const std::string plugin = std::string(ZORVEL_BIN_DIR) + "/zorvel.dle";
  EXPECT_FALSE(window.load(plugin));
  EXPECT_EQ(window.error(), "cannot load " + plugin + ": it has no entry point ZorvelProgressOpen");
  EXPECT_FALSE(window.loaded());
  // Unloaded, it shows nothing and hears nothing.
  EXPECT_FALSE(window.open("Exporting OpenFlight..."));
  window.update(50);
  EXPECT_FALSE(window.cancelled());
  ASSERT_TRUE(window.load(kModule)) << window.error();
  EXPECT_TRUE(window.error().empty());
}

// The module's widgets, reached through the one FLTK both link.
struct ShownWindow {
  Fl_Window* window = nullptr;
  Fl_Box* stage = nullptr;
  Fl_Progress* bar = nullptr;
  Fl_Button* cancel = nullptr;
};

ShownWindow shownWindow() {
  ShownWindow shown;
  for (Fl_Window* w = Fl::first_window(); w; w = Fl::next_window(w))
    if (std::string(w->label()) == "Export Progress") shown.window = w;
  for (int i = 0; shown.window && i < shown.window->children(); ++i) {
    Fl_Widget* child = shown.window->child(i);
    if (auto* bar = dynamic_cast<Fl_Progress*>(child))
      shown.bar = bar;
    else if (auto* button = dynamic_cast<Fl_Button*>(child))
      shown.cancel = button;
    else if (auto* box = dynamic_cast<Fl_Box*>(child))
      shown.stage = box;
  }
  return shown;
}

TEST(HostProgressWindowTest, TheExportsProgressShowsInTheWindowAndCancelAnswersTheQuery) {
  const char* display = std::getenv("DISPLAY");
  if (!display || !*display) GTEST_SKIP() << "no DISPLAY (the xvfb-run ctest entry runs these)";
  XClient server;
  ASSERT_TRUE(server.connected());
  MemoryScene scene;
  std::ostringstream terminal;
  ProgressDisplay progress(terminal, true, false);
  ProgressWindow window;
  ASSERT_TRUE(window.load(kModule)) << window.error();
  std::vector<std::string> warnings;
  {
    ConsoleHost host(scene, progress);
    host.setWarningSink([&](const std::string& text) { warnings.push_back(text); });
    host.setProgressWindow(&window);
    host.progressStart("Exporting OpenFlight...", true, nullptr, nullptr);
    ShownWindow shown = shownWindow();
    ASSERT_NE(shown.window, nullptr);
    ASSERT_TRUE(shown.stage && shown.bar && shown.cancel);
    const Window xid = fl_xid(shown.window);
    EXPECT_TRUE(server.viewable(xid));
    EXPECT_STREQ(shown.stage->label(), "Exporting OpenFlight...");
    host.progressUpdate(10);
    host.progressUpdate(40);
    EXPECT_STREQ(shown.bar->label(), "40%");
    EXPECT_FALSE(host.getCancel());

    server.click(xid, shown.cancel->x() + 5, shown.cancel->y() + 5);
    bool cancelled = false;
    for (int i = 0; i < 200 && !cancelled; ++i) {
      std::this_thread::sleep_for(std::chrono::milliseconds(20));
      host.progressUpdate(50);
      cancelled = host.getCancel();
    }
    EXPECT_TRUE(cancelled);
    EXPECT_TRUE(host.cancelled());
    // Cancel is no Ctrl-C: the command ends with 0 for it, not 130.
    EXPECT_FALSE(host.interrupted());
    host.progressEnd();
    EXPECT_FALSE(server.viewable(xid));

    // The next export starts uncancelled, in a window of its own.
    host.progressStart("Exporting OpenFlight...", true, nullptr, nullptr);
    EXPECT_FALSE(host.getCancel());
    EXPECT_FALSE(host.cancelled());
    EXPECT_NE(shownWindow().window, nullptr);
    host.progressEnd();
    EXPECT_EQ(shownWindow().window, nullptr);
  }
  // The terminal had no bar beside the window.
  EXPECT_EQ(terminal.str(), "");
  EXPECT_TRUE(warnings.empty());
}

}  // namespace
