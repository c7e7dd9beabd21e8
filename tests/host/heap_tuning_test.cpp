#include "host/heap_tuning.h"

#include <gtest/gtest.h>
#include <malloc.h>

#include <cstdlib>

namespace {

constexpr size_t kMiB = size_t{1} << 20;

// The room must still be in the heap after the block that made it is freed, and
// the next stage's large blocks must come from it rather than from fresh mappings.
TEST(HeapTuningTest, TheRoomForTheSceneStaysInTheHeapForItsLargeBlocks) {
#if defined(__SANITIZE_ADDRESS__)
  GTEST_SKIP() << "the sanitizer's allocator is not glibc's";
#else
  prepareHeapForScene(20 * kMiB);  // room: 240 MiB
  const struct mallinfo2 before = mallinfo2();
  EXPECT_GE(before.keepcost, 200 * kMiB);

  void* block = std::malloc(20 * kMiB);  // under the 32 MiB threshold: from the heap
  ASSERT_NE(block, nullptr);
  const struct mallinfo2 holding = mallinfo2();
  EXPECT_EQ(holding.hblkhd, before.hblkhd) << "the block was mapped on its own";
  std::free(block);
  EXPECT_GE(mallinfo2().keepcost, 200 * kMiB) << "freeing the block gave the room back";
#endif
}

}  // namespace
