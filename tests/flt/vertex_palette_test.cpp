// Vertices and the vertex palette: record layouts per revision, de-duplication and
// offsets, and the palettes as the output file writes them at close.
#include <gtest/gtest.h>

#include <cmath>
#include <map>
#include <string>
#include <vector>

#include "flt/color_palette.h"
#include "flt/face.h"
#include "flt/output_file.h"
#include "flt/vertex.h"
#include "flt/vertex_palette.h"
#include "tests/flt/flt_test_support.h"

namespace {

const int kRevisions[] = {1420, 1500, 1520, 1540};

// Length below 1510, from 1510, and where the packed color stands.
struct KindLayout {
  uint16_t kind;
  int narrow, wide, colorAt;
};
const KindLayout kLayouts[] = {
    {68, 40, 40, 32}, {69, 48, 56, 44}, {70, 64, 64, 52}, {71, 48, 48, 40}};

FltVertex vertexOfKind(uint16_t kind) {
  FltVertex v;
  if (kind == 69 || kind == 70) v.setNormal(0.0, 0.5, 0.75);
  if (kind == 70 || kind == 71) v.setTexCoord(0.25f, 0.75f);
  return v;
}

}  // namespace

TEST(FltVertex, RecordLayoutsPerKindAndRevision) {
  for (const KindLayout& c : kLayouts) {
    for (int version : kRevisions) {
      SCOPED_TRACE(std::to_string(c.kind) + " at " + std::to_string(version));
      bool wide = version >= 1510;
      FltVertex v = vertexOfKind(c.kind);
      v.x = 1.5;
      v.setColor(0.5f, 0.25f, 1.0f);
      v.colorNameIndex = 7;
      v.colorIndex = 0x12345;
      Bytes b = serialised(v, version);
      ASSERT_EQ(static_cast<int>(b.size()), wide ? c.wide : c.narrow);
      EXPECT_EQ(v.size(version), static_cast<int>(b.size()));
      EXPECT_EQ(be32(b, 0), uint32_t{c.kind} << 16 | b.size());
      EXPECT_EQ(be32(b, 4), wide ? 0x00071000u : 0x23451000u);
      EXPECT_EQ(be32(b, 8), 0x3FF80000u);          // x 1.5
      EXPECT_EQ(be32(b, c.colorAt), 0xFFFF3F7Fu);  // alpha, blue, green, red
      if (c.kind != 68) {  // normal j 0.5 at 36 for kinds 69 and 70, v 0.75 for 71
        EXPECT_EQ(be32(b, 36), c.kind == 71 ? 0x3F400000u : 0x3F000000u);
      }
      if (c.kind == 70) {
        EXPECT_EQ(be32(b, 44), 0x3E800000u);  // u
      }
      int tail = c.colorAt + 4 + (wide ? 4 : 0);
      EXPECT_EQ(be32(b, tail - 4), wide ? 0x12345u : 0xFFFF3F7Fu);
      EXPECT_EQ(Bytes(b.begin() + tail, b.end()), Bytes(b.size() - tail, 0));

      // Every field the record holds comes back through parse.
      Bytes p = patterned(c.kind, static_cast<int>(b.size()), {{tail, 64}});
      FltVertex back;
      EXPECT_EQ(reserialised(back, p, version), p);
    }
  }
  FltVertex plain;
  EXPECT_EQ(be32(serialised(plain, 1540), 4), 0xFFFF2000u);
  EXPECT_EQ(be32(serialised(plain, 1540), 32), 0xFFFFFFFFu);
  FltRecord r;
  plain.serialise(r, 1420);
  plain.colorIndex = 5;
  plain.parse(r, 1420);
  EXPECT_EQ(plain.colorIndex, -1);  // FF FF at offset 4 is no color index
  FltVertex either = vertexOfKind(71);
  either.setNormal(1, 0, 0);
  EXPECT_EQ(either.kind, 70);
  EXPECT_EQ(vertexOfKind(70).kind, 70);
}

TEST(FltVertexPalette, EqualVerticesShareOneEntryAndAnyComparedFieldMakesANewOne) {
  FltVertexPalette palette;
  FltVertex base = vertexOfKind(70);
  base.setColor(1, 0, 0);
  EXPECT_EQ(palette.add(base), 8);
  EXPECT_EQ(palette.add(base), 8);

  std::vector<FltVertex> variants(10, base);
  variants[0].x = std::nextafter(0.0, 1.0);
  variants[1].y = 1;
  variants[2].z = 1;
  variants[3].normalI = 0.1;
  variants[4].color.red ^= 1;
  variants[5].color.alpha = 0;
  variants[6].u = 0.5f;
  variants[7].v = 0.5f;
  variants[8].flags ^= 0x0100;
  variants[9].kind = 71;
  int32_t expected = 72;
  for (const FltVertex& v : variants) {
    EXPECT_EQ(palette.add(v), expected);
    expected += v.size(1540);
  }
  for (const FltVertex& v : variants) EXPECT_TRUE(palette.add(v));
  ASSERT_EQ(palette.count(), 11u);
  EXPECT_EQ(palette.totalLength(), expected);
  // Stored in arrival order, each at its offset.
  EXPECT_EQ(palette.vertex(3).z, 1.0);
  EXPECT_EQ(palette.vertex(3).paletteOffset, 8 + 3 * 64);

  // Not compared: colors of uncolored vertices, -0 against 0, normals of a kind
  // without one, and the color indexes that close resolves.
  FltVertex a;
  a.x = 3;
  FltVertex b = a;
  b.color.green = 1;
  b.y = -0.0;
  b.normalI = 9;
  b.colorIndex = 44;
  int32_t at = palette.add(a);
  EXPECT_EQ(palette.add(b), at);

  // Offsets advance by the vertex size of the palette's revision.
  for (int version : kRevisions) {
    FltVertexPalette sized;
    sized.setVersion(version);
    FltVertex v = vertexOfKind(69);
    EXPECT_EQ(sized.add(v), 8);
    v.x = 1;
    EXPECT_EQ(sized.add(v), version >= 1510 ? 64 : 56) << version;
  }
}

// Against a plain model (a map from the compared fields to the first offset),
// over far more vertices than the table of recent ones holds, coming back near
// and far from where they first came.
TEST(FltVertexPalette, RepeatsNearAndFarFindTheFirstCopy) {
  FltVertexPalette palette;
  std::map<std::vector<double>, int32_t> model;
  int32_t next = 8;
  uint32_t seed = 7;
  const auto add = [&](int id) {
    FltVertex v = vertexOfKind(id % 3 == 0 ? 68 : 70);
    v.x = id % 1000;
    v.y = id / 1000;
    const std::vector<double> key{v.x, v.y, double(v.kind)};
    const auto [it, added] = model.emplace(key, next);
    if (added) next += v.size(1540);
    EXPECT_EQ(palette.add(v), it->second) << id;
  };
  for (int i = 0; i < 60000; ++i) {
    add(i);
    add(i - 500);  // a corner shared a few rows back
    seed = seed * 1103515245u + 12345u;
    add(int(seed >> 8) % (i + 1));  // anywhere before
  }
  for (int i = 60000; i-- > 0;) add(i);
  EXPECT_EQ(palette.count(), model.size());
  EXPECT_EQ(palette.totalLength(), next);
}

TEST(FltVertexPalette, VertexColorsAreResolvedAndListsPointAtVertexRecords) {
  ScopedWorkDir dir;
  FltOutputFile file;
  ASSERT_EQ(file.open("out.flt", 1520), 1);
  FltFace face;
  face.setColor(file.colors(), FltPackedColor::fromBytes(0, 255, 0));
  EXPECT_TRUE(file.write(face));
  EXPECT_TRUE(file.writePushLevel());
  FltVertex corner;
  corner.setNormal(0, 0, 1);
  corner.setColor(0, 0, 1);
  for (double x : {0.0, 2.0, 0.0}) {
    corner.x = x;
    ASSERT_EQ(file.addVertex(corner), 1);
  }
  EXPECT_TRUE(file.writePopLevel());
  ASSERT_EQ(file.close(), 1);

  Bytes b = fileBytes("out.flt");
  size_t colors = be16(b, 2);  // behind the header
  ASSERT_EQ(be16(b, colors), 32u);
  EXPECT_EQ(be32(b, colors + 132), 0xFF00FF00u);  // the face's green, then
  EXPECT_EQ(be32(b, colors + 136), 0xFFFF0000u);  // blue, added at close
  size_t vertices = colors + be16(b, colors + 2);
  ASSERT_EQ(be32(b, vertices), 0x00430008u);
  EXPECT_EQ(be32(b, vertices + 4), 8u + 2 * 56);
  EXPECT_EQ(be32(b, vertices + 8 + 48), 128u + 127);  // the first vertex's color index

  std::string dump = dumpOf("out.flt", {/*vertices=*/true});
  EXPECT_NE(dump.find("FLT_COLOR_PALETTE len=4232 colors=1024 names=0"), std::string::npos);
  EXPECT_NE(dump.find("FLT_VERTEX_W_NORMAL len=56 offset=64 at=(2,0,0) normal=(0,0,1) color=255"),
            std::string::npos);
  EXPECT_NE(dump.find("id=\"f1\" draw=0 flags=0xA0000000(terrain,no-alt-color) color=127"),
            std::string::npos);
  EXPECT_NE(dump.find("corners=3 offsets=8,64,8 points=(0,0,0),(2,0,0),(0,0,0)"), std::string::npos)
      << dump;
}

TEST(FltVertexPalette, PaletteThatWouldPassTheLargestOffsetFailsTheExport) {
  ScopedWorkDir dir;
  FltOutputFile file;
  ASSERT_EQ(file.open("out.flt", 1540), 1);
  FltVertex v;
  v.storedLength = 32760;
  int added = 0;
  for (; added < 70000; ++added) {
    v.x = added;
    if (!file.addVertex(v)) break;
  }
  // 8 + n * 32760 stays within 2^31 - 1 for n up to 65552.
  EXPECT_EQ(added, 65552);
  EXPECT_NE(file.error().find("vertex palette"), std::string::npos);
  EXPECT_EQ(file.close(), 0);
  EXPECT_FALSE(std::filesystem::exists("out.flt"));
}
