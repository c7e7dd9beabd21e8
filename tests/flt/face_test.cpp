// Faces, light points and vectors: layouts per revision, colours, default IDs and
// the parse side writing back the same bytes.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <string>

#include "flt/color_palette.h"
#include "flt/face.h"
#include "flt/light_point.h"
#include "flt/output_file.h"
#include "flt/vector.h"
#include "tests/flt/record_bytes.h"

TEST(FltFace, DefaultLayoutIsNarrowBelow1510AndCarriesTheIndexesThere) {
  FltFace f;
  f.primaryColorIndex = 0x12345;
  f.alternateColorIndex = 0x6789A;
  for (int version : {1420, 1500, 1520, 1540}) {
    SCOPED_TRACE(version);
    bool wide = version >= 1510;
    Bytes b = serialised(f, version);
    ASSERT_EQ(b.size(), wide ? 80u : 64u);
    EXPECT_EQ(be32(b, 0), wide ? 0x00050050u : 0x00050040u);
    EXPECT_EQ(be32(b, 20), wide ? 0xFFFFFFFFu : 0x2345789Au);
    EXPECT_EQ(be32(b, 26), 0xFFFFFFFFu);  // detail and texture pattern -1
    EXPECT_EQ(be16(b, 30), 0xFFFFu);      // material -1
    EXPECT_EQ(be32(b, 44), 0xE0000000u);
    if (wide) {
      EXPECT_EQ(be32(b, 68), 0x12345u);
      EXPECT_EQ(be32(b, 72), 0x6789Au);
    }
  }
}

TEST(FltFace, ColourClearsOnlyTheNoColourFlagAndLandsAtOffset68) {
  FltColorPalette palette;
  FltFace f;
  f.setColour(palette, FltPackedColor::fromBytes(255, 0, 0));
  EXPECT_EQ(f.primaryColor.red, 255);
  Bytes b = serialised(f, 1540);
  EXPECT_EQ(be32(b, 44), 0xA0000000u);
  EXPECT_EQ(be32(b, 68), 127u);
  f.setColour(palette, FltPackedColor::fromBytes(0, 0, 128));
  EXPECT_EQ(be32(serialised(f, 1540), 68), 128u + 63);
}

TEST(FltFace, EveryKindWritesBackTheBytesItParsed) {
  for (int version : {1420, 1500, 1520, 1540}) {
    SCOPED_TRACE(version);
    FltFace face;
    Bytes b = version >= 1510 ? patterned(5, 80, {{24, 25}, {49, 64}, {66, 68}, {76, 80}})
                              : patterned(5, 64, {{24, 25}, {49, 64}});
    EXPECT_EQ(reserialised(face, b, version), b);
    EXPECT_EQ(face.flags, 0x2C2D2E2Fu);
    FltLightPoint light;
    b = patterned(111, 152);
    EXPECT_EQ(reserialised(light, b, version), b);
    FltVector vector;
    b = patterned(50, 16);
    EXPECT_EQ(reserialised(vector, b, version), b);
  }
}

TEST(FltFace, UnnamedFacesAndLightPointsDrawTheirHeaderCounters) {
  std::string dir =
      std::filesystem::temp_directory_path() / ("zorvel_face_" + std::to_string(::getpid()));
  std::filesystem::create_directories(dir);
  FltOutputFile file;
  ASSERT_EQ(file.open(dir + "/ids.flt", 1540), 1);
  FltFace first, second, named;
  named.setId("door");
  FltLightPoint light;
  file.write(first);
  file.write(named);
  file.write(second);
  file.write(light);
  EXPECT_STREQ(first.id, "f1");
  EXPECT_STREQ(second.id, "f2");
  EXPECT_STREQ(named.id, "door");
  EXPECT_STREQ(light.id, "lp1");
  EXPECT_EQ(file.close(), 1);
  std::filesystem::remove_all(dir);
}

TEST(FltLightPoint, DefaultsAndSinglePrecisionDirections) {
  FltLightPoint light;
  light.setId("lp1");
  light.axisX = 0.1;
  Bytes b = serialised(light, 1540);
  ASSERT_EQ(b.size(), 152u);
  EXPECT_EQ(be32(b, 0), 0x006F0098u);
  EXPECT_EQ(be32(b, 20), 2u);
  EXPECT_EQ(be32(b, 140), 0x3DCCCCCDu);
  for (size_t i = 12; i < 140; ++i) EXPECT_EQ(b[i], i >= 20 && i < 24 ? b[i] : 0) << i;
  FltVector v;
  EXPECT_EQ(serialised(v, 1540), (Bytes{0, 50, 0, 16, 0, 0, 0, 0, 0, 0, 0, 0, 0x3F, 0x80, 0, 0}));
}
