#pragma once
// One export builds a few large structures in turn (the reader's document, the
// scene, the records), each freed as the next is made. glibc hands large blocks
// back to the system at once and maps new ones, zeroed, page by page; where a page
// fault costs microseconds, as in virtual machines, those faults take a good part
// of the time. Kept in the heap, the memory one stage frees serves the next.

// Large blocks up to 32 MiB come from the heap, and its top is given back only
// past 64 MiB: the bounds glibc's own adaptive thresholds stop at. For a process
// that loads and exports one scene; never undone.
void keepLargeBlocksInTheHeap();
