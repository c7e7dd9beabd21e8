// The output file: framing of a whole export, nesting, the pending vertex list,
// and the promise that a failed export never leaves a file at the output path.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "flt/color_palette.h"
#include "flt/file_check.h"
#include "flt/group.h"
#include "flt/header.h"
#include "flt/material.h"
#include "flt/material_table.h"
#include "flt/output_file.h"
#include "flt/switch.h"
#include "flt/texture.h"
#include "flt/vertex.h"
#include "tests/flt/flt_test_support.h"

namespace fs = std::filesystem;

namespace {

using Opcodes = std::vector<uint16_t>;

// The opcodes after the palettes: everything from the first push level on.
Opcodes bodyOpcodes(const std::string& path) {
  Opcodes all = fileOpcodes(path);
  return {std::find(all.begin(), all.end(), 10), all.end()};
}

size_t filesInWorkDir() {
  return static_cast<size_t>(std::distance(fs::directory_iterator("."), {}));
}

FltTexture texture(const std::string& path) {
  FltTexture t;
  t.setPath(path.c_str());
  t.attributes.texelsU = t.attributes.texelsV = 256;
  return t;
}

FltSwitch switchOfWords(size_t words) {
  FltSwitch s;
  s.maskWords.assign(words, 7);
  return s;
}

}  // namespace

TEST(OutputFileTest, EmptyExportIsExactlyHeaderPalettesAndTheTopGroup) {
  ScopedWorkDir dir;
  for (int version : {1420, 1540}) {
    SCOPED_TRACE(version);
    FltOutputFile file;
    ASSERT_EQ(file.open("out.flt", version), 1);
    EXPECT_EQ(file.pushDepth(), 2);
    ASSERT_EQ(file.close(), 1);
    EXPECT_FALSE(file.isOpen());

    FltHeader header;
    header.formatRevision = version;
    header.nextGroupId = 2;  // the top group drew g1 before the header was written
    FltColorPalette colors;
    colors.setVersion(version);
    Bytes expected = serialised(header, version);
    for (const Bytes& part :
         {serialised(colors, version), sparse(67, 8, {{4, be(8)}}), sparse(10, 8),
          sparse(2, 32, {{4, {'g', '1'}}}), sparse(10, 8), sparse(11, 8), sparse(11, 8)})
      expected.insert(expected.end(), part.begin(), part.end());
    EXPECT_EQ(fileBytes("out.flt"), expected);
    EXPECT_EQ(filesInWorkDir(), 1u);  // no temporary file left behind
  }
}

TEST(OutputFileTest, PalettesFollowTheHeaderInTheirOrderAndForm) {
  ScopedWorkDir dir;
  FltOutputFile file;
  for (int version : {1420, 1500, 1520, 1540}) {
    SCOPED_TRACE(version);
    ASSERT_TRUE(file.open("t.flt", version));
    FltMaterial m;
    m.setName("brick");
    for (int i = 1; i <= 3; ++i) {
      m.diffuse[0] = 0.25f * i;
      EXPECT_GE(file.materials().addMaterial(m), 0);
    }
    EXPECT_GE(file.textures().addTexture(texture(dir.path() + "/wood.rgb")), 0);
    EXPECT_GE(file.textures().addTexture(texture(dir.path() + "/stone.rgb")), 0);
    ASSERT_EQ(file.close(), 1) << file.error();
    EXPECT_EQ(file.textures().entryCount(), 0);  // cleared with the file

    // Below 1500 one material table, from 1500 one record per material.
    std::vector<Bytes> records = fileRecords("t.flt");
    Opcodes ops = fileOpcodes("t.flt"), materials = version < 1500 ? Opcodes{66} : Opcodes(3, 113);
    Opcodes expected{1, 32};
    expected.insert(expected.end(), materials.begin(), materials.end());
    expected.insert(expected.end(), {64, 64, 67});
    ASSERT_EQ(Opcodes(ops.begin(), ops.begin() + expected.size()), expected);
    if (version < 1500) {
      auto table = std::make_unique<FltMaterialTable>();
      parseBytes(*table, records[2], version);
      EXPECT_EQ(table->slots[2].diffuse[0], 0.75f);
      EXPECT_EQ(table->slots[3].shininess, 1.0f);
    } else {
      for (uint32_t i = 0; i < 3; ++i) EXPECT_EQ(be32(records[2 + i], 4), i);
    }
    std::string text = dumpOf("t.flt");
    EXPECT_NE(text.find(version < 1500 ? " used=0,1,2\n"
                                       : "index=2 matname=\"brick\" diffuse=(0.75,0,0)"),
              std::string::npos)
        << text;
    EXPECT_NE(text.find("pattern=1 at=(0,256) file=\"stone.rgb\""), std::string::npos) << text;
  }
}

// A vertex list stands right before the record that follows its vertices; close
// flushes a pending one and balances forgotten push levels, but not subfaces.
TEST(OutputFileTest, VertexListsAndLevelsInTheBody) {
  ScopedWorkDir dir;
  FltOutputFile file;
  ASSERT_TRUE(file.open("out.flt", 1540));
  FltGroup face;  // stands in for a face record
  EXPECT_TRUE(file.write(face));
  EXPECT_TRUE(file.writePushLevel());
  // Palette offsets 8, 8 (the same vertex again) and 48 (behind the 40-byte first).
  FltVertex first, second;
  second.x = 1.0;
  for (const FltVertex* v : {&first, &first, &second}) ASSERT_TRUE(file.addVertex(*v));
  EXPECT_TRUE(file.writePopLevel());
  EXPECT_TRUE(file.write(face));
  EXPECT_TRUE(file.writePushLevel());
  EXPECT_TRUE(file.writePopLevel());  // a face without corners has no vertex list
  EXPECT_TRUE(file.writePushLevel());
  EXPECT_TRUE(file.writePushSubface());
  ASSERT_TRUE(file.addVertex(first));
  EXPECT_EQ(file.pushDepth(), 3);
  EXPECT_EQ(file.subfaceDepth(), 1);
  ASSERT_EQ(file.close(), 1);

  EXPECT_EQ(bodyOpcodes("out.flt"),
            (Opcodes{10, 2, 10, 2, 10, 72, 11, 2, 10, 11, 10, 19, 72, 11, 11, 11}));
  std::vector<Bytes> records = fileRecords("out.flt");
  auto list =
      std::find_if(records.begin(), records.end(), [](const Bytes& r) { return r[1] == 72; });
  ASSERT_NE(list, records.end());
  EXPECT_EQ(*list, (Bytes{0, 72, 0, 16, 0, 0, 0, 8, 0, 0, 0, 8, 0, 0, 0, 48}));
}

TEST(OutputFileTest, OpeningAgainFinishesTheFirstFile) {
  ScopedWorkDir dir;
  FltOutputFile file;
  ASSERT_TRUE(file.open("first.flt", 1540));
  FltGroup g;
  EXPECT_TRUE(file.write(g));
  ASSERT_TRUE(file.open("second.flt", 1420));
  EXPECT_TRUE(fs::exists("first.flt"));
  EXPECT_FALSE(fs::exists("second.flt"));
  ASSERT_EQ(file.close(), 1);
  std::vector<Bytes> records = fileRecords("second.flt");
  ASSERT_FALSE(records.empty());
  EXPECT_EQ(records.front().size(), 264u);
  // Each export starts its counters afresh: the top group is g1 again.
  EXPECT_EQ(bodyOpcodes("first.flt"), (Opcodes{10, 2, 10, 2, 11, 11}));
  auto top = std::find_if(records.begin(), records.end(), [](const Bytes& r) { return r[1] == 2; });
  ASSERT_NE(top, records.end());
  EXPECT_EQ(std::string(top->begin() + 4, top->begin() + 7), std::string("g1\0", 3));
}

TEST(OutputFileTest, NothingAppearsAtThePathBeforeASuccessfulClose) {
  ScopedWorkDir dir;
  { std::ofstream("out.flt") << "previous"; }
  FltOutputFile file;
  ASSERT_TRUE(file.open("out.flt", 1540));
  EXPECT_EQ(fileBytes("out.flt").size(), 8u);
  file.discard();
  EXPECT_FALSE(file.isOpen());
  EXPECT_EQ(fileBytes("out.flt"), (Bytes{'p', 'r', 'e', 'v', 'i', 'o', 'u', 's'}));
  EXPECT_EQ(filesInWorkDir(), 1u);
  EXPECT_EQ(file.close(), 0);  // closing a closed file does nothing

  std::string bad = "missing/out.flt";
  EXPECT_EQ(file.open(bad, 1540), 0);
  EXPECT_FALSE(file.isOpen());
  EXPECT_NE(file.error().find(bad), std::string::npos) << file.error();
  EXPECT_EQ(file.writePushLevel(), 0);
}

TEST(OutputFileTest, OversizedRecordIsRefusedAndFailsTheExport) {
  ScopedWorkDir dir;
  { std::ofstream("out.flt") << "previous"; }
  FltOutputFile file;
  ASSERT_TRUE(file.open("out.flt", 1540));
  // 28 + 4 * 8183 = 32760, the largest padded length; one word more is too many.
  FltSwitch fits = switchOfWords(8183), tooLong = switchOfWords(8184);
  EXPECT_EQ(file.write(fits), 1);
  EXPECT_FALSE(file.failed());
  EXPECT_EQ(file.write(tooLong), 0);  // refused, not truncated
  EXPECT_TRUE(file.failed());
  EXPECT_NE(file.error().find("FLT_SWITCH"), std::string::npos) << file.error();
  EXPECT_NE(file.error().find("32767"), std::string::npos) << file.error();
  EXPECT_EQ(file.close(), 0);
  EXPECT_EQ(fileBytes("out.flt").size(), 8u);
  EXPECT_EQ(filesInWorkDir(), 1u);
}

TEST(OutputFileTest, FailedFileIsDiscardedNotFinishedByTheNextOpenOrTheDestructor) {
  ScopedWorkDir dir;
  {
    FltOutputFile file;
    ASSERT_TRUE(file.open("first.flt", 1540));
    FltSwitch tooLong = switchOfWords(8184);
    EXPECT_FALSE(file.write(tooLong));
    ASSERT_TRUE(file.open("out.flt", 1540));
    EXPECT_FALSE(fs::exists("first.flt"));
    EXPECT_FALSE(file.failed());
    EXPECT_FALSE(file.write(tooLong));
  }
  EXPECT_EQ(filesInWorkDir(), 0u);
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
  for (int i = 0; i < 2000; ++i) EXPECT_TRUE(file.write(g));
  int result = file.close();
  std::_Exit(result == 0 && !fs::exists(path) && !file.error().empty() ? 0 : 1);
}

TEST(OutputFileTest, WriteErrorMakesCloseFail) {
  ScopedWorkDir dir;
  // A file-size limit makes the writes fail as a full disk would.
  EXPECT_EXIT(exportUnderFileSizeLimit("out.flt"), ::testing::ExitedWithCode(0), "");
}

TEST(OutputFileTest, LargeBodyLandsRightBehindTheVertexPalette) {
  // Over 8 MiB of body is copied on a thread of its own while the vertices are
  // written; palettes of a length no page size divides must still meet it exactly.
  ScopedWorkDir dir;
  FltOutputFile file;
  ASSERT_TRUE(file.open("out.flt", 1540));
  constexpr int kFaces = 150000;
  FltGroup face;
  for (int i = 0; i < kFaces; ++i) {
    ASSERT_TRUE(file.write(face));
    ASSERT_TRUE(file.writePushLevel());
    FltVertex v;
    v.x = i;
    if (i % 3 == 0) v.setNormal(0, 0, 1);  // records of 40 and 56 bytes
    ASSERT_TRUE(file.addVertex(v));
    v.y = 1;
    ASSERT_TRUE(file.addVertex(v));
    ASSERT_TRUE(file.writePopLevel());
  }
  ASSERT_EQ(file.close(), 1) << file.error();
  ASSERT_GT(fs::file_size("out.flt"), 8u << 20);
  const FltCheckResult check = checkFltFile("out.flt");
  EXPECT_TRUE(check.sound()) << check.error;
  const Opcodes body = bodyOpcodes("out.flt");
  EXPECT_EQ(std::count(body.begin(), body.end(), 72), kFaces);
  // The last face's vertex list names the last two vertices.
  const std::vector<Bytes> records = fileRecords("out.flt");
  const auto last =
      std::find_if(records.rbegin(), records.rend(), [](const Bytes& r) { return r[1] == 72; });
  ASSERT_NE(last, records.rend());
  const auto vertex = std::find_if(records.rbegin(), records.rend(), [](const Bytes& r) {
    return r[0] == 0 && r[1] >= 68 && r[1] <= 71;
  });
  ASSERT_NE(vertex, records.rend());
  const auto at = [](const Bytes& r, size_t i) {
    return int64_t(r[i]) << 24 | int64_t(r[i + 1]) << 16 | int64_t(r[i + 2]) << 8 | r[i + 3];
  };
  // Offsets count from the palette record; the last vertex ends the palette.
  const auto palette =
      std::find_if(records.begin(), records.end(), [](const Bytes& r) { return r[1] == 67; });
  ASSERT_NE(palette, records.end());
  EXPECT_EQ(at(*last, 8) + int64_t(vertex->size()), at(*palette, 4));
}
