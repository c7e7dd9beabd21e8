// Texture attribute files: the layout with and without the optional sections, and the
// files written beside the images at close.
#include <gtest/gtest.h>

#include "flt/output_file.h"
#include "flt/texture.h"
#include "flt/texture_attr.h"
#include "flt/texture_list.h"
#include "tests/textures/texture_test_support.h"

namespace {

// As the export fills a texture from a host bitmap.
FltTextureAttr fromBitmap() {
  FltTextureAttr a;
  a.texelsU = 512;
  a.texelsV = 256;
  a.fileFormat = -1;
  a.minFilter = a.magFilter = a.repetitionU = 1;
  a.realWorldSizeU = a.realWorldSizeV = 10.0;
  return a;
}

TEST(FltTextureAttr, LayoutWithAllFlagsClear) {
  FltRecord r;
  fromBitmap().serialise(r);
  std::vector<uint8_t> b = bytesOf(r);
  ASSERT_EQ(b.size(), 1452u);
  EXPECT_EQ(be32(b, 0), 512u);
  EXPECT_EQ(be32(b, 4), 256u);
  EXPECT_EQ(be32(b, 24), 0xFFFFFFFFu);
  EXPECT_EQ(be32(b, 40), 1u);
  EXPECT_EQ(be32(b, 100), 0x40240000u);  // 10.0 as a double
  EXPECT_EQ(be32(b, 104), 0u);
  EXPECT_EQ(be32(b, 108), 0x40240000u);
  EXPECT_EQ(be32(b, 120), 0x05F0u);  // kernel version 1520 whatever the file's revision
  EXPECT_EQ(be32(b, 144), 2u);
  EXPECT_EQ(be32(b, 148), 2u);
  FltTextureAttr().serialise(r);
  EXPECT_EQ(be32(bytesOf(r), 28), 6u);  // minification filter as built
}

TEST(FltTextureAttr, OptionalSectionsShiftWhatFollowsAndEveryFieldRoundTrips) {
  FltTextureAttr a;
  int32_t* ints[] = {
      &a.texelsU,         &a.texelsV,         &a.upVectorX,        &a.upVectorY,
      &a.fileFormat,      &a.minFilter,       &a.magFilter,        &a.repetitionType,
      &a.repetitionU,     &a.repetitionV,     &a.modifyFlag,       &a.xPivot,
      &a.yPivot,          &a.environmentType, &a.intensityPattern, &a.originCode,
      &a.kernelVersion,   &a.internalFormat,  &a.externalFormat,   &a.mipmapKernelFlag,
      &a.lodControlFlag,  &a.clamp,           &a.magFilterAlpha,   &a.magFilterColor,
      &a.detailFlag,      &a.tileFlag,        &a.tileLowerLeftU,   &a.tileUpperRightU,
      &a.tileUpperRightV, &a.projection,      &a.utmZone,          &a.attrFileVersion};
  int32_t v = 11;
  for (int32_t* p : ints) *p = v++;
  a.realWorldSizeU = 1.5;
  a.realWorldSizeV = 2.5;
  a.lambertCentralMeridian = -3.5;
  a.lambertUpperLat = 45.25;
  a.lambertLowerLat = 33.75;
  for (int i = 0; i < 8; ++i) {
    a.mipmapKernel[i] = 0.125f * (i + 1);
    a.lodControl[i][0] = 1.0f + i;
    a.lodControl[i][1] = 2.0f + i;
  }
  for (int i = 0; i < 5; ++i) a.detail[i] = 100 + i;
  std::strcpy(a.comments, "scanned from the north wall");
  a.controlPointCount = 3;
  for (int i = 0; i < 3; ++i)
    for (int k = 0; k < 4; ++k) a.controlPoints[i][k] = i * 10 + k + 0.5;
  FltRecord r;
  a.serialise(r);
  std::vector<uint8_t> b = bytesOf(r);
  ASSERT_EQ(b.size(), 1452u + 32 + 64 + 20 + 4 + 3 * 32);
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(&b[996])), a.comments);
  EXPECT_EQ(be32(b, 136), 0x3E000000u);  // the first kernel value, 0.125
  EXPECT_EQ(be32(b, 1448 + 116), 3u);
  FltTextureAttr back;
  back.parse(r);
  EXPECT_EQ(back.controlPoints[2][3], 23.5);
  FltRecord again;
  back.serialise(again);
  EXPECT_EQ(bytesOf(again), b);
}

TEST(FltTextureAttr, FilesBesideEveryTextureAndWarningsForThoseThatFail) {
  ScopedWorkDir dir;
  FltOutputFile file;
  ASSERT_TRUE(file.open("scene.flt", 1420));
  std::vector<std::string> names;
  for (int i = 0; i < 10; ++i) names.push_back(dir.path() + "/tex" + std::to_string(i) + ".rgb");
  std::ofstream(names[3] + ".attr") << std::string(5000, 'x');  // stale and longer
  const std::string missing = dir.path() + "/no_such_dir/gone.rgb";
  for (const std::string& n : {names[0], missing, std::string()}) names.push_back(n);
  for (const std::string& n : names) {
    FltTexture t;
    t.setPath(n.c_str());
    t.attributes = fromBitmap();
    EXPECT_GE(file.textures().addTexture(t), 0);
  }
  std::vector<std::string> warnings;
  file.setWarningSink([&](const std::string& text) { warnings.push_back(text); });
  ASSERT_EQ(file.close(), 1) << file.error();
  for (int i = 0; i < 10; ++i) {
    std::vector<uint8_t> b = fileBytes(names[i] + ".attr");
    ASSERT_EQ(b.size(), 1452u) << names[i];
    EXPECT_EQ(be32(b, 0), 512u);
  }
  ASSERT_EQ(warnings.size(), 2u);
  EXPECT_NE(warnings[0].find(missing + ".attr"), std::string::npos) << warnings[0];
  EXPECT_NE(warnings[1].find("no path"), std::string::npos) << warnings[1];
  EXPECT_FALSE(std::filesystem::exists(".attr"));
}

}  // namespace
