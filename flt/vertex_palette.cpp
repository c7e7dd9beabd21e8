#include "flt/vertex_palette.h"

#include <cstring>
#include <unordered_map>

#include "flt/color_palette.h"
#include "flt/output_file.h"
#include "flt/record.h"

namespace {

uint64_t mix(uint64_t h, uint64_t word) {
  h ^= word + 0x9E3779B97F4A7C15ull + (h << 6) + (h >> 2);
  h *= 0xFF51AFD7ED558CCDull;
  return h ^ (h >> 32);
}

// Bits of a double with -0 folded onto 0, matching the vertex comparison.
uint64_t bits(double d) {
  if (d == 0.0) return 0;
  uint64_t b;
  std::memcpy(&b, &d, 8);
  return b;
}

// Hashes exactly the fields FltVertex::compare looks at, so equal vertices collide.
uint32_t hashVertex(const FltVertex& v) {
  uint64_t h = mix(0, bits(v.x));
  h = mix(h, bits(v.y));
  h = mix(h, bits(v.z));
  h = mix(h, uint64_t{v.kind} << 32 | uint64_t{v.flags} << 16 | v.storedLength);
  if (v.hasNormal()) {
    h = mix(h, bits(v.normalI));
    h = mix(h, bits(v.normalJ));
    h = mix(h, bits(v.normalK));
  }
  if (!(v.flags & FltVertex::kFlagNoColor)) h = mix(h, v.color.word());
  if (v.hasTexCoord()) {
    h = mix(h, bits(v.u));
    h = mix(h, bits(v.v));
  }
  return static_cast<uint32_t>(h ^ (h >> 29));
}

}  // namespace

void FltVertexPalette::reset() {
  totalLength_ = nextOffset_ = kHeadLength;
  count_ = 0;
  chunks_.clear();
  std::vector<Slot>().swap(table_);
  std::vector<Slot>().swap(recent_);
}

void FltVertexPalette::grow() {
  std::vector<Slot> old;
  old.swap(table_);
  table_.assign(old.empty() ? 1024 : old.size() * 2, Slot{0, kEmpty});
  if (recent_.empty()) recent_.assign(kRecentSlots, Slot{0, kEmpty});
  size_t mask = table_.size() - 1;
  for (const Slot& s : old) {
    if (s.index == kEmpty) continue;
    size_t p = s.hash & mask;
    while (table_[p].index != kEmpty) p = (p + 1) & mask;
    table_[p] = s;
  }
}

int32_t FltVertexPalette::add(const FltVertex& vertex) {
  if ((count_ + 1) * 4 > table_.size() * 3) grow();
  uint32_t hash = hashVertex(vertex);
  Slot& recent = recent_[hash & (kRecentSlots - 1)];
  if (recent.index != kEmpty && recent.hash == hash) {
    const FltVertex& stored = at(recent.index);
    if (stored.compare(vertex) == 0) return stored.paletteOffset;
  }
  size_t mask = table_.size() - 1;
  size_t p = hash & mask;
  for (; table_[p].index != kEmpty; p = (p + 1) & mask) {
    if (table_[p].hash != hash) continue;
    const FltVertex& stored = at(table_[p].index);
    if (stored.compare(vertex) == 0) {
      recent = table_[p];
      return stored.paletteOffset;
    }
  }
  int32_t size = vertex.size(version_);
  if (nextOffset_ > INT32_MAX - size || count_ >= kEmpty) return kFull;
  int32_t offset = nextOffset_;
  nextOffset_ += size;
  if (nextOffset_ > totalLength_) totalLength_ = nextOffset_;
  if ((count_ & kChunkMask) == 0) {
    chunks_.emplace_back();
    chunks_.back().reserve(kChunkMask + 1);
  }
  chunks_.back().push_back(vertex);
  chunks_.back().back().paletteOffset = offset;
  table_[p] = recent = Slot{hash, static_cast<uint32_t>(count_)};
  ++count_;
  return offset;
}

void FltVertexPalette::resolveColors(FltColorPalette& colors) {
  // colorIndex gives the same answer for the same color every time, and most
  // vertices share a handful of colors.
  std::unordered_map<uint32_t, int32_t> known;
  for (size_t i = 0; i < count_; ++i) {
    FltVertex& v = at(i);
    auto it = known.find(v.color.word());
    if (it == known.end()) it = known.emplace(v.color.word(), colors.colorIndex(v.color)).first;
    v.colorIndex = it->second;
  }
}

int FltVertexPalette::write(FltOutputFile& file) {
  if (!FltRecordBase::write(file)) return 0;
  for (size_t i = 0; i < count_; ++i)
    if (!file.addVertex(at(i))) return 0;
  return 1;
}

void FltVertexPalette::serialise(FltRecord& r, int /*version*/) const {
  r.begin(kOpcode);
  r.write32(totalLength_);
  r.finish();
}

void FltVertexPalette::parse(FltRecord& r, int /*version*/) {
  r.seekBody();
  r.read32(totalLength_);
}
