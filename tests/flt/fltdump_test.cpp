// The read side: the record reader, the tree dump, the file check and the fltdump
// command's exit statuses, on files written by the output file and on hand-made bytes.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "flt/bsp.h"
#include "flt/external_ref.h"
#include "flt/file_check.h"
#include "flt/file_dump.h"
#include "flt/file_reader.h"
#include "flt/group.h"
#include "flt/lod.h"
#include "flt/object.h"
#include "flt/output_file.h"
#include "flt/switch.h"
#include "flt/text_record.h"

namespace fs = std::filesystem;

namespace {

using Bytes = std::vector<uint8_t>;

void put16(Bytes& b, int v) {
  b.push_back(static_cast<uint8_t>(v >> 8));
  b.push_back(static_cast<uint8_t>(v));
}

void put32(Bytes& b, int32_t v) {
  put16(b, static_cast<uint16_t>(static_cast<uint32_t>(v) >> 16));
  put16(b, static_cast<uint16_t>(v));
}

// A record whose head says `length`; the body is `body` zero-filled to that length.
Bytes rec(int opcode, int length, Bytes body = {}) {
  Bytes b;
  put16(b, opcode);
  put16(b, length);
  body.resize(length > 4 ? length - 4 : 0, 0);
  b.insert(b.end(), body.begin(), body.end());
  return b;
}

Bytes header(int revision = 1540) {
  Bytes body(8, 0);
  put32(body, revision);
  return rec(1, 280, body);
}

Bytes vertexList(std::vector<int32_t> offsets) {
  Bytes body;
  for (int32_t o : offsets) put32(body, o);
  return rec(72, 4 + 4 * static_cast<int>(offsets.size()), body);
}

// Header, a palette of two 40-byte vertices (offsets 8 and 48), and one face
// whose vertex list names both.
std::vector<Bytes> soundRecords() {
  Bytes palette;
  put32(palette, 8 + 40 + 40);
  return {header(),   rec(67, 8, palette),    rec(68, 40), rec(68, 40), rec(10, 8), rec(5, 80),
          rec(10, 8), vertexList({8, 48, 8}), rec(11, 8),  rec(11, 8)};
}

Bytes join(const std::vector<Bytes>& records) {
  Bytes all;
  for (const Bytes& r : records) all.insert(all.end(), r.begin(), r.end());
  return all;
}

// Every expected line appears whole, in this order (other lines may stand between).
::testing::AssertionResult hasLinesInOrder(const std::string& dump,
                                           const std::vector<std::string>& expected) {
  std::istringstream in(dump);
  std::string line;
  for (const std::string& want : expected) {
    while (std::getline(in, line) && line != want) {
    }
    if (line != want)
      return ::testing::AssertionFailure() << "missing or out of order: [" << want << "]\n" << dump;
  }
  return ::testing::AssertionSuccess();
}

class FltDumpTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = fs::temp_directory_path() /
           ("zorvel_fltdump_" + std::to_string(::getpid()) + "_" +
            ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::remove_all(dir_);
    fs::create_directories(dir_);
  }
  void TearDown() override { fs::remove_all(dir_); }

  std::string writeBytes(const Bytes& bytes, const std::string& name = "crafted.flt") {
    std::string path = (dir_ / name).string();
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()),
              static_cast<std::streamsize>(bytes.size()));
    return path;
  }

  std::vector<FltFault> check(const Bytes& bytes) {
    FltCheckResult result = checkFltFile(writeBytes(bytes));
    EXPECT_TRUE(result.readable) << result.error;
    return result.faults;
  }

  fs::path dir_;
};

// One fault whose text holds `what`, at `offset`.
::testing::AssertionResult isOnlyFault(const std::vector<FltFault>& faults, int64_t offset,
                                       const std::string& what) {
  if (faults.size() != 1) {
    auto failure = ::testing::AssertionFailure() << faults.size() << " faults:";
    for (const FltFault& f : faults) failure << " [" << f.offset << ": " << f.what << "]";
    return failure;
  }
  if (faults[0].offset != offset || faults[0].what.find(what) == std::string::npos)
    return ::testing::AssertionFailure()
           << "got [" << faults[0].offset << ": " << faults[0].what << "]";
  return ::testing::AssertionSuccess();
}

}  // namespace

TEST_F(FltDumpTest, TreeOfAnExportShowsNestingNamesAndKeyFields) {
  std::string path = (dir_ / "tree.flt").string();
  {
    FltOutputFile file;
    ASSERT_EQ(file.open(path, 1540), 1);
    FltGroup named;
    ASSERT_EQ(file.write(named), 1);
    file.writeLongId("LongGroupName");
    FltComment comment("first line\nsecond \"quoted\" line");
    file.write(comment);
    file.writePushLevel();
    FltObject box;
    box.setId("box");
    file.write(box);
    FltLod lod;
    lod.switchInDistance = 500;
    lod.switchOutDistance = 0.5;
    lod.centerX = 1;
    lod.centerY = -2;
    lod.centerZ = 3.25;
    file.write(lod);
    file.writePushSubface();
    FltSwitch sw;
    sw.wordsPerMask = 1;
    sw.maskWords = {0x5u, 0xFFFFFFFFu};
    file.write(sw);
    file.writePopSubface();
    FltBsp bsp;
    file.write(bsp);
    FltExternalRef ref;
    ref.setPath("models/tree.flt");
    file.write(ref);
    file.writePopLevel();
    ASSERT_EQ(file.close(), 1);
  }
  FltFileReader reader;
  ASSERT_TRUE(reader.open(path));
  std::ostringstream out;
  EXPECT_TRUE(dumpFltRecords(reader, out));
  const std::string text = out.str();
  EXPECT_EQ(text.rfind("FLT_HEADER len=280 id=\"db\" revision=1540 units=0(Meters) "
                       "projection=0(Flat Earth) ellipsoid=0(WGS 1984) origin=(0,0)\n",
                       0),
            0u)
      << text;
  EXPECT_TRUE(hasLinesInOrder(
      text, {
                "FLT_PUSH_LEVEL len=8",
                "  FLT_GROUP len=32 id=\"g1\"",
                "  FLT_PUSH_LEVEL len=8",
                "    FLT_GROUP len=32 id=\"g2\" name=\"LongGroupName\"",
                "    FLT_LONG_ID len=24 text=\"LongGroupName\"",
                "    FLT_COMMENT len=40 text=\"first line\\nsecond \\\"quoted\\\" line\"",
                "    FLT_PUSH_LEVEL len=8",
                "      FLT_OBJECT len=32 id=\"box\"",
                "      FLT_LOD len=72 id=\"l1\" in=500 out=0.5 centre=(1,-2,3.25)",
                "      FLT_PUSH_SUBFACE len=8",
                "        FLT_SWITCH len=40 id=\"f1\" current=0 masks=2 words=1 "
                "mask=0x00000005,0xFFFFFFFF",
                "      FLT_POP_SUBFACE len=8",
                "      FLT_BSP len=48 id=\"b1\" plane=(0,0,-1,0)",
                "      FLT_EXTERNAL_REF len=216 path=\"models/tree.flt\"",
                "    FLT_POP_LEVEL len=8",
                "  FLT_POP_LEVEL len=8",
                "FLT_POP_LEVEL len=8",
            }));
  EXPECT_TRUE(checkFltFile(path).sound());
}

// A damaged group at the end: the dump prints what stands before it and says where.
TEST_F(FltDumpTest, UnknownKindsLongTextsVertexListsAndAFault) {
  Bytes comment(500, 'x');
  Bytes records = join({header(), rec(3, 12), rec(49, 68), rec(31, 512, comment),
                        vertexList({8, 48, 88}), rec(2, 64)});
  records.resize(records.size() - 40);
  FltFileReader reader;
  ASSERT_TRUE(reader.open(writeBytes(records)));
  std::ostringstream out;
  EXPECT_FALSE(dumpFltRecords(reader, out));
  EXPECT_TRUE(
      hasLinesInOrder(out.str(), {"opcode=3 len=12", "FLT_MATRIX len=68",
                                  "FLT_COMMENT len=512 text=\"" + std::string(60, 'x') + "\"...",
                                  "FLT_VERTEX_LIST len=16 corners=3 offsets=8,48,88"}));
  EXPECT_EQ(out.str().find("FLT_GROUP"), std::string::npos);
  EXPECT_EQ(reader.faultOffset(), 280 + 12 + 68 + 512 + 16);
  EXPECT_NE(reader.fault().find("record length 64 of opcode 2 runs past the end"),
            std::string::npos);
  EXPECT_EQ(dumpQuoted(std::string("a\tb\x01\xff\\", 6)), "\"a\\tb\\x01\\xFF\\\\\"");
}

TEST_F(FltDumpTest, ReaderNamesUnreadableFilesAndTakesTheHeaderRevision) {
  FltFileReader reader;
  std::string missing = (dir_ / "missing.flt").string();
  EXPECT_FALSE(reader.open(missing));
  EXPECT_EQ(reader.error(), "cannot open " + missing + ": No such file or directory");
  EXPECT_FALSE(reader.open(dir_.string()));
  EXPECT_NE(reader.error().find("Is a directory"), std::string::npos);

  ASSERT_TRUE(reader.open(writeBytes(join({header(1420), rec(10, 8)}))));
  EXPECT_EQ(reader.heldVersion(), FltFileReader::kDefaultVersion);
  ASSERT_TRUE(reader.next());
  EXPECT_EQ(reader.heldVersion(), 1420);
  ASSERT_TRUE(reader.next());
  EXPECT_EQ(reader.offset(), 280);
  EXPECT_FALSE(reader.next());
  EXPECT_FALSE(reader.faulted());
  EXPECT_EQ(reader.position(), 288);
}

TEST_F(FltDumpTest, CheckAcceptsASoundFile) {
  EXPECT_TRUE(check(join(soundRecords())).empty());
}

TEST_F(FltDumpTest, CheckCatchesBrokenLengths) {
  Bytes sound = join(soundRecords());
  // Cut inside the last record: its length runs past the end.
  Bytes cut(sound.begin(), sound.end() - 3);
  EXPECT_TRUE(isOnlyFault(check(cut), static_cast<int64_t>(sound.size()) - 8,
                          "runs past the end of the file (only 5 bytes left)"));
  // Cut at a record boundary: the file ends with a level still open.
  Bytes shorter(sound.begin(), sound.end() - 8);
  EXPECT_TRUE(isOnlyFault(check(shorter), static_cast<int64_t>(shorter.size()),
                          "1 push level left open at the end of the file"));
  // A head cut in two.
  Bytes head = join({header(), rec(10, 8)});
  head.push_back(0);
  head.push_back(11);
  EXPECT_TRUE(isOnlyFault(check(head), 288, "record head cut short"));

  std::vector<Bytes> records = soundRecords();
  records[4] = {0, 10, 0, 2, 0, 0, 0, 0};  // a push level whose length says 2
  EXPECT_TRUE(isOnlyFault(check(join(records)), 368, "record length 2 of opcode 10 is below 4"));

  records = soundRecords();
  records.back() = {0, 11, 0, 64, 0, 0, 0, 0};
  EXPECT_TRUE(isOnlyFault(check(join(records)), static_cast<int64_t>(sound.size()) - 8,
                          "record length 64 of opcode 11 runs past the end"));

  EXPECT_TRUE(isOnlyFault(check({}), 0, "empty file"));
}

TEST_F(FltDumpTest, CheckCatchesUnbalancedLevelsAndAMissingHeader) {
  std::vector<Bytes> records = soundRecords();
  records.push_back(rec(11, 8));
  EXPECT_TRUE(isOnlyFault(check(join(records)), static_cast<int64_t>(join(soundRecords()).size()),
                          "pop level without a matching push level"));

  records = soundRecords();
  records.insert(records.begin() + 6, rec(19, 8));  // a push subface never popped
  std::vector<FltFault> faults = check(join(records));
  EXPECT_TRUE(
      isOnlyFault(faults, static_cast<int64_t>(join(records).size()), "1 push subface left open"));

  records = soundRecords();
  records.erase(records.begin());
  faults = check(join(records));
  ASSERT_FALSE(faults.empty());
  EXPECT_EQ(faults[0].offset, 0);
  EXPECT_NE(faults[0].what.find("the first record is FLT_VERTEX_PALETTE (67), not a header"),
            std::string::npos);
}

TEST_F(FltDumpTest, CheckCatchesVertexListsThatMissTheirVertices) {
  const int64_t listAt = 280 + 8 + 40 + 40 + 8 + 80 + 8;
  std::vector<Bytes> records = soundRecords();
  records[7] = vertexList({8, 28, 48});  // 28 lies inside the first vertex
  std::vector<FltFault> faults = check(join(records));
  EXPECT_TRUE(isOnlyFault(faults, listAt, "offset 28 (corner 2 of 3) is not the start"));

  records[7] = vertexList({88, 0, -8});  // past the last vertex, the palette itself, before it
  EXPECT_TRUE(isOnlyFault(check(join(records)), listAt,
                          "offset 88 (corner 1 of 3) is not the start of a vertex record; 2 more"));

  records = soundRecords();
  records[7] = rec(72, 14, {0, 0, 0, 8, 0, 0, 0, 48, 0, 0});
  EXPECT_TRUE(isOnlyFault(check(join(records)), listAt, "vertex list length 14 is not 4 + 4"));

  records = soundRecords();
  Bytes palette;
  put32(palette, 8 + 40);  // declares one vertex, two follow
  records[1] = rec(67, 8, palette);
  EXPECT_TRUE(isOnlyFault(check(join(records)), 280, "total length 48, but it and its vertex"));

  records = soundRecords();
  records.erase(records.begin() + 1, records.begin() + 4);  // no palette at all
  EXPECT_TRUE(isOnlyFault(check(join(records)), 280 + 8 + 80 + 8, "no vertex palette before it"));
}

// Damaged files must give faults, never reads past the data (run under sanitizers).
TEST_F(FltDumpTest, RandomDamageNeverReadsPastTheFile) {
  const Bytes sound = join(soundRecords());
  std::mt19937 random(1234);
  for (int round = 0; round < 300; ++round) {
    Bytes damaged = sound;
    for (int i = 0; i < 4; ++i) damaged[random() % damaged.size()] = static_cast<uint8_t>(random());
    damaged.resize(random() % (damaged.size() + 1));
    std::string path = writeBytes(damaged);
    FltCheckResult result = checkFltFile(path);
    ASSERT_TRUE(result.readable);
    for (const FltFault& f : result.faults)
      ASSERT_LE(f.offset, static_cast<int64_t>(damaged.size()));
    FltFileReader reader;
    ASSERT_TRUE(reader.open(path));
    std::ostringstream out;
    dumpFltRecords(reader, out);
    EXPECT_LE(reader.position(), static_cast<int64_t>(damaged.size()));
  }
}

namespace {

struct CommandRun {
  int status;
  std::string out;
};

CommandRun runFltdump(const std::string& args) {
  std::string command = std::string(ZORVEL_BIN_DIR) + "/fltdump " + args + " 2>/dev/null";
  CommandRun run{-1, {}};
  std::FILE* pipe = ::popen(command.c_str(), "r");
  if (!pipe) return run;
  char buffer[4096];
  for (size_t n; (n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;) run.out.append(buffer, n);
  int status = ::pclose(pipe);
  run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  return run;
}

}  // namespace

TEST_F(FltDumpTest, CommandExitStatuses) {
  std::string sound = writeBytes(join(soundRecords()), "sound.flt");
  std::vector<Bytes> records = soundRecords();
  records.push_back(rec(11, 8));
  std::string faulty = writeBytes(join(records), "faulty.flt");

  CommandRun run = runFltdump("--check '" + sound + "'");
  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(run.out, "");
  run = runFltdump("--check '" + faulty + "'");
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(run.out, faulty + ": offset " + std::to_string(join(soundRecords()).size()) +
                         ": pop level without a matching push level\n");
  run = runFltdump("'" + sound + "'");
  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(run.out.rfind("FLT_HEADER len=280", 0), 0u) << run.out;
  EXPECT_EQ(runFltdump("--check '" + (dir_ / "missing.flt").string() + "'").status, 2);
  EXPECT_EQ(runFltdump("").status, 2);
  EXPECT_EQ(runFltdump("--frobnicate '" + sound + "'").status, 2);
}
