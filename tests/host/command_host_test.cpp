// The parts of the zorvel command best seen in-process: its command line, the
// progress display, Ctrl-C as the cancel and the plug-in loader's refusals.
#include <gtest/gtest.h>
#include <signal.h>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <sstream>
#include <string>
#include <thread>
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
  EXPECT_EQ(parse({"--version"}).exitStatus, 0);
  // A negative value is the option's, not an option of its own.
  EXPECT_EQ(parse({"--dialog=batch", "--origin-lon", "-12", "a.obj", "b.flt"}).exitStatus, -1);
}

TEST(CommandLineTest, InputsWithAFolderEachGetTheirStemThere) {
  ParsedCommandLine one = parse({"scenes/a.obj", "-o", "out"});
  ASSERT_EQ(one.exitStatus, -1);
  EXPECT_EQ(one.args.input, "scenes/a.obj");
  EXPECT_EQ(one.args.output, "out/a.flt");

  ParsedCommandLine many = parse({"-j", "3", "a.obj", "b.fbx", "c.gltf", "-o", "out/"});
  ASSERT_EQ(many.exitStatus, -1);
  EXPECT_EQ(many.args.inputs, (std::vector<std::string>{"a.obj", "b.fbx", "c.gltf"}));
  EXPECT_EQ(many.args.jobs, 3);
  EXPECT_EQ(many.args.input, "") << "the parent exports none itself";
  ParsedCommandLine child = parse({"a.obj", "b.fbx", "c.gltf", "-o", "out/", "--one-of=1"});
  EXPECT_EQ(child.args.input, "b.fbx");
  EXPECT_EQ(child.args.output, "out/b.flt");

  for (const std::vector<const char*>& bad :
       std::vector<std::vector<const char*>>{{"a.obj"},
                                             {"a.obj", "b.obj", "c.flt"},
                                             {"a.obj", "b.obj", "-o", "out", "--one-of=2"},
                                             {"-j", "0", "a.obj", "-o", "out"},
                                             {"--dialog=gui", "a.obj", "b.obj", "-o", "out"}})
    EXPECT_EQ(parse(bad).exitStatus, 2) << bad.size();
  EXPECT_EQ(parse({"--dialog=batch", "a.obj", "b.obj", "-o", "out"}).exitStatus, -1);
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

TEST(ProgressDisplayTest, TerminalRedrawsOnChangeEndsAtHundredLogsAndQuietGetNothing) {
  // What a display shows for `updates` updates of the percentage i / `step`.
  const auto shown = [](bool terminal, bool quiet, int updates, int step, bool succeeded) {
    std::ostringstream out;
    {
      ProgressDisplay bar(out, terminal, quiet);
      bar.start("T");
      for (int i = 0; i < updates; ++i) bar.update(i / step);
      bar.end();
      bar.finish(succeeded);
    }
    return out.str();
  };
  const std::string text = shown(true, false, 10000, 200, true);
  EXPECT_EQ(std::count(text.begin(), text.end(), '\r'), 51);
  EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 1);
  EXPECT_NE(text.find("\rT [##############"), std::string::npos);
  EXPECT_EQ(text.substr(text.size() - 10), "] 100%\x1b[K\n") << "a success ends full";
  const std::string failed = shown(true, false, 10000, 200, false);
  EXPECT_EQ(failed.substr(failed.size() - 9), "] 49%\x1b[K\n") << "a failure stays where it was";
  EXPECT_EQ(shown(false, false, 100000, 1000, true), "");
  EXPECT_EQ(shown(true, true, 100, 1, true), "");

  // A message between two updates gets its own line, then the bar comes back.
  std::ostringstream out;
  ProgressDisplay bar(out, true, false);
  bar.start("T");
  bar.breakLine();
  out << "zorvel: warning: x\n";
  bar.update(0);
  bar.end();
  bar.finish(false);
  EXPECT_EQ(out.str(),
            "\rT [..............................] 0%\x1b[K\nzorvel: warning: x\n"
            "\rT [..............................] 0%\x1b[K\n");
}

TEST(ProgressDisplayTest, LinesFitTheTerminalAndShowTheSecondsOfALongStep) {
  const std::string title = "Exporting OpenFlight...";
  for (int columns : {20, 30, 40, 50, 80, 200}) {
    SCOPED_TRACE(columns);
    for (int seconds : {0, 9, 12345}) {
      const std::string line = ProgressDisplay::line(title, 100, seconds, columns);
      EXPECT_LT(line.size(), size_t(columns)) << line;
    }
  }
  EXPECT_EQ(ProgressDisplay::line(title, 50, 0, 40), "Exporting OpenFlight... [####.....] 50%");
  EXPECT_EQ(ProgressDisplay::line(title, 50, 3, 80),
            "Exporting OpenFlight... [###############...............] 50%  3 s");
  EXPECT_EQ(ProgressDisplay::line(title, 7, 0, 30), "Exporting OpenFlight... 7%");

  // While one step takes more than a second, the seconds show; the next update clears them.
  std::ostringstream out;
  {
    ProgressDisplay bar(out, true, false);
    bar.start("T");
    bar.update(10);
    std::this_thread::sleep_for(std::chrono::milliseconds(1300));
    bar.update(20);
    bar.end();
    bar.finish(true);
  }
  const std::string text = out.str();
  const size_t seconds = text.find("] 10%  1 s");
  ASSERT_NE(seconds, std::string::npos) << text;
  EXPECT_NE(text.find("] 20%\x1b[K", seconds), std::string::npos) << text;
}

TEST(ConsoleHostTest, CtrlCDuringTheExportAnswersTheCancelQueryAndIsReleasedAfter) {
  MemoryScene scene;
  std::ostringstream out;
  ProgressDisplay progress(out, false, true);
  struct sigaction before = {};
  sigaction(SIGINT, nullptr, &before);
  if (before.sa_handler == SIG_IGN) GTEST_SKIP() << "SIGINT is ignored in this run";
  {
    ConsoleHost host(scene, progress);
    host.progressStart("T", true, nullptr, nullptr);
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

// The zorvel command's own tests cover a missing module and unknown extensions.
TEST(PluginModuleTest, RefusesALibraryWithoutTheEntryPoints) {
  PluginModule module;
  EXPECT_FALSE(module.load("libm.so.6"));
  EXPECT_EQ(module.error().rfind("cannot load libm.so.6: it has no entry point LibDescription", 0),
            0u)
      << module.error();
  EXPECT_FALSE(module.loaded());
  EXPECT_EQ(module.findExporter("flt"), nullptr);

  ASSERT_TRUE(module.load(std::string(ZORVEL_BIN_DIR) + "/zorvel.dle")) << module.error();
  EXPECT_NE(module.findExporter("Flt"), nullptr);
  EXPECT_EQ(module.findExporter(""), nullptr);
  EXPECT_EQ(module.error(), "no exporter for files without an extension");
}

}  // namespace
