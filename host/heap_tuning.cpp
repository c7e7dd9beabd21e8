#include "host/heap_tuning.h"

#include <malloc.h>

void keepLargeBlocksInTheHeap() {
  mallopt(M_MMAP_THRESHOLD, 32 << 20);
  mallopt(M_TRIM_THRESHOLD, 64 << 20);
}
