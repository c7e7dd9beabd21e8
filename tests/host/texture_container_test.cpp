// DDS, KTX and KTX2 sizes from their headers: each kind and its variants, headers
// cut short or of the wrong kind, sides no texture has, and the same answer from a
// file on disk, from bytes in memory and from the bitmap manager.
#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "host/bitmap_manager.h"
#include "host/texture_container.h"
#include "tests/host/scene_test_support.h"
#include "tests/support/texture_headers.h"

namespace fs = std::filesystem;

namespace {

using Bytes = std::vector<unsigned char>;

// "w x h", or "none" when the header does not read; the bytes lie in a buffer of
// exactly their size, so a read past them is caught by the address sanitizer.
std::string sizeOf(const Bytes& bytes) {
  const Bytes exact(bytes);
  int w = -1, h = -1;
  if (!readTextureContainerSize(exact.empty() ? nullptr : exact.data(), exact.size(), w, h))
    return "none";
  return std::to_string(w) + " x " + std::to_string(h);
}

Bytes cut(const Bytes& b, size_t n) {
  return Bytes(b.begin(), b.begin() + long(n));
}

}  // namespace

TEST(TextureContainerSize, EachKindReadsWidthAndHeightInItsOwnByteOrder) {
  EXPECT_EQ(sizeOf(ddsHeader(256, 128)), "256 x 128");
  EXPECT_EQ(sizeOf(ddsHeader(1000, 3, true)), "1000 x 3");
  // Sides whose bytes differ, so a swapped order or field shows.
  EXPECT_EQ(sizeOf(ktx1Header(0x0102, 0x0304, false)), "258 x 772");
  EXPECT_EQ(sizeOf(ktx1Header(0x0102, 0x0304, true)), "258 x 772");
  EXPECT_EQ(sizeOf(ktx2Header(0x0203, 0x0405)), "515 x 1029");
  // A 1-D texture has no height: one row.
  EXPECT_EQ(sizeOf(ktx1Header(640, 0, true)), "640 x 1");
  EXPECT_EQ(sizeOf(ktx2Header(640, 0)), "640 x 1");
  // The largest side taken.
  EXPECT_EQ(sizeOf(ddsHeader(65536, 65536)), "65536 x 65536");
  EXPECT_EQ(sizeOf(ktx2Header(65536, 1)), "65536 x 1");
  // Pixel data after the header changes nothing.
  Bytes withData = ddsHeader(64, 32, true);
  withData.resize(withData.size() + 64 * 32 / 2, 0x5A);
  EXPECT_EQ(sizeOf(withData), "64 x 32");
}

TEST(TextureContainerSize, HeadersCutShortOfTheWrongKindOrOfAbsurdSizeDoNotRead) {
  for (const Bytes& whole : {ddsHeader(8, 8), ddsHeader(8, 8, true), ktx1Header(8, 8, false),
                             ktx1Header(8, 8, true), ktx2Header(8, 8)})
    for (size_t n = 0; n < whole.size(); ++n)
      EXPECT_EQ(sizeOf(cut(whole, n)), "none") << n << " of " << whole.size() << " bytes";

  Bytes lowerCase = ddsHeader(8, 8);
  lowerCase[0] = 'd';
  Bytes ktx1Named2 = ktx1Header(8, 8, false);
  ktx1Named2[5] = '2';  // the KTX2 identifier over a KTX 1 layout
  Bytes unknownVersion = ktx2Header(8, 8);
  unknownVersion[6] = '1';  // "KTX 21"
  Bytes lostLineEnd = ktx2Header(8, 8);
  lostLineEnd[8] = '\n';  // a text-mode transfer turned "\r\n" into "\n\n"
  Bytes noByteOrder = ktx1Header(8, 8, false);
  putLe32(noByteOrder, 12, 0x01020403);
  for (const Bytes& wrong : {lowerCase, ktx1Named2, unknownVersion, lostLineEnd, noByteOrder})
    EXPECT_EQ(sizeOf(wrong), "none");

  for (const Bytes& absurd :
       {ddsHeader(0, 8), ddsHeader(8, 0), ddsHeader(65537, 8), ddsHeader(8, 65537),
        ddsHeader(0xFFFFFFFF, 8, true), ktx1Header(0, 8, true), ktx1Header(8, 65537, false),
        ktx1Header(0x80000000, 8, false), ktx2Header(0, 0), ktx2Header(8, 0x10000 + 1)})
    EXPECT_EQ(sizeOf(absurd), "none");
}

// The palette's size, whether an image may be copied over, and whether embedded
// bytes are written out all ask the same question.
TEST(TextureContainerSize, FilesBytesAndTheBitmapManagerAgree) {
  const fs::path dir = freshDir();
  struct Case {
    const char* name;
    Bytes bytes;
    int width, height;  // 0 x 0: no image
  };
  const std::vector<Case> cases = {
      {"ground.dds", ddsHeader(512, 256), 512, 256},
      {"array.dds", ddsHeader(128, 64, true), 128, 64},
      {"sky.ktx", ktx1Header(300, 150, true), 300, 150},
      {"ramp.ktx", ktx1Header(32, 0, false), 32, 1},
      {"cloud.ktx2", ktx2Header(2048, 1024), 2048, 1024},
      {"short.dds", cut(ddsHeader(512, 256, true), 140), 0, 0},
      {"short.ktx2", cut(ktx2Header(64, 64), 79), 0, 0},
      {"huge.ktx", ktx1Header(100000, 4, false), 0, 0},
      {"renamed.dds", Bytes(kPng3x2.begin(), kPng3x2.end()), 3, 2},
  };
  FileBitmapManager manager;
  manager.addSearchFolder(dir.string());
  for (const Case& c : cases) {
    writeFile(dir / c.name, c.bytes);
    const bool image = c.width > 0;
    int w = 0, h = 0;
    EXPECT_EQ(readImageSize((dir / c.name).string(), w, h), image) << c.name;
    EXPECT_EQ(readsAsImage(c.bytes.data(), c.bytes.size()), image) << c.name;
    const std::unique_ptr<ImageBitmap> bitmap = manager.openBitmap(c.name);
    EXPECT_EQ(std::vector<int>({bitmap->Width(), bitmap->Height()}),
              std::vector<int>({c.width, c.height}))
        << c.name;
  }
  fs::remove_all(dir);
}
