#pragma once
// The binary search shared by the opcode index and the palettes: finds an equal
// element or the position where the key would be inserted to keep the order.

#include <cstddef>

struct FltSearchResult {
  bool found;
  size_t position;
};

// compare(i) returns element[i] - key: negative, zero or positive.
template <class Compare>
FltSearchResult sortedSearch(size_t count, Compare compare) {
  if (count == 0) return {false, 0};
  int c = compare(0);
  if (c == 0) return {true, 0};
  if (c > 0) return {false, 0};
  c = compare(count - 1);
  if (c == 0) return {true, count - 1};
  if (c < 0) return {false, count};
  size_t lo = 0, hi = count - 1;  // element[lo] < key < element[hi]
  while (hi - lo > 1) {
    size_t mid = lo + (hi - lo) / 2;
    c = compare(mid);
    if (c == 0) return {true, mid};
    if (c < 0)
      lo = mid;
    else
      hi = mid;
  }
  return {false, hi};
}
