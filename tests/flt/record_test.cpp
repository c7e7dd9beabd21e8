#include <gtest/gtest.h>

#include "flt/record.h"

TEST(FltRecord, PlaceholderFrame) {
  FltRecord r;
  r.begin(10);
  r.finish();
  EXPECT_EQ(r.length(), 8);
}
