// The read side: the record reader, the tree dump, the file check and the fltdump
// command's exit statuses, on files written by the output file and on hand-made bytes.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdio>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "flt/bsp.h"
#include "flt/external_ref.h"
#include "flt/file_check.h"
#include "flt/group.h"
#include "flt/lod.h"
#include "flt/object.h"
#include "flt/output_file.h"
#include "flt/switch.h"
#include "flt/text_record.h"
#include "tests/flt/flt_test_support.h"

namespace {

// A record whose head says `length`, its body zero but for `body` at its start.
Bytes rec(uint16_t opcode, int length, const Bytes& body = {}) {
  Bytes b = sparse(opcode, length);
  put(b, 4, body);
  return b;
}

Bytes header(int revision = 1540) {
  return sparse(1, 280, {{12, be(revision)}});
}

Bytes vertexList(std::vector<int32_t> offsets) {
  Bytes b = sparse(72, 4 + 4 * static_cast<int>(offsets.size()));
  for (size_t i = 0; i < offsets.size(); ++i) put(b, 4 + 4 * i, be(offsets[i]));
  return b;
}

// Header, a palette of two 40-byte vertices (offsets 8 and 48), and one face
// whose vertex list names both.
std::vector<Bytes> soundRecords() {
  return {header(),   rec(67, 8, be(88)),     rec(68, 40), rec(68, 40), rec(10, 8), rec(5, 80),
          rec(10, 8), vertexList({8, 48, 8}), rec(11, 8),  rec(11, 8)};
}

Bytes join(const std::vector<Bytes>& records) {
  Bytes all;
  for (const Bytes& r : records) all.insert(all.end(), r.begin(), r.end());
  return all;
}

std::string writeBytes(const Bytes& bytes, const std::string& name = "crafted.flt") {
  std::ofstream(name, std::ios::binary)
      .write(reinterpret_cast<const char*>(bytes.data()),
             static_cast<std::streamsize>(bytes.size()));
  return name;
}

}  // namespace

TEST(FltDumpTest, TreeOfAnExportShowsNestingNamesAndKeyFields) {
  ScopedWorkDir dir;
  {
    FltOutputFile file;
    ASSERT_EQ(file.open("tree.flt", 1540), 1);
    FltGroup named;
    ASSERT_EQ(file.write(named), 1);
    EXPECT_TRUE(file.writeLongId("LongGroupName"));
    FltComment comment("first line\nsecond \"quoted\" line");
    EXPECT_TRUE(file.write(comment));
    EXPECT_TRUE(file.writePushLevel());
    FltObject box;
    box.setId("box");
    EXPECT_TRUE(file.write(box));
    FltLod lod;
    lod.switchInDistance = 100000;  // plain digits, not "1e+05"
    lod.centerX = 1e-7;
    lod.centerZ = 3.25;
    EXPECT_TRUE(file.write(lod));
    EXPECT_TRUE(file.writePushSubface());
    FltSwitch sw;
    sw.maskWords = {0x5u, 0xFFFFFFFFu};
    EXPECT_TRUE(file.write(sw));
    EXPECT_TRUE(file.writePopSubface());
    FltBsp bsp;
    EXPECT_TRUE(file.write(bsp));
    FltExternalRef ref;
    ref.setPath("models/tree.flt");
    EXPECT_TRUE(file.write(ref));
    EXPECT_TRUE(file.writePopLevel());
    ASSERT_EQ(file.close(), 1);
  }
  FltFileReader reader;
  ASSERT_TRUE(reader.open("tree.flt"));
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
                "      FLT_LOD len=72 id=\"l1\" in=100000 out=1 centre=(1e-07,0,3.25)",
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
  EXPECT_TRUE(checkFltFile("tree.flt").sound());
}

// A damaged group at the end: the dump prints what stands before it and says where.
TEST(FltDumpTest, UnknownKindsLongTextsVertexListsAndAFault) {
  ScopedWorkDir dir;
  Bytes records = join({header(), rec(3, 12), rec(49, 68), rec(31, 512, Bytes(500, 'x')),
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

TEST(FltDumpTest, ReaderNamesUnreadableFilesAndTakesTheHeaderRevision) {
  ScopedWorkDir dir;
  FltFileReader reader;
  EXPECT_FALSE(reader.open("missing.flt"));
  EXPECT_EQ(reader.error(), "cannot open missing.flt: No such file or directory");
  EXPECT_FALSE(reader.open("."));
  EXPECT_NE(reader.error().find("Is a directory"), std::string::npos);

  // Only the first record's revision counts.
  ASSERT_TRUE(reader.open(writeBytes(join({header(1420), header(1540)}))));
  EXPECT_EQ(reader.heldVersion(), FltFileReader::kDefaultVersion);
  ASSERT_TRUE(reader.next());
  EXPECT_EQ(reader.heldVersion(), 1420);
  ASSERT_TRUE(reader.next());
  EXPECT_EQ(reader.offset(), 280);
  EXPECT_EQ(reader.heldVersion(), 1420);
  EXPECT_FALSE(reader.next());
  EXPECT_FALSE(reader.faulted());
  EXPECT_EQ(reader.position(), 560);
}

TEST(FltDumpTest, CheckNamesTheFaultAndWhereItIs) {
  ScopedWorkDir dir;
  const Bytes sound = join(soundRecords());
  const int64_t end = static_cast<int64_t>(sound.size());
  const int64_t listAt = 280 + 8 + 40 + 40 + 8 + 80 + 8;
  auto replaced = [](size_t i, const Bytes& r) {
    std::vector<Bytes> records = soundRecords();
    records[i] = r;
    return join(records);
  };
  auto inserted = [](size_t i, const Bytes& r) {
    std::vector<Bytes> records = soundRecords();
    records.insert(records.begin() + static_cast<std::ptrdiff_t>(i), r);
    return join(records);
  };
  std::vector<Bytes> noPalette = soundRecords();
  noPalette.erase(noPalette.begin() + 1, noPalette.begin() + 4);
  struct Case {
    Bytes file;
    int64_t offset;
    std::string what;
  };
  const Case cases[] = {
      {Bytes(sound.begin(), sound.end() - 3), end - 8,
       "runs past the end of the file (only 5 bytes left)"},
      {Bytes(sound.begin(), sound.end() - 8), end - 8,
       "1 push level left open at the end of the file"},
      {join({header(), rec(10, 8), {0}}), 288, "record head cut short"},
      {{}, 0, "empty file"},
      {replaced(4, {0, 10, 0, 3, 0, 0, 0, 0}), 368, "record length 3 of opcode 10 is below 4"},
      {replaced(9, {0, 11, 0, 64, 0, 0, 0, 0}), end - 8,
       "record length 64 of opcode 11 runs past the end"},
      {inserted(10, rec(11, 8)), end, "pop level without a matching push level"},
      {inserted(6, rec(19, 8)), end + 8, "1 push subface left open"},
      {inserted(4, header()), 368, "a second header record"},
      {replaced(7, vertexList({8, 28, 48})), listAt, "offset 28 (corner 2 of 3) is not the start"},
      // Past the last vertex, the palette itself, before it: one fault for the list.
      {replaced(7, vertexList({88, 0, -8})), listAt,
       "offset 88 (corner 1 of 3) is not the start of a vertex record; 2 more"},
      {replaced(7, rec(72, 14, {0, 0, 0, 8, 0, 0, 0, 48})), listAt,
       "vertex list length 14 is not 4 + 4"},
      {replaced(1, rec(67, 8, be(48))), 280, "total length 48, but it and its vertex"},
      {join(noPalette), 280 + 8 + 80 + 8, "no vertex palette before it"},
  };
  EXPECT_TRUE(checkFltFile(writeBytes(sound)).sound());
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    FltCheckResult result = checkFltFile(writeBytes(c.file));
    ASSERT_TRUE(result.readable) << result.error;
    std::string listed;
    for (const FltFault& f : result.faults) listed += formatFault("", f) + "\n";
    ASSERT_EQ(result.faults.size(), 1u) << listed;
    EXPECT_EQ(result.faults[0].offset, c.offset);
    EXPECT_NE(result.faults[0].what.find(c.what), std::string::npos) << result.faults[0].what;
  }

  std::vector<Bytes> headless = soundRecords();
  headless.erase(headless.begin());
  std::vector<FltFault> faults = checkFltFile(writeBytes(join(headless))).faults;
  ASSERT_FALSE(faults.empty());
  EXPECT_EQ(faults[0].offset, 0);
  EXPECT_NE(faults[0].what.find("the first record is FLT_VERTEX_PALETTE (67), not a header"),
            std::string::npos);
}

// Damaged files must give faults, never reads past the data (run under sanitizers).
TEST(FltDumpTest, RandomDamageNeverReadsPastTheFile) {
  ScopedWorkDir dir;
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

TEST(FltDumpTest, CommandExitStatuses) {
  ScopedWorkDir dir;
  auto fltdump = [](const std::string& args) {
    std::string command = std::string(ZORVEL_BIN_DIR) + "/fltdump " + args + " 2>/dev/null";
    std::pair<int, std::string> run{-1, {}};
    std::FILE* pipe = ::popen(command.c_str(), "r");
    if (!pipe) return run;
    char buffer[4096];
    for (size_t n; (n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;)
      run.second.append(buffer, n);
    int status = ::pclose(pipe);
    run.first = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return run;
  };
  writeBytes(join(soundRecords()), "sound.flt");
  std::vector<Bytes> records = soundRecords();
  records.push_back(rec(11, 8));
  writeBytes(join(records), "faulty.flt");

  EXPECT_EQ(fltdump("--check sound.flt"), std::make_pair(0, std::string()));
  EXPECT_EQ(fltdump("--check faulty.flt"),
            std::make_pair(1, "faulty.flt: offset " + std::to_string(join(soundRecords()).size()) +
                                  ": pop level without a matching push level\n"));
  auto dump = fltdump("sound.flt");
  EXPECT_EQ(dump.first, 0);
  EXPECT_EQ(dump.second.rfind("FLT_HEADER len=280", 0), 0u) << dump.second;
  EXPECT_EQ(fltdump("--check missing.flt").first, 2);
  EXPECT_EQ(fltdump("").first, 2);
  EXPECT_EQ(fltdump("--frobnicate sound.flt").first, 2);
}
