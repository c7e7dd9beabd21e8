// The dialog's web link: its state and colors, the messages of a failed open, opening
// through xdg-open or the desktop's text/html handler (with a scripted launcher), the
// desktop entry's Exec line, the real process launcher, and the FLTK widget.
#include "options/hyperlink.h"

#include <FL/Fl.H>
#include <FL/Fl_Window.H>
#include <gtest/gtest.h>
#include <signal.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>

#include "options/desktop_entry.h"
#include "options/link_opener.h"
#include "options/process_launcher.h"
#include "tests/support/temp_dir.h"
#include "window/hyperlink_widget.h"

namespace fs = std::filesystem;

namespace {

using Args = std::vector<std::string>;
using Kind = LaunchOutcome::Kind;

constexpr LinkColor kHover{10, 36, 106};

class RecordingView : public HyperlinkView {
 public:
  void repaint() override { ++repaints; }
  void fitToText() override { ++fits; }
  void openFailed(const std::string& message) override { failures.push_back(message); }

  int repaints = 0;
  int fits = 0;
  std::vector<std::string> failures;
};

TEST(HyperlinkTest, ColorFollowsHoverAndVisitedState) {
  int result = 42;
  std::vector<std::string> opened;
  Hyperlink link(kHover, [&](const std::string& target) {
    opened.push_back(target);
    return result;
  });
  RecordingView view;
  link.setView(&view);
  link.setLinkTarget("https://example.org/");
  link.attach("Visit our Website");

  EXPECT_EQ(link.textColor(), (LinkColor{0, 0, 238}));
  EXPECT_EQ(link.cursor(), LinkCursor::kArrow);

  link.mouseMove(true);
  EXPECT_TRUE(link.over());
  EXPECT_EQ(link.textColor(), kHover);
  EXPECT_EQ(link.cursor(), LinkCursor::kHand);
  link.mouseMove(true);  // moving inside changes nothing
  EXPECT_EQ(view.repaints, 1);

  EXPECT_EQ(link.click(), 42);
  EXPECT_EQ(opened, Args{"https://example.org/"});
  EXPECT_TRUE(link.visited());
  EXPECT_EQ(link.textColor(), kHover) << "hover beats visited";
  link.mouseMove(false);
  EXPECT_EQ(link.textColor(), (LinkColor{85, 26, 139}));
  EXPECT_EQ(link.cursor(), LinkCursor::kArrow);
  EXPECT_TRUE(view.failures.empty());

  // A failed open clears the visited state and reports the failure.
  result = 31;
  const int repaintsBefore = view.repaints;
  EXPECT_EQ(link.click(), 31);
  EXPECT_FALSE(link.visited());
  EXPECT_EQ(link.textColor(), (LinkColor{0, 0, 238}));
  EXPECT_GT(view.repaints, repaintsBefore);
  EXPECT_EQ(view.failures, Args{openErrorMessage(31)});
}

TEST(HyperlinkTest, AttachingTakesTextAndTargetFromEachOther) {
  RecordingView view;
  Hyperlink fromText(kHover, [](const std::string&) { return 42; });
  fromText.setView(&view);
  fromText.setVisited(true);
  EXPECT_EQ(view.repaints, 0) << "no window to repaint yet";
  EXPECT_EQ(fromText.tooltip(), "");
  fromText.attach("https://from.text/");
  EXPECT_EQ(fromText.linkTarget(), "https://from.text/");
  EXPECT_EQ(fromText.tooltip(), "https://from.text/");
  EXPECT_EQ(view.fits, 1);

  Hyperlink fromTarget(kHover, [](const std::string&) { return 42; });
  fromTarget.setLinkTarget("https://target/");
  fromTarget.attach("");
  EXPECT_EQ(fromTarget.text(), "https://target/");

  // A new target once attached: refitted, and the tooltip follows.
  fromText.setLinkTarget("https://new/");
  EXPECT_EQ(fromText.tooltip(), "https://new/");
  EXPECT_EQ(fromText.text(), "https://from.text/");
  EXPECT_EQ(view.fits, 2);
}

// Results the list lacks (12 lies in a gap) and those of our own read as unknown.
TEST(HyperlinkTest, FailedOpenMessagesNameEachResult) {
  const std::string heading = "Unable to open hyperlink:\n\n";
  EXPECT_EQ(openErrorMessage(0), heading + "The operating system is out\nof memory or resources.");
  EXPECT_EQ(openErrorMessage(5),
            heading + "The operating system denied\naccess to the specified file.");
  EXPECT_EQ(openErrorMessage(32), heading + "The specified dynamic-link library was not found.");
  EXPECT_EQ(openErrorMessage(12), heading + "Unknown Error (12) occurred.");
  EXPECT_EQ(openErrorMessage(-137), heading + "Unknown Error (-137) occurred.");
}

// Answers each program by name from a script and records every call.
class ScriptedLauncher : public ProgramLauncher {
 public:
  LaunchOutcome run(const Args& argv) override {
    calls.push_back(argv);
    auto found = outcomes.find(argv.at(0));
    return found == outcomes.end() ? LaunchOutcome{Kind::kNotStarted, ENOENT} : found->second;
  }
  LaunchOutcome capture(const Args& argv, std::string& output) override {
    output = mimeOutput;
    return run(argv);
  }

  std::map<std::string, LaunchOutcome> outcomes;
  std::string mimeOutput;
  std::vector<Args> calls;
};

class LinkOpenerTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_FALSE(temp_.path().empty()); }
  void writeEntry(const std::string& relative, const std::string& text) {
    fs::create_directories((dir_ / relative).parent_path());
    std::ofstream(dir_ / relative) << text;
  }
  int open(const std::string& target) {
    return LinkOpener(launcher_, {(dir_ / "none").string(), dir_.string()}).open(target);
  }

  TempDir temp_{"zorvel_link"};
  fs::path dir_ = temp_.path();
  ScriptedLauncher launcher_;
};

TEST_F(LinkOpenerTest, XdgOpenGetsTheTargetAsOneArgument) {
  const std::string target = "https://example.org/a b;$(touch x)&c=1";
  launcher_.outcomes["xdg-open"] = {Kind::kExited, 0};
  EXPECT_EQ(open(target), 33);
  EXPECT_EQ(launcher_.calls, (std::vector<Args>{{"xdg-open", target}}));

  // A browser that xdg-open leaves running has opened the link.
  launcher_.outcomes["xdg-open"] = {Kind::kRunning, 0};
  EXPECT_GT(open(target), 32);

  // Something a program would read as an option never reaches one.
  launcher_.calls.clear();
  EXPECT_EQ(open("--new-instance"), 2);
  EXPECT_EQ(open(""), 2);
  EXPECT_TRUE(launcher_.calls.empty());
}

TEST_F(LinkOpenerTest, FallsBackToTheDesktopsHtmlHandler) {
  launcher_.outcomes["xdg-open"] = {Kind::kExited, 4};
  launcher_.outcomes["xdg-mime"] = {Kind::kExited, 0};
  launcher_.outcomes["/opt/web/browser"] = {Kind::kRunning, 0};
  launcher_.mimeOutput = "vendor-web.desktop\n";
  // The id's '-' is a subfolder here; the action group's Exec is not the entry's.
  writeEntry("vendor/web.desktop",
             "[Desktop Action private]\nExec=/opt/web/browser --private %u\n\n"
             "[Desktop Entry]\nName=Web\nExec = \"/opt/web/browser\" --new-window %U --trailing\n");

  EXPECT_EQ(open("https://example.org/"), 33);
  ASSERT_EQ(launcher_.calls.size(), 3u);
  EXPECT_EQ(launcher_.calls[1], (Args{"xdg-mime", "query", "default", "text/html"}));
  EXPECT_EQ(launcher_.calls[2], (Args{"/opt/web/browser", "--new-window", "https://example.org/"}));

  // A handler that cannot be started maps onto the listed texts; one that is not
  // installed leaves no application for the link.
  launcher_.outcomes.erase("/opt/web/browser");
  EXPECT_EQ(open("https://example.org/"), 31);
  launcher_.outcomes["/opt/web/browser"] = {Kind::kNotStarted, EACCES};
  EXPECT_EQ(open("https://example.org/"), 5);
  launcher_.outcomes["/opt/web/browser"] = {Kind::kSignalled, SIGKILL};
  EXPECT_EQ(openErrorText(open("https://example.org/")), "Unknown Error (-137) occurred.");
}

TEST_F(LinkOpenerTest, WithoutAHandlerTheXdgOpenFailureStands) {
  // Neither program installed: no application opens the link.
  EXPECT_EQ(open("https://example.org/"), 31);
  ASSERT_EQ(launcher_.calls.size(), 2u);

  // xdg-open found no tool and the desktop names no handler.
  launcher_.outcomes["xdg-open"] = {Kind::kExited, 3};
  launcher_.outcomes["xdg-mime"] = {Kind::kExited, 0};
  launcher_.mimeOutput = "";
  EXPECT_EQ(open("https://example.org/"), 31);

  // A named handler whose entry is nowhere: xdg-open's own failure is reported.
  launcher_.outcomes["xdg-open"] = {Kind::kExited, 4};
  launcher_.mimeOutput = "gone.desktop\n";
  EXPECT_EQ(openErrorText(open("https://example.org/")), "Unknown Error (-4) occurred.");

  // An id that leaves the applications folders is no entry at all.
  writeEntry("evil.desktop", "[Desktop Entry]\nExec=evil\n");
  launcher_.mimeOutput = "../" + dir_.filename().string() + "/evil.desktop";
  launcher_.calls.clear();
  EXPECT_EQ(open("https://example.org/"), -4);
  EXPECT_EQ(launcher_.calls.size(), 2u);
}

TEST(DesktopEntryTest, ExecLineBecomesTheHandlersArguments) {
  const std::string t = "https://t/";
  EXPECT_EQ(desktopExecCommand("firefox %u", t), (Args{"firefox", t}));
  EXPECT_EQ(desktopExecCommand("chromium %U --after", t), (Args{"chromium", t}));
  EXPECT_EQ(desktopExecCommand("viewer --flag %f", t), (Args{"viewer", "--flag", t}));
  EXPECT_EQ(desktopExecCommand("viewer \"%F\"", t), (Args{"viewer", t}));
  // Quoting, escapes of the value and of the quotes, %% and the other field codes.
  EXPECT_EQ(desktopExecCommand(R"("/opt/My App/run" --name="a \"b\"" 100%% %i %c %u)", t),
            (Args{"/opt/My App/run", "--name=a \"b\"", "100%", t}));
  // "\s" is a space between arguments; "\\\\" in quotes is one backslash.
  EXPECT_EQ(desktopExecCommand(R"(run\s"c\\\\d" %u)", t), (Args{"run", "c\\d", t}));
  // "%%u" is a percent sign and a u, not the field code.
  EXPECT_EQ(desktopExecCommand("run 50%%u %u", t), (Args{"run", "50%u", t}));
  EXPECT_TRUE(desktopExecCommand("%u", t).empty());
  EXPECT_TRUE(desktopExecCommand("   ", t).empty());

  std::istringstream noEntry("[Desktop Action x]\nExec=x\n");
  EXPECT_FALSE(desktopEntryExec(noEntry));
}

TEST(ProcessLauncherTest, RunsProgramsWithoutAShell) {
  ProcessLauncher launcher(std::chrono::milliseconds(3000), std::chrono::milliseconds(3000));
  LaunchOutcome ok = launcher.run({"true"});
  EXPECT_EQ(ok.kind, Kind::kExited);
  EXPECT_EQ(ok.code, 0);
  EXPECT_EQ(launcher.run({"false"}).code, 1);
  LaunchOutcome missing = launcher.run({"zorvel-no-such-program"});
  EXPECT_EQ(missing.kind, Kind::kNotStarted);
  EXPECT_EQ(missing.code, ENOENT);
  EXPECT_EQ(launchResult(missing), 2);

  // Every character reaches the program as it was written.
  std::string output;
  const std::string text = "a;b $(echo x) `c` | d > e";
  LaunchOutcome printed = launcher.capture({"printf", "%s", text}, output);
  EXPECT_EQ(printed.kind, Kind::kExited);
  EXPECT_EQ(output, text);
  EXPECT_EQ(launcher.capture({"zorvel-no-such-program"}, output).kind, Kind::kNotStarted);

  // Neither waits on a long-running program: run leaves it, capture kills it.
  ProcessLauncher impatient(std::chrono::milliseconds(100), std::chrono::milliseconds(200));
  auto start = std::chrono::steady_clock::now();
  LaunchOutcome browser = impatient.run({"sleep", "3"});
  EXPECT_EQ(browser.kind, Kind::kRunning);
  EXPECT_EQ(launchResult(browser), 33);
  LaunchOutcome stuck = impatient.capture({"sleep", "3"}, output);
  EXPECT_EQ(stuck.kind, Kind::kSignalled);
  EXPECT_EQ(stuck.code, SIGKILL);
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(2000));
}

TEST(HyperlinkWidgetTest, HoverClickAndFailureInTheWindow) {
  const char* display = std::getenv("DISPLAY");
  if (!display || !*display) GTEST_SKIP() << "no DISPLAY (run under xvfb-run)";
  Fl::visual(FL_RGB);
  Fl_Window window(300, 100);
  int result = 2;
  auto* widget = new HyperlinkWidget(20, 20, 250, 30, "Visit our Website", "https://example.org/",
                                     [&](const std::string&) { return result; });
  Args failures;
  widget->setFailureSink([&](const std::string& message) { failures.push_back(message); });
  window.end();
  window.show();
  Fl::check();

  EXPECT_STREQ(widget->tooltip(), "https://example.org/");
  EXPECT_LT(widget->w(), 250) << "fitted to its text";
  EXPECT_EQ(widget->x(), 20) << "left aligned text keeps its left edge";
  EXPECT_EQ(widget->y() + widget->h() / 2, 35) << "and its vertical centre";

  const int cx = widget->x() + 2, cy = widget->y() + 2;
  auto mouse = [&](int event, int x) {
    Fl::e_x = x;
    Fl::e_y = cy;
    widget->handle(event);
  };
  mouse(FL_ENTER, cx);
  EXPECT_EQ(widget->link().textColor(), HyperlinkWidget::highlightColor());
  mouse(FL_MOVE, widget->x() + widget->w() + 5);
  EXPECT_FALSE(widget->link().over());

  mouse(FL_PUSH, cx);
  mouse(FL_RELEASE, cx);
  EXPECT_EQ(failures, Args{openErrorMessage(2)});
  result = 42;
  mouse(FL_PUSH, cx);
  mouse(FL_RELEASE, cx);
  EXPECT_TRUE(widget->link().visited());
  EXPECT_EQ(failures.size(), 1u);
  Fl::check();
  window.hide();
}

}  // namespace
