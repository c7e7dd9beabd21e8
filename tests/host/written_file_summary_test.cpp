#include "host/written_file_summary.h"

#include <gtest/gtest.h>

#include <fstream>
#include <string>

#include "tests/support/temp_dir.h"

namespace {

std::string record(unsigned opcode, unsigned length) {
  std::string r(length, '\0');
  r[0] = char(opcode >> 8);
  r[1] = char(opcode);
  r[2] = char(length >> 8);
  r[3] = char(length);
  return r;
}

WrittenFileSummary summaryOf(const std::string& bytes) {
  TempDir dir;
  const std::string path = dir.path() + "/x.flt";
  std::ofstream(path, std::ios::binary) << bytes;
  return summarizeWrittenFile(path);
}

// The figures come from the records' heads, and stop where a head makes no sense
// or a record runs past the end of the file.
TEST(WrittenFileSummaryTest, CountsEachKindAndStopsAtABrokenRecord) {
  const std::string whole = record(1, 16) + record(113, 84) + record(64, 216) + record(67, 8) +
                            record(68, 40) + record(70, 64) + record(71, 48) + record(10, 4) +
                            record(5, 80) + record(72, 12) + record(5, 80) + record(72, 12) +
                            record(11, 4);
  const WrittenFileSummary s = summaryOf(whole);
  EXPECT_TRUE(s.readable);
  EXPECT_EQ(s.faces, 2);
  EXPECT_EQ(s.vertices, 3);
  EXPECT_EQ(s.materials, 1);
  EXPECT_EQ(s.textures, 1);
  EXPECT_EQ(s.bytes, whole.size());
  EXPECT_EQ(describe(s), "2 faces, 3 vertices, 1 material, 1 texture, 1 KiB");

  const WrittenFileSummary cut = summaryOf(whole + record(5, 80).substr(0, 40));
  EXPECT_FALSE(cut.readable);
  EXPECT_EQ(cut.faces, 2);
  EXPECT_EQ(cut.bytes, whole.size());

  const WrittenFileSummary zero =
      summaryOf(record(5, 80) + std::string("\0\5\0\0", 4) + record(5, 80));
  EXPECT_FALSE(zero.readable);
  EXPECT_EQ(zero.faces, 1);

  EXPECT_FALSE(summarizeWrittenFile("/nonexistent/x.flt").readable);
}

}  // namespace
