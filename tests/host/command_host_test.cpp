// The parts of the zorvel command best seen in-process: its command line, the
// progress display, Ctrl-C as the cancel and the plug-in loader's refusals.
#include <gtest/gtest.h>
#include <signal.h>

#include <csignal>
#include <sstream>
#include <string>
#include <vector>

#include "host/command_line.h"
#include "host/console_host.h"
#include "host/plugin_loader.h"

namespace {

ParsedCommandLine parse(std::vector<const char*> args) {
  args.insert(args.begin(), "zorvel");
  std::ostringstream out, err;
  return parseCommandLine(int(args.size()), args.data(), out, err);
}

TEST(CommandLineTest, TakesTheFieldsAndSwitchesAsGiven) {
  ParsedCommandLine p =
      parse({"--dialog=batch", "--format", "15.4", "--origin-lat=-23 30 00", "--no-copy-textures",
             "--auto-group", "--up-axis=z", "--quiet", "in.fbx", "out.flt"});
  ASSERT_EQ(p.exitStatus, -1);
  const CommandLine& a = p.args;
  EXPECT_EQ(a.input, "in.fbx");
  EXPECT_EQ(a.output, "out.flt");
  EXPECT_EQ(a.dialog, DialogView::kBatch);
  EXPECT_EQ(a.fields.format, "15.4");
  EXPECT_EQ(a.fields.originLat, "-23 30 00");
  EXPECT_FALSE(a.fields.units.has_value());
  EXPECT_EQ(a.fields.copyTextures, false);
  EXPECT_EQ(a.fields.autoGroup, true);
  EXPECT_FALSE(a.fields.autoObject.has_value()) << "an absent switch keeps the dialog's tick";
  EXPECT_EQ(a.upAxis, UpAxis::kZ);
  EXPECT_TRUE(a.quiet);
  EXPECT_FALSE(a.noPrompt);

  EXPECT_EQ(parse({"a.obj", "b.flt"}).args.upAxis, UpAxis::kAuto);
  EXPECT_EQ(parse({"--help"}).exitStatus, 0);
}

TEST(CommandLineTest, DefaultDialogFollowsTheConsole) {
  CommandLine plain;
  const ConsoleState desktop{true, true, true}, tty{false, true, true}, piped{true, false, true};
  EXPECT_EQ(chooseDialogView(plain, desktop), DialogView::kWindow);
  EXPECT_EQ(chooseDialogView(plain, tty), DialogView::kTerminal);
  EXPECT_EQ(chooseDialogView(plain, piped), DialogView::kBatch);
  EXPECT_EQ(chooseDialogView(plain, ConsoleState{true, true, false}), DialogView::kBatch);

  CommandLine typed;
  typed.fields.units = "Feet";
  EXPECT_EQ(chooseDialogView(typed, desktop), DialogView::kBatch) << "fields need batch";
  typed.dialog = DialogView::kTerminal;
  EXPECT_EQ(chooseDialogView(typed, piped), DialogView::kTerminal);
}

TEST(ProgressDisplayTest, RedrawsOnATerminalOnlyWhenThePercentageChanges) {
  std::ostringstream out;
  ProgressDisplay bar(out, true, false);
  bar.start("Exporting OpenFlight...");
  for (int i = 0; i < 10000; ++i) bar.update(i / 200);
  bar.end();
  const std::string text = out.str();
  EXPECT_EQ(std::count(text.begin(), text.end(), '\r'), 50);
  EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 1);
  EXPECT_NE(text.find("\rExporting OpenFlight... [##############"), std::string::npos);
  EXPECT_EQ(text.substr(text.size() - 5), " 49%\n");

  // A message between two updates gets its own line, then the bar comes back.
  std::ostringstream out2;
  ProgressDisplay bar2(out2, true, false);
  bar2.start("T");
  bar2.breakLine();
  out2 << "zorvel: warning: x\n";
  bar2.update(0);
  EXPECT_EQ(out2.str(),
            "\rT [..............................] 0%\nzorvel: warning: x\n"
            "\rT [..............................] 0%");
}

TEST(ProgressDisplayTest, PrintsAFewPlainLinesElsewhereAndNothingWhenQuiet) {
  std::ostringstream out;
  ProgressDisplay lines(out, false, false);
  lines.start("Exporting OpenFlight...");
  for (int i = 0; i < 100000; ++i) lines.update(i / 1000);
  lines.end();
  EXPECT_EQ(out.str(),
            "Exporting OpenFlight... 0%\nExporting OpenFlight... 25%\n"
            "Exporting OpenFlight... 50%\nExporting OpenFlight... 75%\n"
            "Exporting OpenFlight... 99%\n");

  std::ostringstream silent;
  ProgressDisplay quiet(silent, true, true);
  quiet.start("T");
  quiet.update(50);
  quiet.end();
  EXPECT_EQ(silent.str(), "");
}

TEST(ConsoleHostTest, CtrlCDuringTheExportAnswersTheCancelQueryAndIsReleasedAfter) {
  MemoryScene scene;
  std::ostringstream out;
  ProgressDisplay progress(out, false, true);
  struct sigaction before = {};
  sigaction(SIGINT, nullptr, &before);
  {
    ConsoleHost host(scene, progress);
    EXPECT_EQ(host.rootNode(), &scene.root());
    EXPECT_EQ(host.bitmapManager(), &scene.bitmapManager());
    host.progressStart("T", true, nullptr, nullptr);
    if (before.sa_handler == SIG_IGN) GTEST_SKIP() << "SIGINT is ignored in this run";
    host.progressUpdate(10);
    host.progressUpdate(20);
    EXPECT_FALSE(host.getCancel());
    std::raise(SIGINT);
    EXPECT_TRUE(host.getCancel());
    EXPECT_TRUE(host.interrupted());
    EXPECT_EQ(host.nodesFinished(), 2);
    host.progressEnd();
  }
  struct sigaction after = {};
  sigaction(SIGINT, nullptr, &after);
  EXPECT_EQ(after.sa_handler, before.sa_handler);

  // A fresh export starts without the last one's interrupt.
  ConsoleHost again(scene, progress);
  again.progressStart("T", true, nullptr, nullptr);
  EXPECT_FALSE(again.getCancel());
  again.progressEnd();
}

TEST(PluginModuleTest, RefusesFilesThatAreNoModuleOfThisHost) {
  PluginModule module;
  EXPECT_FALSE(module.load("/nonexistent/zorvel.dle"));
  EXPECT_EQ(module.error().rfind("cannot load /nonexistent/zorvel.dle: ", 0), 0u) << module.error();
  // A real shared library without the entry points.
  EXPECT_FALSE(module.load("libm.so.6"));
  EXPECT_NE(module.error().find("no entry point LibDescription"), std::string::npos)
      << module.error();
  EXPECT_FALSE(module.loaded());
  EXPECT_EQ(module.findExporter("flt"), nullptr);

  ASSERT_TRUE(module.load(std::string(ZORVEL_BIN_DIR) + "/zorvel.dle")) << module.error();
  ASSERT_NE(module.findExporter("Flt"), nullptr) << "extensions match in any case";
  EXPECT_EQ(module.findExporter(""), nullptr);
  EXPECT_EQ(module.error(), "no exporter for files without an extension");
}

}  // namespace
