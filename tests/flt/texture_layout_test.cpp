// Texture pages: pattern indexes, column arrangement, page overflow and the layout dump.
#include <gtest/gtest.h>

#include <random>

#include "flt/texture.h"
#include "flt/texture_list.h"
#include "tests/textures/texture_test_support.h"

namespace {

int32_t add(FltTextureList& list, const std::string& name, int w, int h) {
  FltTexture t;
  t.setPath(name.c_str());
  t.attributes.texelsU = w;
  t.attributes.texelsV = h;
  return list.addTexture(t);
}

size_t count(const std::string& text, const std::string& part) {
  size_t n = 0;
  for (size_t at = 0; (at = text.find(part, at)) != std::string::npos; ++at) ++n;
  return n;
}

TEST(TextureLayout, ColumnsFillDownwardsAndEachPlacementIsDumped) {
  ScopedWorkDir dir;
  FltTextureList list;
  list.layout().setFilePath("layout.txt");
  EXPECT_EQ(add(list, "/m/a.rgb", 256, 256), 0);
  EXPECT_FALSE(std::filesystem::exists("layout.txt")) << "a new page never dumps the layout";
  EXPECT_EQ(add(list, "/m/b.rgb", 256, 256), 1);
  EXPECT_EQ(list.entry(1).xLocation, 0);
  EXPECT_EQ(list.entry(1).yLocation, 256);
  EXPECT_EQ(fileText("layout.txt"),
            "page #0, x:0 y:0 w:256 h:512\n"
            "\tcol #0 x:0, y:0 w:256 h:512\n"
            "\t\ttex #0, x:0 y:0 w:256 h:256 /m/a.rgb\n"
            "\t\ttex #1, x:0 y:256 w:256 h:256 /m/b.rgb\n"
            "\n\n");

  // The ninth opens a column hanging from the top of the page.
  for (int i = 2; i < 9; ++i) EXPECT_EQ(add(list, "t" + std::to_string(i), 256, 256), i);
  const FltTexturePage& page = list.layout().page(0);
  ASSERT_EQ(page.columnCount(), 2u);
  EXPECT_EQ(page.column(0).textures.size(), 8u);
  EXPECT_EQ(page.column(1).x, 256);
  EXPECT_EQ(page.column(1).y, 1792);
  EXPECT_EQ(list.entry(8).xLocation, 256);
  EXPECT_EQ(list.entry(8).yLocation, 1792);
  EXPECT_EQ((std::vector<int>{page.x, page.y, page.width, page.height}),
            (std::vector<int>{0, 0, 512, 2048}));
  // One block per placement on the existing page, each listing every texture.
  list.clear();
  EXPECT_EQ(list.layout().filePath(), "layout.txt") << "the next export's dumps go there too";
  const std::string text = fileText("layout.txt");
  EXPECT_EQ(count(text, "page #0"), 8u);
  EXPECT_EQ(count(text, "\t\ttex #"), 2u + 3 + 4 + 5 + 6 + 7 + 8 + 9);
  EXPECT_NE(text.find("\tcol #1 x:256, y:1792 w:256 h:256\n\t\ttex #8,"), std::string::npos);
}

TEST(TextureLayout, TheLayoutFileLiesBesideTheOutputUnderItsStem) {
  EXPECT_EQ(layoutPathFor("/data/out/town.flt"), "/data/out/town.layout.txt");
  EXPECT_EQ(layoutPathFor("town.flt"), "town.layout.txt");
  EXPECT_EQ(layoutPathFor("/data/v1.2/town"), "/data/v1.2/town.layout.txt");
  EXPECT_EQ(layoutPathFor("/data/out/.flt"), "/data/out/.flt.layout.txt");
  EXPECT_EQ(layoutPathFor("/data/out/a.b.flt"), "/data/out/a.b.layout.txt");

  // Without a path the pages are still laid out, and nothing is written anywhere.
  ScopedWorkDir dir;
  FltTextureList list;
  for (int i = 0; i < 3; ++i) add(list, "t" + std::to_string(i), 256, 256);
  EXPECT_EQ(list.entry(2).yLocation, 512);
  EXPECT_TRUE(std::filesystem::is_empty(std::filesystem::current_path()));
}

TEST(TextureLayout, FullOrOversizedPagesSendTexturesToNewPages) {
  ScopedWorkDir dir;
  FltTextureList list;
  for (int i = 0; i < 256; ++i) ASSERT_EQ(add(list, "t" + std::to_string(i), 64, 64), i);
  EXPECT_EQ(list.layout().page(0).width, 512);
  EXPECT_EQ(add(list, "next", 64, 64), 256);
  EXPECT_EQ(list.entry(256).yLocation, 0);

  list.clear();
  add(list, "a", 512, 512);
  add(list, "b", 256, 1024);
  EXPECT_EQ(add(list, "huge", 4096, 4096), 256);
  EXPECT_EQ(list.layout().page(1).width, 4096);
  // A page past its size takes nothing that makes it larger still.
  EXPECT_EQ(add(list, "c", 128, 128), 2);
  EXPECT_EQ(add(list, "huge2", 2048, 4096), 512);
}

// Columns used to be moved clear of the previous column only, which let an even
// column reach back under the odd one before it onto the even one before that.
TEST(TextureLayout, TexturesOnAPageNeverOverlap) {
  ScopedWorkDir dir;
  std::mt19937 rng(3);
  for (int round = 0; round < 100; ++round) {
    FltTextureList list;
    auto side = [&] { return round % 2 ? 16 + rng() % 1500 : 16 << (rng() % 7); };
    for (int i = 0, n = 5 + rng() % 60; i < n; ++i) {
      const int w = side();
      add(list, "t" + std::to_string(i), w, side());
    }
    for (size_t p = 0; p < list.layout().pageCount(); ++p) {
      const std::vector<FltTexture*>& t = list.layout().page(p).textures();
      for (size_t a = 0; a < t.size(); ++a) {
        for (size_t b = a + 1; b < t.size(); ++b) {
          bool apart = t[a]->xLocation >= t[b]->xLocation + t[b]->width() ||
                       t[b]->xLocation >= t[a]->xLocation + t[a]->width() ||
                       t[a]->yLocation >= t[b]->yLocation + t[b]->height() ||
                       t[b]->yLocation >= t[a]->yLocation + t[a]->height();
          ASSERT_TRUE(apart) << round << ": " << t[a]->patternIndex << ", " << t[b]->patternIndex;
        }
      }
    }
  }
}

}  // namespace
