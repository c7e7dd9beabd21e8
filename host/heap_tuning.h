#pragma once
// One export builds a few large structures in turn (the reader's document, the
// scene, the records), each freed as the next is made. glibc hands large blocks
// back to the system at once and maps new ones, zeroed, page by page; where a page
// fault costs microseconds, as in virtual machines, those faults take most of the
// time of a large scene.

#include <cstddef>
#include <cstdint>

// For a process that loads and exports one scene of `inputBytes`: large blocks up
// to 32 MiB come from the heap, its top is given back only past 64 MiB, so that
// the memory one stage frees serves the next; and the heap grows at once by room
// for the whole export (twelve times the input, 64 MiB to 1 GiB), which is marked
// for huge pages where the system gives them on request: a fault per 2 MiB rather
// than per 4 KiB. Never undone; nothing happens where the allocator is not glibc's.
void prepareHeapForScene(uintmax_t inputBytes);

// Asks for huge pages behind the whole 2 MiB pages of [data, data + bytes), for a
// large array filled from start to end.
void adviseHugePages(const void* data, size_t bytes);
