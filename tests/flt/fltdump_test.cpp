// The read side: the record reader, the tree dump, the file check and the fltdump
// command's exit statuses, on files written by the output file and on hand-made bytes.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <map>
#include <random>
#include <string>
#include <vector>

#include "flt/bsp.h"
#include "flt/external_ref.h"
#include "flt/face.h"
#include "flt/file_check.h"
#include "flt/file_summary.h"
#include "flt/group.h"
#include "flt/lod.h"
#include "flt/material.h"
#include "flt/object.h"
#include "flt/output_file.h"
#include "flt/switch.h"
#include "flt/text_record.h"
#include "flt/texture.h"
#include "flt/vertex.h"
#include "tests/flt/flt_test_support.h"
#include "tests/flt/json_reader.h"

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

std::string readAll(std::FILE* pipe) {
  std::string text;
  char buffer[4096];
  for (size_t n; (n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;) text.append(buffer, n);
  return text;
}

struct DumpRun {
  int status = -1;
  std::string out;
};

// fltdump with the arguments; standard error joins the output when `withErrors`.
DumpRun fltdump(const std::string& args, bool withErrors = false) {
  std::string command =
      std::string(ZORVEL_BIN_DIR) + "/fltdump " + args + (withErrors ? " 2>&1" : " 2>/dev/null");
  DumpRun run;
  std::FILE* pipe = ::popen(command.c_str(), "r");
  if (!pipe) return run;
  run.out = readAll(pipe);
  int status = ::pclose(pipe);
  run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  return run;
}

FltVertex vertexAt(uint16_t kind, double x, double y, double z) {
  FltVertex v;
  v.kind = kind;
  v.x = x;
  v.y = y;
  v.z = z;
  return v;
}

// A file of every palette and a small tree: two materials, a texture with its
// attribute file (64 x 32 texels), three vertices of three kinds, two coloured
// faces naming palette slots 3 and 5, a vertex naming slot 7.
std::vector<Bytes> paletteRecords() {
  FltMaterial brick, glass;
  brick.materialIndex = 0;
  glass.materialIndex = 1;
  glass.diffuse[1] = 0.6f;
  FltTexture texture;
  texture.setPath("stone.rgb");
  texture.patternIndex = 0;

  FltVertex lit = vertexAt(FltVertex::kWithTextureAndNormal, -1.5, 2, 1e-7);
  lit.setTexCoord(0.6f, 1.0f / 3);
  lit.setNormal(0, 0.6, 0.8);
  FltVertex coloured = vertexAt(FltVertex::kWithColor, 4, -3, 0.25);
  coloured.flags = 0;
  coloured.colorIndex = 7 * 128 + 100;
  FltVertex plain = vertexAt(FltVertex::kWithNormal, 0, 9, -2);
  const Bytes v1 = serialised(lit, 1540), v2 = serialised(coloured, 1540),
              v3 = serialised(plain, 1540);
  const int32_t total = static_cast<int32_t>(8 + v1.size() + v2.size() + v3.size());

  FltFace first, second;
  first.flags = FltFace::kFlagTerrain;
  first.primaryColorIndex = 3 * 128 + 127;
  first.alternateColorIndex = 5 * 128;
  first.lightMode = 2;
  second.flags = FltFace::kFlagNoAltColor | FltFace::kFlagHidden | 0x1u;
  second.primaryColorIndex = 3 * 128 + 1;
  const int32_t at2 = static_cast<int32_t>(8 + v1.size()), at3 = at2 + int32_t(v2.size());
  return {header(),
          serialised(brick, 1540),
          serialised(glass, 1540),
          serialised(texture, 1540),
          rec(67, 8, be(total)),
          v1,
          v2,
          v3,
          rec(10, 8),
          rec(2, 32, {'g', 'r', 'p'}),
          rec(10, 8),
          serialised(first, 1540),
          rec(10, 8),
          vertexList({8, at2, at3}),
          rec(11, 8),
          serialised(second, 1540),
          rec(10, 8),
          vertexList({at3, at2, 8}),
          rec(11, 8),
          rec(11, 8),
          rec(11, 8)};
}

std::string writePaletteFile() {
  FltTextureAttr attributes;
  attributes.texelsU = 64;
  attributes.texelsV = 32;
  std::FILE* f = std::fopen("stone.rgb.attr", "wb");
  EXPECT_TRUE(attributes.write(f));
  if (f) std::fclose(f);
  return writeBytes(join(paletteRecords()), "palettes.flt");
}

// Opcodes as a plain reader meets them.
std::vector<uint16_t> opcodesOf(const std::string& path) {
  FltFileReader reader;
  std::vector<uint16_t> opcodes;
  if (reader.open(path))
    while (reader.next()) opcodes.push_back(reader.opcode());
  return opcodes;
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
  EXPECT_EQ(
      text.rfind("FLT_HEADER len=280 id=\"db\" revision=1540(OpenFlight 15.4) units=0(Meters) "
                 "projection=0(Flat Earth) ellipsoid=0(WGS 1984) origin=(0,0)\n",
                 0),
      0u)
      << text;
  EXPECT_TRUE(hasLinesInOrder(
      text, {
                "FLT_PUSH_LEVEL len=8",
                "  FLT_GROUP len=32 id=\"g1\"",
                "  FLT_PUSH_LEVEL len=8",
                "    FLT_GROUP len=32 id=\"g2\" longid=\"LongGroupName\"",
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

  // Deep levels stop indenting and show their depth.
  FltDumpRecord deep;
  deep.name = "FLT_GROUP";
  deep.length = 32;
  deep.depth = 32;
  EXPECT_EQ(dumpLine(deep), std::string(64, ' ') + "FLT_GROUP len=32");
  deep.depth = 100000;
  EXPECT_EQ(dumpLine(deep), std::string(64, ' ') + "[100000] FLT_GROUP len=32");
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

  // A NaN coordinate is the format's own: a warning, and the file stays sound.
  std::vector<Bytes> nanVertex = soundRecords();
  ASSERT_GE(nanVertex[2].size(), 16u);
  std::fill(nanVertex[2].begin() + 8, nanVertex[2].begin() + 16, 0);
  nanVertex[2][8] = 0x7F;
  nanVertex[2][9] = 0xF8;
  const std::string nanPath = writeBytes(join(nanVertex));
  FltCheckResult nan = checkFltFile(nanPath);
  EXPECT_TRUE(nan.sound());
  ASSERT_EQ(nan.faults.size(), 1u);
  EXPECT_EQ(formatFault("f", nan.faults[0]),
            "f: offset 288: warning: 1 vertex has coordinates that are no finite number (NaN or "
            "infinite)");
  // The summary's bounds come from the finite vertex alone.
  FltFileReader reader;
  ASSERT_TRUE(reader.open(nanPath));
  const FltSummary summary = summariseFltFile(reader);
  ASSERT_TRUE(summary.hasBounds);
  EXPECT_EQ(std::vector<double>(summary.max, summary.max + 3), (std::vector<double>{0, 0, 0}));
  const std::string text = formatSummary(summary, "f");
  EXPECT_NE(text.find("bounds (0,0,0) to (0,0,0)\ncheck: sound\n  f: offset 288: warning: "),
            std::string::npos)
      << text;
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
  writeBytes(join(soundRecords()), "sound.flt");
  std::vector<Bytes> records = soundRecords();
  records.push_back(rec(11, 8));
  writeBytes(join(records), "faulty.flt");
  auto statusAndOutput = [](const std::string& args) {
    DumpRun run = fltdump(args);
    return std::make_pair(run.status, run.out);
  };

  EXPECT_EQ(statusAndOutput("--check sound.flt"), std::make_pair(0, std::string()));
  EXPECT_EQ(statusAndOutput("--check faulty.flt"),
            std::make_pair(1, "faulty.flt: offset " + std::to_string(join(soundRecords()).size()) +
                                  ": pop level without a matching push level\n"));
  DumpRun dump = fltdump("sound.flt");
  EXPECT_EQ(dump.status, 0);
  EXPECT_EQ(dump.out.rfind("FLT_HEADER len=280", 0), 0u) << dump.out;
  EXPECT_EQ(fltdump("--check missing.flt").status, 2);
  EXPECT_EQ(fltdump("").status, 2);
  EXPECT_EQ(fltdump("--frobnicate sound.flt").status, 2);
  EXPECT_EQ(fltdump("--json --summary sound.flt").status, 2);

  // The summary carries the check's findings, and its status.
  DumpRun summary = fltdump("--summary faulty.flt");
  EXPECT_EQ(summary.status, 1);
  EXPECT_NE(summary.out.find("check: 1 fault\n  faulty.flt: offset "), std::string::npos)
      << summary.out;
  EXPECT_NE(fltdump("--summary sound.flt").out.find("check: sound\n"), std::string::npos);
}

// Text, an empty file, a file of one odd record: one line saying what they are not, in
// every mode. A header that is only damaged is still dumped up to the damage.
TEST(FltDumpTest, FilesThatAreNoOpenFlightAreToldSo) {
  ScopedWorkDir dir;
  std::ofstream("notes.txt") << "Shopping list: eggs, flour, milk.\n";
  writeBytes({}, "empty.flt");
  writeBytes(join({rec(2, 32), header()}), "headless.flt");
  for (const char* file : {"notes.txt", "empty.flt", "headless.flt"}) {
    for (const char* mode : {"", "--check ", "--summary ", "--json ", "--vertices "}) {
      SCOPED_TRACE(std::string(mode) + file);
      DumpRun run = fltdump(mode + std::string(file), true);
      EXPECT_EQ(run.status, 1);
      EXPECT_EQ(run.out, "fltdump: " + std::string(file) + ": not an OpenFlight file\n");
    }
  }
  Bytes cut = header();
  cut.resize(100);
  writeBytes(cut, "cut.flt");
  DumpRun run = fltdump("cut.flt", true);
  EXPECT_EQ(run.status, 1);
  EXPECT_NE(run.out.find("cut.flt: offset 0: record length 280 of opcode 1 runs past the end"),
            std::string::npos)
      << run.out;
}

TEST(FltDumpTest, SummaryCountsEveryRecordAndSizesThePalettes) {
  ScopedWorkDir dir;
  const std::string path = writePaletteFile();
  std::map<uint16_t, int64_t> counted;
  const std::vector<uint16_t> opcodes = opcodesOf(path);
  for (uint16_t opcode : opcodes) ++counted[opcode];

  FltFileReader reader;
  ASSERT_TRUE(reader.open(path));
  const FltSummary s = summariseFltFile(reader);
  EXPECT_EQ(s.records, static_cast<int64_t>(opcodes.size()));
  EXPECT_EQ((std::map<uint16_t, int64_t>(s.kinds.begin(), s.kinds.end())), counted);
  EXPECT_EQ(s.revision, 1540);
  EXPECT_EQ(s.materials, 2);
  EXPECT_EQ(s.colorsUsed, 3);  // slots 3 (twice), 5 and 7; the second face's alternate is off
  EXPECT_EQ(s.vertices, 3);
  ASSERT_TRUE(s.hasBounds);
  EXPECT_EQ(std::vector<double>(s.min, s.min + 3), (std::vector<double>{-1.5, -3, -2}));
  EXPECT_EQ(std::vector<double>(s.max, s.max + 3), (std::vector<double>{4, 9, 0.25}));
  EXPECT_TRUE(s.faults.empty());

  // The printed summary: its per-kind lines add up to its record line.
  const std::string text = formatSummary(s, path);
  std::istringstream lines(text);
  std::string line;
  int64_t total = -1, listed = 0;
  while (std::getline(lines, line)) {
    if (line.rfind("records ", 0) == 0) total = std::stoll(line.substr(8));
    if (line.rfind("  FLT_", 0) == 0) listed += std::stoll(line.substr(line.rfind(' ') + 1));
  }
  EXPECT_EQ(total, static_cast<int64_t>(opcodes.size())) << text;
  EXPECT_EQ(listed, total) << text;
  EXPECT_TRUE(hasLinesInOrder(
      text, {"revision 1540 (OpenFlight 15.4)", "  FLT_MATERIAL 2", "colors 3 used (no palette)",
             "materials 2", "textures 1", "  0 \"stone.rgb\" 64x32",
             "vertices 3: FLT_VERTEX_W_COLOR 1, FLT_VERTEX_W_NORMAL 1, "
             "FLT_VERTEX_W_TEXTURE_AND_NORMAL 1",
             "bounds (-1.5,-3,-2) to (4,9,0.25)", "check: sound"}));

  // Without its attribute file the texture's size is not guessed.
  std::remove("stone.rgb.attr");
  ASSERT_TRUE(reader.open(path));
  EXPECT_NE(formatSummary(summariseFltFile(reader), path).find("  0 \"stone.rgb\" size unknown\n"),
            std::string::npos);
}

TEST(FltDumpTest, VerticesFollowTheTreeOnlyWhenAsked) {
  ScopedWorkDir dir;
  const std::string path = writePaletteFile();
  const std::string tree = dumpOf(path);
  EXPECT_EQ(tree.find("FLT_VERTEX_W"), std::string::npos) << tree;
  EXPECT_NE(tree.find("points=(-1.5,2,1e-07),(4,-3,0.25),(0,9,-2)"), std::string::npos) << tree;

  const std::string full = dumpOf(path, {true});
  ASSERT_EQ(full.rfind(tree, 0), 0u) << full;
  std::istringstream rest(full.substr(tree.size()));
  std::vector<std::string> after;
  for (std::string line; std::getline(rest, line);) after.push_back(line);
  ASSERT_EQ(after.size(), 3u) << full;
  EXPECT_EQ(after[0],
            "FLT_VERTEX_W_TEXTURE_AND_NORMAL len=64 offset=8 at=(-1.5,2,1e-07) "
            "normal=(0,0.6,0.8) uv=(0.6,0.33333334)");
  EXPECT_EQ(after[1], "FLT_VERTEX_W_COLOR len=40 offset=72 at=(4,-3,0.25) color=996 rgba=FFFFFFFF");
  EXPECT_EQ(after[2].rfind("FLT_VERTEX_W_NORMAL len=56 offset=112 at=(0,9,-2)", 0), 0u);
}

// Face flags and light modes by name beside the number; unnamed bits stay visible.
TEST(FltDumpTest, FaceFlagsAndLightModesByName) {
  ScopedWorkDir dir;
  const std::string tree = dumpOf(writePaletteFile());
  EXPECT_NE(tree.find(" flags=0x80000000(terrain) color=511 altcolor=640 light=2(lit face color)"),
            std::string::npos)
      << tree;
  EXPECT_NE(tree.find(" flags=0x24000001(no-alt-color,hidden,0x00000001) color=385"),
            std::string::npos)
      << tree;
  EXPECT_NE(tree.find("FLT_MATERIAL len=88 index=1 matname=\"\" diffuse=(0,0.6,0) alpha=1"),
            std::string::npos)
      << tree;
}

// Every printed float or double reads back to the value stored, in the fewest digits.
TEST(FltDumpTest, NumbersAreShortestAndReadBackExactly) {
  EXPECT_EQ(shortestNumber(0.6f), "0.6");
  EXPECT_EQ(shortestNumber(static_cast<double>(0.6f)), "0.6000000238418579");
  EXPECT_EQ(shortestNumber(100000.0), "100000");
  EXPECT_EQ(shortestNumber(-2.5e-9), "-2.5e-09");
  EXPECT_EQ(shortestNumber(1e300), "1e+300");
  std::mt19937 random(99);
  for (int i = 0; i < 20000; ++i) {
    uint32_t fbits = random();
    uint64_t dbits = uint64_t{random()} << 32 | random();
    float f;
    double d;
    std::memcpy(&f, &fbits, sizeof f);
    std::memcpy(&d, &dbits, sizeof d);
    if (!std::isfinite(f) || !std::isfinite(d)) continue;
    const std::string ft = shortestNumber(f), dt = shortestNumber(d);
    ASSERT_EQ(std::strtof(ft.c_str(), nullptr), f) << ft;
    ASSERT_EQ(std::strtod(dt.c_str(), nullptr), d) << dt;
    // One digit fewer would not do (for values that have a digit to spare).
    if (ft.find('e') == std::string::npos && ft.find('.') != std::string::npos &&
        ft.back() != '.') {
      const std::string shorter = ft.substr(0, ft.size() - 1);
      ASSERT_NE(std::strtof(shorter.c_str(), nullptr), f) << ft;
    }
  }
}

TEST(FltDumpTest, JsonHoldsEveryRecordInFileOrderWithTheTextFields) {
  ScopedWorkDir dir;
  // The reader these checks rest on refuses what is not JSON.
  for (const char* bad : {"[1,]", "{a:1}", "[\"a\nb\"]", "[01]", "[1] x", "[\"\\q\"]", "[1.]"}) {
    Json ignored;
    EXPECT_FALSE(JsonReader().read(bad, ignored)) << bad;
  }

  std::vector<Bytes> records = paletteRecords();
  records.insert(records.begin() + 10, rec(31, 40, {'a', '"', '\n', 0xE9, '\\', 'z'}));
  const std::string path = writeBytes(join(records), "palettes.flt");
  const std::vector<uint16_t> opcodes = opcodesOf(path);

  DumpRun run = fltdump("--json " + path);
  ASSERT_EQ(run.status, 0);
  Json all;
  JsonReader reader;
  ASSERT_TRUE(reader.read(run.out, all)) << reader.error() << "\n" << run.out;
  ASSERT_EQ(all.kind, Json::Kind::kArray);
  ASSERT_EQ(all.items.size(), opcodes.size());

  // The text dump's lines, vertices included, one per record in the same order.
  std::vector<std::string> lines;
  {
    std::istringstream text(dumpOf(path, {true}));
    for (std::string line; std::getline(text, line);) lines.push_back(line);
  }
  std::vector<std::string> vertexLines;
  for (const std::string& l : lines)
    if (l.rfind("FLT_VERTEX_W", 0) == 0) vertexLines.push_back(l);
  size_t nextLine = 0, nextVertex = 0;
  for (size_t i = 0; i < opcodes.size(); ++i) {
    SCOPED_TRACE("record " + std::to_string(i));
    const Json& r = all.items[i];
    ASSERT_EQ(r.kind, Json::Kind::kObject);
    ASSERT_GE(r.members.size(), 4u);
    EXPECT_EQ(r.members[0].first, "opcode");
    EXPECT_EQ(r.members[0].second.number(), opcodes[i]);
    EXPECT_EQ(r.members[1].first, "name");
    EXPECT_EQ(r.members[2].first, "length");
    EXPECT_EQ(r.members[3].first, "depth");
    const bool vertex = opcodes[i] >= 68 && opcodes[i] <= 71;
    const std::string& line = vertex ? vertexLines.at(nextVertex++) : lines.at(nextLine++);
    // Same name, same length, same indent, and the fields under the same keys.
    std::string expected(static_cast<size_t>(r.member("depth")->number()) * 2, ' ');
    expected += r.member("name")->text + " len=" + r.member("length")->text;
    ASSERT_EQ(line.rfind(expected + (r.members.size() > 4 ? " " : ""), 0), 0u) << line;
    for (size_t m = 4; m < r.members.size(); ++m)
      EXPECT_NE(line.find(" " + r.members[m].first + "="), std::string::npos)
          << r.members[m].first << " missing from: " << line;
  }

  // Values keep their types and whole texts.
  const Json& comment = all.items[10];
  EXPECT_EQ(comment.member("text")->text, std::string("a\"\n\xE9\\z"));
  const Json& face = all.items[12];
  ASSERT_EQ(face.member("name")->text, "FLT_FACE");
  EXPECT_EQ(face.member("flags")->member("value")->number(), 0x80000000u);
  ASSERT_EQ(face.member("flags")->member("names")->items.size(), 1u);
  EXPECT_EQ(face.member("flags")->member("names")->items[0].text, "terrain");
  EXPECT_EQ(face.member("light")->member("name")->text, "lit face color");
  const Json& lit = all.items[5];
  EXPECT_EQ(std::strtof(lit.member("uv")->items[1].text.c_str(), nullptr), 1.0f / 3);
  EXPECT_EQ(lit.member("at")->items[2].number(), 1e-7);
  const Json& list = all.items[14];
  ASSERT_EQ(list.member("points")->items.size(), 3u);
  EXPECT_EQ(list.member("points")->items[1].items[0].number(), 4.0);

  // Cut short: the records before the damage, still one valid array, and exit 1.
  Bytes cut = join(records);
  cut.resize(cut.size() - 12);
  run = fltdump("--json " + writeBytes(cut, "cut.flt"));
  EXPECT_EQ(run.status, 1);
  Json before;
  ASSERT_TRUE(JsonReader().read(run.out, before)) << run.out;
  EXPECT_EQ(before.items.size(), opcodes.size() - 2);
}
