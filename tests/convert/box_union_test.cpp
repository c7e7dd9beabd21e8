// The double-precision union behind level-of-detail centres and light vertices.

#include <gtest/gtest.h>

#include <limits>

#include "convert/box_union.h"

namespace {

const float kNan = std::numeric_limits<float>::quiet_NaN();

void expectCenter(const BoxUnion& u, double x, double y, double z) {
  EXPECT_DOUBLE_EQ(u.center(0), x);
  EXPECT_DOUBLE_EQ(u.center(1), y);
  EXPECT_DOUBLE_EQ(u.center(2), z);
}

}  // namespace

TEST(BoxUnion, BoxesAndPointsWidenItButEmptyBoxesAndNanPointsDoNot) {
  BoxUnion u;
  EXPECT_TRUE(u.empty());
  expectCenter(u, 0, 0, 0);

  u.add(Box3());                         // empty: nothing added
  u.add(Box3({0, 0, kNan}, {1, 1, 1}));  // a NaN bound drops the whole box
  u.add(Point3(kNan, 50, 50));           // so does one NaN coordinate
  u.add(Box3({2, 2, 2}, {1, 1, 1}));     // upside down counts as empty
  EXPECT_TRUE(u.empty());
  expectCenter(u, 0, 0, 0);

  u.add(Point3(-4, 1, 10));
  EXPECT_FALSE(u.empty());
  expectCenter(u, -4, 1, 10);
  u.add(Box3({-1, -3, 2}, {6, 0, 4}));
  expectCenter(u, 1, -1, 6);  // x -4..6, y -3..1, z 2..10
  u.add(Point3(0, 0, 5));     // inside: no change
  expectCenter(u, 1, -1, 6);
}

TEST(BoxUnion, CentresKeepDoublePrecisionOfFloatCorners) {
  BoxUnion u;
  // Their float sum would round; the double centre is exact.
  const float big = 16777216.0f, next = 16777218.0f;
  u.add(Point3(big, 0, 0));
  u.add(Point3(next + 2.0f, 0, 0));
  EXPECT_EQ(u.center(0), (double(big) + double(next + 2.0f)) * 0.5);
  EXPECT_EQ(u.center(0), 16777218.0);
}
