// The palette worker against a palette filled on the calling thread: the same
// offsets in the same order, a full palette and a throwing vertex failing every
// corner from theirs on, and a job stopped half way leaving the worker usable.
#include <gtest/gtest.h>

#include <stdexcept>
#include <vector>

#include "convert/palette_worker.h"
#include "flt/vertex_palette.h"

namespace {

// Corner k of a mesh whose corners mostly repeat one a few hundred corners back.
FltVertex corner(size_t k) {
  const size_t id = k % 3 == 0 ? k / 3 : k % 3 == 1 ? (k / 3) - (k / 3) % 500 : (k * 7919) % 4096;
  FltVertex v;
  v.x = double(id % 1000);
  v.y = double(id / 1000);
  if (id % 4 == 0) v.setTexCoord(float(id), 0.5f);
  return v;
}

}  // namespace

TEST(PaletteWorker, GivesTheOffsetsOfAPaletteFilledInOrder) {
  PaletteWorker worker;
  for (size_t count : {size_t{1}, size_t{63}, size_t{64}, size_t{65}, size_t{200000}}) {
    FltVertexPalette alone, shared;
    std::vector<int32_t> expected;
    for (size_t k = 0; k < count; ++k) expected.push_back(alone.add(corner(k)));
    // One worker serves job after job.
    ASSERT_TRUE(worker.start(shared, count, corner));
    for (size_t k = 0; k < count; ++k)
      ASSERT_EQ(worker.offset(k), expected[k]) << count << " " << k;
    worker.finish();
    EXPECT_EQ(shared.count(), alone.count());
    EXPECT_EQ(shared.totalLength(), alone.totalLength());
  }
}

TEST(PaletteWorker, FailuresReachEveryCornerFromTheFirstFailedOn) {
  PaletteWorker worker;
  // 8 + n * 32760 stays within 2^31 - 1 for n up to 65552.
  FltVertexPalette palette;
  ASSERT_TRUE(worker.start(palette, 70000, [](size_t k) {
    FltVertex v;
    v.storedLength = 32760;
    v.x = double(k);
    return v;
  }));
  EXPECT_EQ(worker.offset(65551), 8 + 65551 * 32760);
  EXPECT_EQ(worker.offset(65552), FltVertexPalette::kFull);
  EXPECT_EQ(worker.offset(69999), FltVertexPalette::kFull);
  worker.finish();
  EXPECT_EQ(palette.count(), 65552u);

  FltVertexPalette other, before;
  for (size_t k = 0; k < 700; ++k) static_cast<void>(before.add(corner(k)));
  ASSERT_TRUE(worker.start(other, 1000, [](size_t k) {
    if (k == 700) throw std::length_error("corner 700");
    return corner(k);
  }));
  EXPECT_NE(worker.offset(699), FltVertexPalette::kFull);
  EXPECT_THROW(static_cast<void>(worker.offset(700)), std::length_error);
  EXPECT_THROW(static_cast<void>(worker.offset(999)), std::length_error);
  worker.finish();
  EXPECT_EQ(other.count(), before.count());
}

TEST(PaletteWorker, StopsHalfWayAndTakesTheNextJob) {
  PaletteWorker worker;
  FltVertexPalette first;
  ASSERT_TRUE(worker.start(first, 5000000, corner));
  EXPECT_GE(worker.offset(10), 8);
  worker.finish();                         // long before the last corner
  EXPECT_LT(first.count(), 5000000u / 3);  // each k / 3 is a vertex of its own
  // The palette is the caller's again, and the next job starts from its state.
  const size_t before = first.count();
  FltVertex fresh;
  fresh.x = -1;
  const int32_t freshOffset = first.add(fresh);
  EXPECT_EQ(first.count(), before + 1);
  ASSERT_TRUE(worker.start(first, 1, [&](size_t) { return fresh; }));
  EXPECT_EQ(worker.offset(0), freshOffset);
}

TEST(PaletteWorker, DestroyedWhileItsJobRunsItStops) {
  FltVertexPalette palette;  // outlives the worker
  {
    PaletteWorker worker;
    ASSERT_TRUE(worker.start(palette, 5000000, corner));
    EXPECT_GE(worker.offset(100), 8);
  }
  EXPECT_LT(palette.count(), 5000000u / 3);
}
