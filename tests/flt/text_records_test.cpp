#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "flt/record.h"
#include "flt/text_record.h"

namespace {

using Bytes = std::vector<uint8_t>;

Bytes serialised(const FltTextRecord& rec) {
  FltRecord r;
  rec.serialise(r, 1520);
  EXPECT_FALSE(r.overflowed());
  return Bytes(r.data(), r.data() + r.length());
}

std::string parsedText(const Bytes& bytes) {
  FltRecord r;
  r.assign(bytes.data(), static_cast<int>(bytes.size()));
  FltComment c("stale");
  c.parse(r, 1520);
  return c.text();
}

}  // namespace

TEST(FltTextRecords, LengthsAndPadding) {
  EXPECT_EQ(serialised(FltComment()), (Bytes{0, 31, 0, 8, 0, 0, 0, 0}));
  EXPECT_EQ(serialised(FltComment(nullptr)), (Bytes{0, 31, 0, 8, 0, 0, 0, 0}));
  EXPECT_EQ(serialised(FltComment("abc")), (Bytes{0, 31, 0, 8, 'a', 'b', 'c', 0}));
  EXPECT_EQ(serialised(FltComment("abcd")),
            (Bytes{0, 31, 0, 16, 'a', 'b', 'c', 'd', 0, 0, 0, 0, 0, 0, 0, 0}));

  Bytes longId = serialised(FltLongId("LongNodeName"));
  Bytes expected{0, 33, 0, 24, 'L', 'o', 'n', 'g', 'N', 'o', 'd', 'e', 'N', 'a', 'm', 'e'};
  expected.resize(24, 0);
  EXPECT_EQ(longId, expected);
}

TEST(FltTextRecords, ParseStopsAtThePadding) {
  EXPECT_EQ(parsedText(serialised(FltComment("abcd"))), "abcd");
  EXPECT_EQ(parsedText(serialised(FltLongId("LongNodeName"))), "LongNodeName");
  EXPECT_EQ(parsedText(Bytes{0, 31, 0, 8, 0, 0, 0, 0}), "");
  // A text that fills the record with no terminator still ends at the record.
  EXPECT_EQ(parsedText(Bytes{0, 31, 0, 8, 'w', 'x', 'y', 'z'}), "wxyz");
}

TEST(FltTextRecords, TextIsCutAtTheRecordLimit) {
  std::string fits(FltTextRecord::kMaxText, 'a');
  Bytes b = serialised(FltComment(fits.c_str()));
  EXPECT_EQ(b.size(), 32760u);
  EXPECT_EQ(b[b.size() - 1], 0);
  EXPECT_EQ(parsedText(b), fits);

  std::string tooLong = fits + "bcdefghij";
  Bytes cut = serialised(FltComment(tooLong.c_str()));
  EXPECT_EQ(cut, b);
}
