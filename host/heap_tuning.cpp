#include "host/heap_tuning.h"

#include <malloc.h>
#include <sys/mman.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>

void prepareHeapForScene(uintmax_t inputBytes) {
  constexpr uintmax_t kMiB = uintmax_t{1} << 20;
  mallopt(M_MMAP_THRESHOLD, int(32 * kMiB));
  mallopt(M_TRIM_THRESHOLD, int(64 * kMiB));
  const uintmax_t room = std::clamp(std::min(inputBytes, 1024 * kMiB) * 12, 64 * kMiB, 1024 * kMiB);
  mallopt(M_TOP_PAD, int(room));
  // A block from the heap that it must grow for, freed at once: the top then
  // holds the room, untouched. Volatile, lest the pair be optimised away.
  void* volatile grow = std::malloc(31 * kMiB);
  std::free(grow);
  const uintptr_t end = uintptr_t(sbrk(0));
  const uintptr_t top = mallinfo2().keepcost;
  if (top > 0 && top < end) adviseHugePages(reinterpret_cast<const void*>(end - top), top);
}

void adviseHugePages(const void* data, size_t bytes) {
  constexpr uintptr_t kHuge = uintptr_t{2} << 20;
  const uintptr_t first = (uintptr_t(data) + kHuge - 1) & ~(kHuge - 1);
  const uintptr_t last = (uintptr_t(data) + bytes) & ~(kHuge - 1);
  if (last > first) madvise(reinterpret_cast<void*>(first), last - first, MADV_HUGEPAGE);
}
