#pragma once
// Finds equal vertices with a hash: each vertex is a fixed number of 32-bit words
// (float bits), and two vertices are one when every word matches.

#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

// Float bits for a weld key: -0 and +0 are one value, and every NaN is the same
// NaN, so that a broken coordinate cannot split or scramble the table.
uint32_t weldBits(float f);

// MurmurHash3's word mixing and finaliser: whole-number coordinates have all-zero
// low bits, so a plain multiplicative hash would send them to a few buckets.
uint32_t hashWords(const uint32_t* words, size_t count);

template <size_t Words>
class VertexWelder {
 public:
  using Key = std::array<uint32_t, Words>;
  struct Result {
    uint32_t index;
    bool added;  // a new vertex: the caller appends its attributes
  };

  // The table grows with the welded vertices rather than being sized for the
  // input: files often repeat each vertex per corner, and a table many times too
  // large misses the cache on every lookup.
  VertexWelder() : table_(kFirstTableSize) {}

  // The index of the vertex equal to `key`, added when new.
  Result add(const Key& key) {
    if ((keys_.size() + 1) * 2 > table_.size()) grow();
    const uint32_t hash = hashWords(key.data(), Words);
    const size_t mask = table_.size() - 1;
    for (size_t slot = hash & mask;; slot = (slot + 1) & mask) {
      Slot& s = table_[slot];
      if (s.index == 0) {
        keys_.push_back(key);
        s = {static_cast<uint32_t>(keys_.size()), hash};
        return {s.index - 1, true};
      }
      // The stored hash spares most key reads, which would miss the cache.
      if (s.hash == hash && keys_[s.index - 1] == key) return {s.index - 1, false};
    }
  }
  size_t size() const { return keys_.size(); }

 private:
  // Small: a scene of many small objects welds each in a table of its own.
  static constexpr size_t kFirstTableSize = 32;
  struct Slot {
    uint32_t index = 0;  // vertex index + 1; 0 marks an empty slot
    uint32_t hash = 0;
  };

  void grow() {
    std::vector<Slot> table(table_.size() * 2);
    const size_t mask = table.size() - 1;
    for (const Slot& s : table_) {
      if (s.index == 0) continue;
      size_t slot = s.hash & mask;
      while (table[slot].index != 0) slot = (slot + 1) & mask;
      table[slot] = s;
    }
    table_.swap(table);
  }

  std::vector<Key> keys_;
  std::vector<Slot> table_;  // open addressing, linear probing, at most half full
};
