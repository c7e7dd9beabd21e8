// The record buffer: framing, padding, byte order, cursor rules and growth.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "flt/record.h"

namespace {

std::vector<uint8_t> bytesOf(const FltRecord& r) {
  return {r.data(), r.data() + r.length()};
}

}  // namespace

TEST(FltRecord, HeadOnlyRecordIsPaddedToEightBytes) {
  FltRecord r;
  r.begin(10);
  EXPECT_EQ(r.cursor(), 4);
  EXPECT_EQ(r.length(), 4);
  r.finish();
  EXPECT_EQ(bytesOf(r), (std::vector<uint8_t>{0x00, 0x0A, 0x00, 0x08, 0, 0, 0, 0}));
  EXPECT_EQ(r.cursor(), 4);
}

TEST(FltRecord, PaddingRoundsUpToMultipleOfEightExceptVertexLists) {
  FltRecord r;
  r.begin(2);
  r.write32(uint32_t{0xFFFFFFFF}).write32(uint32_t{0xFFFFFFFF});  // 12 bytes
  r.finish();
  EXPECT_EQ(r.length(), 16);
  EXPECT_EQ(r.data()[3], 16);
  for (int i = 12; i < 16; ++i) EXPECT_EQ(r.data()[i], 0) << i;

  r.begin(2);
  r.write64(uint64_t{1}).write64(uint64_t{2}).write32(uint32_t{3});  // 24 bytes
  r.finish();
  EXPECT_EQ(r.length(), 24);

  r.begin(72);
  r.write32(int32_t{8}).write32(int32_t{16}).write32(int32_t{24});
  r.finish();
  EXPECT_EQ(r.length(), 16);
  r.begin(72);
  r.write32(int32_t{8});
  r.finish();
  EXPECT_EQ(r.length(), 8);
  r.begin(72);
  r.write32(int32_t{8}).write32(int32_t{8});
  r.finish();
  EXPECT_EQ(r.length(), 12);
  EXPECT_EQ(r.data()[3], 12);
}

TEST(FltRecord, FieldsAreBigEndianAndReadBack) {
  FltRecord r;
  r.begin(1);
  r.write16(0x1234).write32(1.0f).write64(1.0).write8(0xAB).write32(int32_t{-2});
  const std::vector<uint8_t> expected = {0x00, 0x01, 0x00, 0x04, 0x12, 0x34, 0x3F, 0x80,
                                         0x00, 0x00, 0x3F, 0xF0, 0,    0,    0,    0,
                                         0,    0,    0xAB, 0xFF, 0xFF, 0xFF, 0xFE};
  EXPECT_EQ(bytesOf(r), expected);

  r.seekBody();
  uint16_t a;
  float b;
  double c;
  uint8_t d;
  int32_t e;
  r.read16(a).read32(b).read64(c).read8(d).read32(e);
  EXPECT_EQ(a, 0x1234);
  EXPECT_EQ(b, 1.0f);
  EXPECT_EQ(c, 1.0);
  EXPECT_EQ(d, 0xAB);
  EXPECT_EQ(e, -2);
}

TEST(FltRecord, CursorIsClampedAndSkipGrowsWithZeros) {
  FltRecord r;
  r.begin(5);
  r.write32(uint32_t{0xAABBCCDD});  // length 8
  r.seek(-5);
  EXPECT_EQ(r.cursor(), 0);
  r.seek(r.length() + 10);
  EXPECT_EQ(r.cursor(), 8);

  // Two existing bytes are passed over unchanged, four zero bytes are appended.
  r.seek(6);
  EXPECT_EQ(r.skip(6), 6);
  EXPECT_EQ(r.length(), 12);
  EXPECT_EQ(r.cursor(), 12);
  EXPECT_EQ(r.data()[6], 0xCC);
  EXPECT_EQ(r.data()[7], 0xDD);
  for (int i = 8; i < 12; ++i) EXPECT_EQ(r.data()[i], 0);
  EXPECT_EQ(r.skip(0), 0);
  EXPECT_EQ(r.skip(-3), 0);
}

TEST(FltRecord, ReadingPastTheEndGivesZeros) {
  FltRecord r;
  r.begin(5);
  r.write16(0x1234);
  r.seek(4);
  uint32_t v = 99;
  r.read32(v);
  EXPECT_EQ(v, 0x12340000u);
  EXPECT_EQ(r.cursor(), 6);
  r.read32(v);
  EXPECT_EQ(v, 0u);
}

TEST(FltRecord, GrowsByDoublingAndKeepsItsBlockForReuse) {
  FltRecord r;
  EXPECT_EQ(r.capacity(), 0);
  EXPECT_EQ(r.data(), nullptr);
  r.begin(1);
  EXPECT_EQ(r.capacity(), 32);
  r.skip(60);
  EXPECT_EQ(r.capacity(), 64);
  r.skip(100);
  EXPECT_EQ(r.capacity(), 256);
  const uint8_t* block = r.data();
  r.begin(2);
  r.finish();
  EXPECT_EQ(r.data(), block);
  EXPECT_EQ(r.capacity(), 256);
  r.release();
  EXPECT_EQ(r.capacity(), 0);
  EXPECT_EQ(r.length(), 0);
  EXPECT_EQ(r.data(), nullptr);
}

TEST(FltRecord, RefusesToGrowPastTheLargestLength) {
  FltRecord r;
  r.begin(31);
  std::vector<uint8_t> big(FltRecord::kMaxLength, 'x');
  r.writeBytes(big.data(), static_cast<int>(big.size()));
  EXPECT_TRUE(r.overflowed());
  EXPECT_EQ(r.length(), FltRecord::kMaxLength);
  r.finish();
  EXPECT_LE(r.length(), FltRecord::kMaxLength);
  EXPECT_EQ(r.length() % 8, 0);

  r.begin(31);
  EXPECT_FALSE(r.overflowed());
  r.writeBytes(big.data(), FltRecord::kMaxLength - 4);  // exactly the limit
  EXPECT_FALSE(r.overflowed());
  r.write8(0);
  EXPECT_TRUE(r.overflowed());
}

TEST(FltRecord, FixedWidthTextIsCutOrZeroFilled) {
  FltRecord r;
  r.begin(2);
  r.writeText("abc", 8);
  r.writeText("0123456789", 8);
  ASSERT_EQ(r.length(), 20);
  EXPECT_EQ(std::memcmp(r.data() + 4, "abc\0\0\0\0\0", 8), 0);
  EXPECT_EQ(std::memcmp(r.data() + 12, "01234567", 8), 0);
  r.seekBody();
  char a[9], b[9];
  r.readText(a, 8);
  r.readText(b, 8);
  EXPECT_STREQ(a, "abc");
  EXPECT_STREQ(b, "01234567");
}
