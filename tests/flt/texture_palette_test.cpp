// The texture list: paths and keys, the texture palette record, finding and adding
// entries, search directories, and the pattern index limit of a written file.
#include <gtest/gtest.h>

#include <cstdlib>

#include "flt/output_file.h"
#include "flt/texture.h"
#include "flt/texture_list.h"
#include "tests/flt/flt_test_support.h"

namespace {

FltTexture texture(const std::string& path, int w = 256, int h = 256) {
  FltTexture t;
  t.setPath(path.c_str());
  t.attributes.texelsU = w;
  t.attributes.texelsV = h;
  return t;
}

}  // namespace

TEST(FltTexture, PathsAndTheRecordRoundTrip) {
  FltTexture t;
  t.setPath("C:/maps/wood.bmp");
  EXPECT_EQ(t.fileName, "wood.bmp");
  EXPECT_EQ(t.key(), "C:/maps/wood.bmp");
  t.setPath("D:\\maps\\stone.rgb");
  EXPECT_EQ(t.fileName, "stone.rgb");
  t.setPath("plain.rgb");
  EXPECT_EQ(t.fileName, t.fullPath);
  t.setPath(nullptr);
  EXPECT_EQ(t.key(), "");
  // Long paths stay whole as keys; the record's field takes 200 bytes of the name.
  std::string path = "/" + std::string(1100, 'd') + "/" + std::string(210, 'w');
  t = texture(path);
  EXPECT_EQ(t.key(), path);
  t.patternIndex = 257;
  t.xLocation = 1024;
  t.yLocation = -16;
  for (int version : {1420, 1500, 1520, 1540}) {
    Bytes b = serialised(t, version);
    Bytes name(200, 'w');
    EXPECT_EQ(b, sparse(64, 216, {{4, name}, {204, be(257)}, {208, be(1024)}, {212, be(-16)}}));
    FltTexture back;
    EXPECT_EQ(reserialised(back, b, version), b);
    EXPECT_EQ(back.fullPath, std::string(200, 'w'));
  }
}

TEST(FltTextureList, FindsAndAddsByKeyAndListsSearchDirectories) {
  ScopedWorkDir dir;
  setenv("TEXTURE_PATH", "a; b,a", 1);
  setenv("TXT_PATH", "  ,c ;", 1);
  FltTextureList list;
  unsetenv("TEXTURE_PATH");
  unsetenv("TXT_PATH");
  EXPECT_EQ(list.findTexture("/maps/wood.bmp"), -1);
  EXPECT_EQ(list.addTexture(texture("/maps/wood.bmp")), 0);
  EXPECT_EQ(list.addTexture(texture("/maps/stone.bmp")), 1);
  EXPECT_EQ(list.addTexture(texture("/maps/wood.bmp", 64, 64)), 0);
  EXPECT_EQ(list.entryCount(), 2);
  EXPECT_EQ(list.entry(0).width(), 256);
  EXPECT_EQ(list.findTexture("/maps/stone.bmp"), 1);
  EXPECT_EQ(list.findTexture("/maps/Stone.bmp"), -1);
  // An entry that comes with its pattern index is not placed on a page.
  FltTexture preset = texture("bare.rgb");
  preset.patternIndex = 900;
  EXPECT_EQ(list.addTexture(preset), 900);
  EXPECT_EQ(list.layout().page(0).textures().size(), 2u);
  EXPECT_EQ(list.entry(2).patternIndex, 900);
  EXPECT_EQ(list.entry(2).key(), "bare.rgb");

  const SearchDirectories& dirs = list.searchDirectories();
  std::vector<std::string> got;
  for (size_t i = 0; i < dirs.count(); ++i) got.push_back(dirs.directory(i));
  EXPECT_EQ(got, (std::vector<std::string>{"a", "b", "", "c ", "/maps"}));

  list.clear();
  EXPECT_EQ(list.findTexture("/maps/wood.bmp"), -1);
  EXPECT_EQ(list.layout().pageCount(), 0u);
  EXPECT_EQ(dirs.count(), 0u);
}

// A texture of a full page's size takes a page of its own, so the 129th would need
// pattern index 128 * 256, which a face's 16-bit field cannot hold.
TEST(FltTextureList, PatternIndexPastSixteenBitsFailsTheExport) {
  ScopedWorkDir dir;
  FltOutputFile file;
  ASSERT_TRUE(file.open("big.flt", 1520));
  FltTextureList& list = file.textures();
  for (int i = 0; i < 128; ++i)
    ASSERT_EQ(list.addTexture(texture(std::to_string(i), 2048, 2048)), i * 256);
  EXPECT_EQ(list.addTexture(texture("last", 2048, 2048)), 32768);
  EXPECT_EQ(file.close(), 0);
  EXPECT_NE(file.error().find("32768"), std::string::npos) << file.error();
  EXPECT_FALSE(std::filesystem::exists("big.flt"));
  EXPECT_FALSE(std::filesystem::exists("0.attr"));
}
