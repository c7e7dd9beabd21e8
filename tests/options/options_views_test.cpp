// The batch and terminal views of the options dialog.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <iostream>
#include <sstream>
#include <string>

#include "convert/texture_source.h"
#include "host/test_host.h"
#include "options/batch_options_view.h"
#include "options/export_options.h"
#include "options/run_options_dialog.h"
#include "plugin/open_zorvel.h"
#include "tests/convert/export_test_support.h"

namespace {

class BatchOptionsViewTest : public ::testing::Test {
 protected:
  DialogResult run() {
    BatchOptionsView view(values_, errors_);
    return runOptionsDialog(options_, textures_, view);
  }

  DialogFieldValues values_;
  std::ostringstream errors_;
  ExportOptions options_;
  TextureSource textures_;
};

TEST_F(BatchOptionsViewTest, TypesEveryFieldAndPressesOk) {
  values_.format = "15.4";
  values_.projection = "Lambert Conic";  // enables the Lambert edits typed after it
  values_.ellipsoid = "nad 1927";
  values_.units = "Feet";
  values_.originLat = "-23.5";
  values_.originLon = "10 30 00 W";
  values_.lambertUpper = "45 N";
  values_.lambertLower = "33";
  values_.copyTextures = false;
  values_.autoGroup = false;
  EXPECT_EQ(run(), DialogResult::kOk);
  EXPECT_EQ(errors_.str(), "");
  EXPECT_EQ(options_.version, 1540);
  EXPECT_EQ(options_.projection, 3);
  EXPECT_EQ(options_.ellipsoid, 4);
  EXPECT_EQ(options_.units, 4);
  EXPECT_DOUBLE_EQ(options_.originLatitude, -23.5);
  EXPECT_DOUBLE_EQ(options_.originLongitude, -10.5);
  EXPECT_DOUBLE_EQ(options_.upperLambertLatitude, 45.0);
  EXPECT_DOUBLE_EQ(options_.lowerLambertLatitude, 33.0);
  EXPECT_FALSE(options_.copyTextures);
  EXPECT_FALSE(textures_.copyTextures());
  EXPECT_FALSE(options_.autoGroup);
  EXPECT_TRUE(options_.autoObject);
}

TEST_F(BatchOptionsViewTest, AMessageDialogIsBadUsage) {
  values_.originLat = "91";
  values_.units = "Feet";
  EXPECT_EQ(run(), DialogResult::kBadUsage);
  EXPECT_EQ(errors_.str(),
            "Latitude Out Of Range\nLatitudes should fall within +/- 90 degrees\n"
            "(in the field Origin Latitude)\n");
  EXPECT_EQ(options_.units, 0);  // nothing stored
}

TEST_F(BatchOptionsViewTest, ValuesTheFormRefusesAreBadUsage) {
  values_.lambertUpper = "45";  // the projection shown is Flat Earth
  EXPECT_EQ(run(), DialogResult::kBadUsage);
  EXPECT_NE(errors_.str().find("Lambert Upper: the field is disabled"), std::string::npos);

  errors_.str("");
  values_ = {};
  values_.format = "14";  // listed by the attribute table, not offered by the dialog
  EXPECT_EQ(run(), DialogResult::kBadUsage);
  EXPECT_NE(errors_.str().find("Version: no entry \"14\""), std::string::npos);
}

// The exporter with the standard dialog: batch values reach the header, and a
// refused batch fails the export as bad usage without writing anything.
TEST(OptionsDialogRun, ExporterRunsTheBatchDialog) {
  ExportWorkDir dir;
  MemoryScene scene;
  TestHost host(scene);
  TestExportInterface ei;
  OpenZorvel exporter;
  exporter.useStandardOptionsDialog();
  ei.values.units = "Feet";
  ei.values.originLat = "12 30 S";
  const std::string good = dir.path() + "/good.flt";
  ASSERT_EQ(exporter.doExport(good.c_str(), &ei, &host, false), 1);
  FltReadBack out = readBackFlt(good);
  EXPECT_EQ(out.header.vertexUnits, 4);
  EXPECT_DOUBLE_EQ(out.header.originLat, -12.5);

  ei.values.originLat = "12 30 X";
  ei.values.projection = "Mercator";
  const std::string bad = dir.path() + "/bad.flt";
  testing::internal::CaptureStderr();
  EXPECT_EQ(exporter.doExport(bad.c_str(), &ei, &host, false), 0);
  EXPECT_NE(testing::internal::GetCapturedStderr().find("Projection: no entry \"Mercator\""),
            std::string::npos);
  ASSERT_EQ(ei.errors.size(), 1u);
  EXPECT_NE(ei.errors[0].find("refused"), std::string::npos);
  EXPECT_FALSE(std::filesystem::exists(bad));
  EXPECT_DOUBLE_EQ(exporter.options().originLatitude, -12.5);
}

// Runs the terminal form in a child whose standard input and output are pipes,
// as a script would drive it; returns what it printed and its final options.
std::string runTerminalThroughPipes(const std::string& input) {
  int in[2], out[2];
  if (pipe(in) != 0 || pipe(out) != 0) return "pipe failed";
  std::cout.flush();
  pid_t child = fork();
  if (child == 0) {
    dup2(in[0], 0);
    dup2(out[1], 1);
    close(in[0]), close(in[1]), close(out[0]), close(out[1]);
    ExportOptions options;
    TextureSource textures;
    TestExportInterface ei;
    ei.view = DialogView::kTerminal;
    DialogResult result = runOptionsDialog(options, textures, ei);
    std::cout << "\nRESULT " << static_cast<int>(result) << ' ' << options.version << ' '
              << options.projection << ' ' << options.units << ' ' << options.originLatitude << ' '
              << options.upperLambertLatitude << ' ' << options.lowerLambertLatitude << ' '
              << options.copyTextures << std::endl;
    _exit(0);
  }
  close(in[0]);
  close(out[1]);
  if (write(in[1], input.data(), input.size()) != static_cast<ssize_t>(input.size()))
    return "write failed";
  close(in[1]);
  std::string output;
  char buffer[4096];
  for (ssize_t n; (n = read(out[0], buffer, sizeof buffer)) > 0;) output.append(buffer, n);
  close(out[0]);
  int status = 0;
  waitpid(child, &status, 0);
  return output;
}

TEST(TerminalOptionsForm, DrivenThroughAPipe) {
  std::string output = runTerminalThroughPipes(
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
      "o\n");
  EXPECT_NE(output.find("Origin Latitude [0~ 0' 0.00\" N]: "), std::string::npos) << output;
  EXPECT_NE(output.find("*** Bad Coordinate Format ***\nBAD COORDINATE FORMAT\n"),
            std::string::npos);
  EXPECT_NE(output.find("*** Bad Lambert Parallels ***"), std::string::npos);
  EXPECT_NE(output.find("Lambert Upper [10~ 0' 0.00\" N]: "), std::string::npos);
  EXPECT_NE(output.find("\nRESULT 1 1540 3 4 -23.5 45 -10 0\n"), std::string::npos) << output;
}

TEST(TerminalOptionsForm, EndOfInputCancelsAndSkipsDisabledFields) {
  std::string output = runTerminalThroughPipes("\n\n\n\n12\n\n");
  EXPECT_NE(output.find("Lambert Upper [45~ 0' 0.00\" N] (disabled"), std::string::npos) << output;
  EXPECT_NE(output.find("(end of input: cancelled)"), std::string::npos);
  EXPECT_NE(output.find("\nRESULT 0 1540 0 0 0 45 33 1\n"), std::string::npos) << output;
}

}  // namespace
