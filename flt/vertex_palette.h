#pragma once
// The vertex palette: every distinct vertex once, in order of first arrival, each at
// the byte offset its record will have behind the palette record.
//
// Every face corner passes through add(), so duplicates are found through a hash
// table over the compared fields, and vertices live in fixed chunks that never move.
// A corner mostly repeats a vertex added a few hundred corners before: a small
// table of recent vertices, which stays in the cache, finds those without the
// cache misses of the large one.

#include <cassert>
#include <cstdint>
#include <vector>

#include "flt/record_base.h"
#include "flt/revision.h"
#include "flt/vertex.h"

class FltColorPalette;

class FltVertexPalette : public FltRecordBase {
 public:
  static constexpr uint16_t kOpcode = 67;
  static constexpr int32_t kHeadLength = 8;
  // What add() returns when the vertex would end past the largest signed 32-bit offset.
  static constexpr int32_t kFull = -1;

  FltVertexPalette() = default;

  uint16_t opcode() const override { return kOpcode; }
  // Writes the palette record, then every vertex in arrival order through the
  // file's addVertex (which writes them while its palette-writing flag is set).
  [[nodiscard]] int write(FltOutputFile& file) override;
  void serialise(FltRecord& record, int version) const override;
  void parse(FltRecord& record, int version) override;

  // The offset of an equal stored vertex, else of the new copy; kFull when full.
  [[nodiscard]] int32_t add(const FltVertex& vertex);
  // Sets every stored vertex's color index from the color palette (may add colors).
  void resolveColors(FltColorPalette& colors);

  size_t count() const { return count_; }
  const FltVertex& vertex(size_t i) const { return chunks_[i >> kChunkBits][i & kChunkMask]; }
  int32_t totalLength() const { return totalLength_; }
  // Offsets already handed out assume the record sizes of the current revision.
  void setVersion(int version) {
    assert(count_ == 0 || hasWideColors(version) == hasWideColors(version_));
    version_ = version;
  }
  int version() const { return version_; }
  void reset();

 private:
  static constexpr size_t kChunkBits = 12;
  static constexpr size_t kChunkMask = (size_t{1} << kChunkBits) - 1;
  static constexpr uint32_t kEmpty = UINT32_MAX;
  struct Slot {
    uint32_t hash;
    uint32_t index;  // position in arrival order, kEmpty when free
  };

  FltVertex& at(size_t i) { return chunks_[i >> kChunkBits][i & kChunkMask]; }
  void grow();

  int32_t totalLength_ = kHeadLength;
  int32_t nextOffset_ = kHeadLength;
  int version_ = kDefaultRevision;
  size_t count_ = 0;
  std::vector<std::vector<FltVertex>> chunks_;  // each reserved once, never reallocated
  std::vector<Slot> table_;  // open addressing, linear probing, power-of-two size
  // The latest vertex of each hash, by its low bits; a slot names a stored vertex
  // or nothing, so that a hit is always the large table's answer.
  static constexpr size_t kRecentSlots = size_t{1} << 14;
  std::vector<Slot> recent_;
};
