// The color palette: color indexes, the nearest-color walk of a full palette, and
// the palette record per revision, names included.
#include <gtest/gtest.h>

#include <cstring>

#include "flt/color_palette.h"
#include "tests/flt/flt_test_support.h"

namespace {

FltPackedColor rgb(int r, int g, int b) {
  return FltPackedColor::fromBytes(static_cast<uint8_t>(r), static_cast<uint8_t>(g),
                                   static_cast<uint8_t>(b));
}

}  // namespace

TEST(FltColorPalette, BrightnessTravelsInTheIntensityOfTheIndex) {
  FltColorPalette palette;
  EXPECT_EQ(palette.colorIndex(rgb(255, 0, 0)), 127);
  EXPECT_EQ(palette.colorIndex(rgb(128, 0, 0)), 63);
  // The lowest bit is dropped before the slot is chosen.
  EXPECT_EQ(palette.colorIndex(rgb(254, 0, 0)) / 128, 0);
  EXPECT_EQ(palette.slot(0), rgb(255, 0, 0));

  // Black and greys are white at some brightness.
  EXPECT_EQ(palette.colorIndex(rgb(0, 0, 0)), 128);
  EXPECT_EQ(palette.colorIndex(rgb(255, 255, 255)), 128 + 127);
  EXPECT_EQ(palette.colorIndex(rgb(128, 128, 128)), 128 + 63);

  int32_t orange = palette.colorIndex(rgb(200, 100, 0));
  EXPECT_EQ(palette.colorIndex(rgb(201, 101, 1)) / 128, orange / 128);
  EXPECT_EQ(palette.colorIndex(rgb(100, 50, 0)) / 128, orange / 128);
  EXPECT_EQ(palette.usedCount(), 3);

  // A reset palette forgets the slots too, so nothing leaks into the next export.
  palette.reset();
  EXPECT_EQ(palette.usedCount(), 0);
  EXPECT_EQ(palette.slot(1), rgb(255, 255, 255));
}

TEST(FltColorPalette, HsvConversionsFollowTheHexcone) {
  float h, s, v, r, g, b;
  rgbToHsv(0.0f, 1.0f, 0.0f, h, s, v);
  EXPECT_NEAR(h, 1.0 / 3, 1e-6);
  // Reds whose green is the minimum come out at the top of the hue range.
  rgbToHsv(0.5f, 0.25f, 0.25f, h, s, v);
  EXPECT_NEAR(h, 1.0, 1e-6);
  EXPECT_NEAR(s, 0.5, 1e-6);
  EXPECT_NEAR(v, 0.5, 1e-6);
  for (const auto& c :
       {std::vector<float>{1, 0, 0}, {0.2f, 0.4f, 0.9f}, {0.9f, 0.1f, 0.6f}, {0.3f, 0.8f, 0.3f}}) {
    rgbToHsv(c[0], c[1], c[2], h, s, v);
    hsvToRgb(h, s, v, r, g, b);
    EXPECT_NEAR(r, c[0], 1e-5);
    EXPECT_NEAR(g, c[1], 1e-5);
    EXPECT_NEAR(b, c[2], 1e-5);
  }
}

TEST(FltColorPalette, FullPaletteGivesTheNearestSlotAndGrowsNoMore) {
  FltColorPalette palette;
  palette.setVersion(1420);
  for (int i = 0; i < 512; ++i) ASSERT_EQ(palette.indexOf(rgb(i / 2, (i % 2) * 128, 0)), i);
  // (37, 0, 0) is slot 74; (36, 0, 0) and (38, 0, 0) lie one step further away.
  EXPECT_EQ(palette.indexOf(rgb(37, 2, 0)), 74);
  EXPECT_EQ(palette.indexOf(rgb(200, 120, 0)), 401);
  EXPECT_LT(palette.colorIndex(rgb(10, 200, 30)), 512 * 128);
  EXPECT_EQ(palette.usedCount(), 512);
}

TEST(FltColorPalette, RecordHoldsEverySlotOfTheRevision) {
  struct Case {
    int version, length, colors;
  };
  for (Case c : {Case{1420, 2184, 512}, Case{1500, 2184, 512}, Case{1520, 4232, 1024},
                 Case{1540, 4232, 1024}}) {
    SCOPED_TRACE(c.version);
    FltColorPalette palette;
    palette.setVersion(c.version);
    palette.colorIndex(rgb(0, 0, 255));
    Bytes b = serialised(palette, c.version);
    ASSERT_EQ(b.size(), static_cast<size_t>(c.length));
    EXPECT_EQ(be32(b, 0), 0x00200000u | c.length);
    EXPECT_EQ(Bytes(b.begin() + 4, b.begin() + 132), Bytes(128, 0));
    EXPECT_EQ(be32(b, 132), 0xFFFF0000u);  // alpha, blue, green, red
    size_t end = 132 + 4 * c.colors;
    EXPECT_EQ(Bytes(b.begin() + 136, b.begin() + end), Bytes(end - 136, 0xFF));
    EXPECT_EQ(Bytes(b.begin() + end, b.end()), Bytes(b.size() - end, 0));
  }
}

TEST(FltColorPalette, ParsedPaletteWithNamesWritesBackTheSameBytes) {
  FltRecord r;
  r.begin(FltColorPalette::kOpcode);
  r.skip(128);
  for (int i = 0; i < 1024; ++i) r.write8(255).write8(i % 7 * 30).write8(i % 5 * 50).write8(i / 4);
  const char* names[] = {"sky", "grass", "brick"};
  r.write32(int32_t{3});
  for (int i = 0; i < 3; ++i) {
    int len = static_cast<int>(std::strlen(names[i]));
    r.write16(static_cast<uint16_t>(8 + len + 1)).write16(0);
    r.write16(static_cast<uint16_t>(i * 300)).write16(0);
    r.writeBytes(names[i], len + 1);
  }
  r.finish();
  Bytes original = bytesOf(r);

  FltColorPalette palette;
  EXPECT_EQ(reserialised(palette, original, 1540), original);
  EXPECT_EQ(palette.usedCount(), 1024);
  ASSERT_EQ(palette.colorNameCount(), 3);
  ASSERT_NE(palette.findColorName("brick"), nullptr);
  EXPECT_EQ(palette.findColorName("brick")->colorIndex, 600);
  EXPECT_EQ(palette.findColorName("bric"), nullptr);
  // The rebuilt color order finds parsed colors.
  EXPECT_EQ(palette.slot(palette.indexOf(palette.slot(517))), palette.slot(517));
}
