// The record buffer: framing, padding, byte order, cursor rules, growth and the limit.
#include <gtest/gtest.h>

#include "tests/flt/flt_test_support.h"

TEST(FltRecord, FinishPadsToEightBytesExceptVertexLists) {
  struct Case {
    uint16_t opcode;
    int bodyWords, length;
  };
  for (Case c : {Case{10, 0, 8}, Case{2, 2, 16}, Case{2, 5, 24}, Case{72, 1, 8}, Case{72, 2, 12},
                 Case{72, 3, 16}}) {
    SCOPED_TRACE(testing::Message() << c.opcode << " with " << c.bodyWords << " words");
    FltRecord r;
    r.begin(c.opcode);
    for (int i = 0; i < c.bodyWords; ++i) r.write32(uint32_t{0xFFFFFFFF});
    r.finish();
    Bytes expected = sparse(c.opcode, c.length);
    std::fill(expected.begin() + 4, expected.begin() + 4 + 4 * c.bodyWords, 0xFF);
    EXPECT_EQ(bytesOf(r), expected);
  }
}

TEST(FltRecord, FieldsAreBigEndianAndReadsPastTheEndGiveZeros) {
  FltRecord r;
  r.begin(1);
  r.write16(0x1234).write32(1.0f).write64(1.0).write8(0xAB).write32(int32_t{-2});
  EXPECT_EQ(bytesOf(r),
            (Bytes{0x00, 0x01, 0x00, 0x04, 0x12, 0x34, 0x3F, 0x80, 0x00, 0x00, 0x3F, 0xF0,
                   0,    0,    0,    0,    0,    0,    0xAB, 0xFF, 0xFF, 0xFF, 0xFE}));
  // Reading back is covered by every record kind's round trip; a read that runs
  // past the end takes what is there and zeros for the rest.
  r.seek(21);
  uint32_t v = 99;
  r.read32(v);
  EXPECT_EQ(v, 0xFFFE0000u);
  EXPECT_EQ(r.cursor(), 23);
  r.read32(v);
  EXPECT_EQ(v, 0u);
}

TEST(FltRecord, FixedWidthTextIsCutOrZeroFilled) {
  FltRecord r;
  r.begin(2);
  r.writeText("abc", 8);
  r.writeText("0123456789", 8);
  r.writeText(nullptr, 4);
  r.finish();
  EXPECT_EQ(bytesOf(r),
            sparse(2, 24, {{4, {'a', 'b', 'c'}}, {12, {'0', '1', '2', '3', '4', '5', '6', '7'}}}));
  r.seekBody();
  char a[9], b[9];
  r.readText(a, 8);
  r.readText(b, 8);
  EXPECT_STREQ(a, "abc");
  EXPECT_STREQ(b, "01234567");
}

TEST(FltRecord, CursorIsClampedSkipZeroFillsAndTheBlockIsReused) {
  FltRecord r;
  EXPECT_EQ(r.data(), nullptr);
  r.begin(5);
  r.write32(uint32_t{0xAABBCCDD});
  r.seek(-5);
  EXPECT_EQ(r.cursor(), 0);
  r.seek(r.length() + 10);
  EXPECT_EQ(r.cursor(), 8);
  // Two existing bytes are passed over unchanged, four zero bytes are appended.
  r.seek(6);
  EXPECT_EQ(r.skip(6), 6);
  EXPECT_EQ(r.cursor(), 12);
  EXPECT_EQ(bytesOf(r), sparse(5, 12, {{2, {0, 4}}, {4, {0xAA, 0xBB, 0xCC, 0xDD}}}));
  EXPECT_EQ(r.skip(0), 0);
  EXPECT_EQ(r.skip(-3), 0);

  // Growth doubles; a record begun again keeps its block, release gives it back.
  r.skip(150);
  EXPECT_EQ(r.capacity(), 256);
  const uint8_t* block = r.data();
  r.begin(2);
  r.finish();
  EXPECT_EQ(r.data(), block);
  r.release();
  EXPECT_EQ(r.capacity(), 0);
  EXPECT_EQ(r.length(), 0);
  EXPECT_EQ(r.data(), nullptr);
}

TEST(FltRecord, RefusesToGrowPastTheLargestLength) {
  FltRecord r;
  r.begin(31);
  Bytes big(FltRecord::kMaxLength, 'x');
  r.writeBytes(big.data(), FltRecord::kMaxLength - 4);  // exactly the limit
  EXPECT_FALSE(r.overflowed());
  r.write8(0);
  EXPECT_TRUE(r.overflowed());
  EXPECT_EQ(r.length(), FltRecord::kMaxLength);
  r.finish();
  EXPECT_EQ(r.length(), 32760);  // cut to the last multiple of 8, never past the limit
  r.begin(31);
  EXPECT_FALSE(r.overflowed());
}
