// The output file: framing of a whole export, nesting, the pending vertex list,
// and the promise that a failed export never leaves a file at the output path.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "flt/group.h"
#include "flt/header.h"
#include "flt/output_file.h"
#include "flt/record.h"

namespace fs = std::filesystem;

namespace {

struct RawRecord {
  int opcode;
  int length;
  std::vector<uint8_t> bytes;
};

std::vector<uint8_t> readFile(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

std::vector<RawRecord> splitRecords(const std::vector<uint8_t>& file) {
  std::vector<RawRecord> records;
  size_t at = 0;
  while (at + 4 <= file.size()) {
    int opcode = file[at] << 8 | file[at + 1];
    int length = file[at + 2] << 8 | file[at + 3];
    if (length < 4 || at + length > file.size()) break;
    records.push_back({opcode, length, {file.begin() + at, file.begin() + at + length}});
    at += length;
  }
  return records;
}

std::vector<int> opcodesOf(const std::vector<RawRecord>& records) {
  std::vector<int> opcodes;
  for (const RawRecord& r : records) opcodes.push_back(r.opcode);
  return opcodes;
}

// The records after the palettes: everything from the first push level on.
std::vector<RawRecord> bodyOf(const std::vector<RawRecord>& records) {
  size_t i = 0;
  while (i < records.size() && records[i].opcode != 10) ++i;
  return {records.begin() + i, records.end()};
}

class OutputFileTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = fs::temp_directory_path() /
           ("zorvel_output_" + std::to_string(::getpid()) + "_" +
            ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::remove_all(dir_);
    fs::create_directories(dir_);
    path_ = (dir_ / "out.flt").string();
  }
  void TearDown() override { fs::remove_all(dir_); }

  size_t filesInDir() const {
    return static_cast<size_t>(std::distance(fs::directory_iterator(dir_), {}));
  }

  fs::path dir_;
  std::string path_;
};

// A record kind whose length the test chooses, to push the file to its limits.
class BlobRecord : public FltRecordBase {
 public:
  explicit BlobRecord(int size) : size_(size) {}
  uint16_t opcode() const override { return 31; }
  void serialise(FltRecord& r, int) const override {
    r.begin(31);
    r.skip(size_);
    r.finish();
  }
  void parse(FltRecord& r, int) override { r.seekBody(); }

 private:
  int size_;
};

}  // namespace

TEST_F(OutputFileTest, EmptyExportIsHeaderThenTopGroupBetweenBalancedLevels) {
  FltOutputFile file;
  ASSERT_EQ(file.open(path_, 1540), 1);
  EXPECT_EQ(file.pushDepth(), 2);
  ASSERT_EQ(file.close(), 1);
  EXPECT_FALSE(file.isOpen());

  std::vector<uint8_t> bytes = readFile(path_);
  std::vector<RawRecord> records = splitRecords(bytes);
  ASSERT_FALSE(records.empty());
  EXPECT_EQ(records.front().opcode, 1);
  EXPECT_EQ(records.front().length, 280);
  std::vector<RawRecord> body = bodyOf(records);
  EXPECT_EQ(opcodesOf(body), (std::vector<int>{10, 2, 10, 11, 11}));
  ASSERT_EQ(body[1].length, 32);
  EXPECT_EQ(std::memcmp(body[1].bytes.data() + 4, "g1\0\0\0\0\0\0", 8), 0);

  // The header was written last, after the top group drew g1 from its counter.
  FltHeader header;
  FltRecord r;
  r.assign(records.front().bytes.data(), records.front().length);
  header.parse(r, 1540);
  EXPECT_EQ(header.nextGroupId, 2);
  EXPECT_EQ(header.formatRevision, 1540);
  EXPECT_EQ(filesInDir(), 1u);  // no temporary file left behind
}

TEST_F(OutputFileTest, CloseBalancesForgottenPushLevels) {
  FltOutputFile file;
  ASSERT_TRUE(file.open(path_, 1520));
  FltGroup g;
  g.setId("a");
  file.write(g);
  file.writePushLevel();
  file.writePushLevel();
  file.writePushSubface();
  EXPECT_EQ(file.pushDepth(), 4);
  EXPECT_EQ(file.subfaceDepth(), 1);
  file.writePopLevel();
  ASSERT_EQ(file.close(), 1);
  std::vector<int> body = opcodesOf(bodyOf(splitRecords(readFile(path_))));
  // Subface levels are not balanced by close, only push levels are.
  EXPECT_EQ(body, (std::vector<int>{10, 2, 10, 2, 10, 10, 19, 11, 11, 11, 11}));
}

TEST_F(OutputFileTest, VertexListStandsRightBeforeTheRecordThatFollowsItsVertices) {
  FltOutputFile file;
  ASSERT_TRUE(file.open(path_, 1540));
  FltGroup face;  // stands in for a face record
  file.write(face);
  file.writePushLevel();
  file.addVertexOffset(8);
  file.addVertexOffset(8);
  file.addVertexOffset(48);
  file.writePopLevel();
  file.write(face);
  file.writePushLevel();
  file.writePopLevel();  // a face without corners has no vertex list
  ASSERT_EQ(file.close(), 1);

  std::vector<RawRecord> body = bodyOf(splitRecords(readFile(path_)));
  ASSERT_EQ(opcodesOf(body), (std::vector<int>{10, 2, 10, 2, 10, 72, 11, 2, 10, 11, 11, 11}));
  const RawRecord& list = body[5];
  EXPECT_EQ(list.length, 16);
  EXPECT_EQ(list.bytes, (std::vector<uint8_t>{0, 72, 0, 16, 0, 0, 0, 8, 0, 0, 0, 8, 0, 0, 0, 48}));
}

TEST_F(OutputFileTest, PendingVerticesAreFlushedAtClose) {
  FltOutputFile file;
  ASSERT_TRUE(file.open(path_, 1540));
  file.addVertexOffset(8);
  ASSERT_EQ(file.close(), 1);
  std::vector<int> body = opcodesOf(bodyOf(splitRecords(readFile(path_))));
  EXPECT_EQ(body, (std::vector<int>{10, 2, 10, 72, 11, 11}));
}

TEST_F(OutputFileTest, OpeningAgainFinishesTheFirstFile) {
  FltOutputFile file;
  ASSERT_TRUE(file.open(path_, 1540));
  std::string second = (dir_ / "second.flt").string();
  ASSERT_TRUE(file.open(second, 1420));
  EXPECT_TRUE(fs::exists(path_));
  EXPECT_FALSE(fs::exists(second));
  ASSERT_EQ(file.close(), 1);
  std::vector<RawRecord> records = splitRecords(readFile(second));
  ASSERT_FALSE(records.empty());
  EXPECT_EQ(records.front().length, 264);
  // Each export starts its counters afresh.
  std::vector<RawRecord> body = bodyOf(records);
  EXPECT_EQ(std::memcmp(body[1].bytes.data() + 4, "g1", 3), 0);
}

TEST_F(OutputFileTest, NothingAppearsAtThePathBeforeASuccessfulClose) {
  { std::ofstream(path_) << "previous"; }
  FltOutputFile file;
  ASSERT_TRUE(file.open(path_, 1540));
  EXPECT_EQ(readFile(path_), (std::vector<uint8_t>{'p', 'r', 'e', 'v', 'i', 'o', 'u', 's'}));
  file.discard();
  EXPECT_FALSE(file.isOpen());
  EXPECT_EQ(readFile(path_).size(), 8u);
  EXPECT_EQ(filesInDir(), 1u);
  EXPECT_EQ(file.close(), 0);  // closing a closed file does nothing
}

TEST_F(OutputFileTest, UnopenablePathFailsAndSaysWhy) {
  FltOutputFile file;
  std::string bad = (dir_ / "missing" / "out.flt").string();
  EXPECT_EQ(file.open(bad, 1540), 0);
  EXPECT_FALSE(file.isOpen());
  EXPECT_NE(file.error().find(bad), std::string::npos) << file.error();
  EXPECT_EQ(file.writePushLevel(), 0);
}

TEST_F(OutputFileTest, OversizedRecordIsRefusedAndFailsTheExport) {
  { std::ofstream(path_) << "previous"; }
  FltOutputFile file;
  ASSERT_TRUE(file.open(path_, 1540));
  BlobRecord fits(FltRecord::kMaxLength - 7 - 4);  // 32760 bytes once padded
  EXPECT_EQ(file.write(fits), 1);
  BlobRecord tooLong(FltRecord::kMaxLength);
  EXPECT_EQ(file.write(tooLong), 0);
  EXPECT_TRUE(file.failed());
  EXPECT_NE(file.error().find("FLT_COMMENT"), std::string::npos) << file.error();
  EXPECT_EQ(file.close(), 0);
  EXPECT_EQ(readFile(path_).size(), 8u);
  EXPECT_EQ(filesInDir(), 1u);
}

TEST_F(OutputFileTest, FailedFileIsDiscardedNotFinishedByTheNextOpenOrTheDestructor) {
  std::string first = (dir_ / "first.flt").string();
  {
    FltOutputFile file;
    ASSERT_TRUE(file.open(first, 1540));
    BlobRecord tooLong(FltRecord::kMaxLength);
    file.write(tooLong);
    ASSERT_TRUE(file.open(path_, 1540));
    EXPECT_FALSE(fs::exists(first));
    EXPECT_FALSE(file.failed());
    BlobRecord again(FltRecord::kMaxLength);
    file.write(again);
  }
  EXPECT_FALSE(fs::exists(first));
  EXPECT_FALSE(fs::exists(path_));
  EXPECT_EQ(filesInDir(), 0u);
}

// Exits 0 when a write failure under a file-size limit made close fail cleanly.
[[noreturn]] void exportUnderFileSizeLimit(const std::string& path) {
  signal(SIGXFSZ, SIG_IGN);
  FltOutputFile file;
  if (!file.open(path, 1540)) std::_Exit(3);
  rlimit limit{};
  limit.rlim_cur = 4096;
  limit.rlim_max = RLIM_INFINITY;
  setrlimit(RLIMIT_FSIZE, &limit);
  FltGroup g;
  for (int i = 0; i < 2000; ++i) file.write(g);
  int result = file.close();
  std::_Exit(result == 0 && !fs::exists(path) && !file.error().empty() ? 0 : 1);
}

TEST_F(OutputFileTest, WriteErrorMakesCloseFail) {
  // A file-size limit makes the writes fail as a full disk would.
  EXPECT_EXIT(exportUnderFileSizeLimit(path_), ::testing::ExitedWithCode(0), "");
}
