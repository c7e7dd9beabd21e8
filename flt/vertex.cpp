#include "flt/vertex.h"

#include <cmath>
#include <cstring>

#include "flt/record.h"
#include "flt/revision.h"

namespace {

constexpr int kLargestPaddedRecord = 32760;

// Exact and total: -0 equals 0, and NaNs sort after numbers by their bits, so that
// equal here means equal field bytes once zeros are folded.
int compareExact(double a, double b) {
  if (a < b) return -1;
  if (a > b) return 1;
  if (a == b) return 0;
  if (std::isnan(a) != std::isnan(b)) return std::isnan(a) ? 1 : -1;
  uint64_t ba, bb;
  std::memcpy(&ba, &a, 8);
  std::memcpy(&bb, &b, 8);
  return ba < bb ? -1 : ba > bb ? 1 : 0;
}

int writtenLength(uint16_t kind, int version) {
  bool wide = hasWideColors(version);
  switch (kind) {
    case FltVertex::kWithNormal:
      return wide ? 56 : 48;
    case FltVertex::kWithTextureAndNormal:
      return 64;
    case FltVertex::kWithTexture:
      return 48;
    default:
      return 40;
  }
}

}  // namespace

void FltVertex::reset() {
  kind = kWithColor;
  x = y = z = 0.0;
  normalI = normalJ = 0.0;
  normalK = 1.0;
  flags = kFlagNoColor;
  colorNameIndex = 0xFFFF;
  color.setAll255();
  colorIndex = -1;
  u = v = 0.0f;
  paletteOffset = 0;
  storedLength = kNoStoredLength;
}

void FltVertex::setNormal(double i, double j, double k) {
  normalI = i;
  normalJ = j;
  normalK = k;
  if (kind == kWithColor) kind = kWithNormal;
  if (kind == kWithTexture) kind = kWithTextureAndNormal;
}

void FltVertex::setColor(float r, float g, float b) {
  color = FltPackedColor::fromFloats(r, g, b);
  flags = static_cast<uint16_t>((flags & ~kFlagNoColor) | kFlagPackedColor);
}

void FltVertex::setTexCoord(float tu, float tv) {
  u = tu;
  v = tv;
  if (kind == kWithColor) kind = kWithTexture;
  if (kind == kWithNormal) kind = kWithTextureAndNormal;
}

int FltVertex::size(int version) const {
  int length = writtenLength(kind, version);
  if (storedLength != kNoStoredLength) {
    int stored = (storedLength + 7) / 8 * 8;
    if (stored > kLargestPaddedRecord) stored = kLargestPaddedRecord;
    if (stored > length) length = stored;
  }
  return length;
}

int FltVertex::compare(const FltVertex& o) const {
  if (int c = compareExact(x, o.x)) return c;
  if (int c = compareExact(y, o.y)) return c;
  if (int c = compareExact(z, o.z)) return c;
  if (kind != o.kind) return kind - o.kind;
  if (flags != o.flags) return flags - o.flags;
  if (hasNormal()) {
    if (int c = compareExact(normalI, o.normalI)) return c;
    if (int c = compareExact(normalJ, o.normalJ)) return c;
    if (int c = compareExact(normalK, o.normalK)) return c;
  }
  if (!(flags & kFlagNoColor)) {
    if (int c = color.compare(o.color)) return c;
  }
  if (hasTexCoord()) {
    if (int c = compareExact(u, o.u)) return c;
    if (int c = compareExact(v, o.v)) return c;
  }
  return static_cast<int16_t>(storedLength) - static_cast<int16_t>(o.storedLength);
}

void FltVertex::serialise(FltRecord& r, int version) const {
  bool wide = hasWideColors(version);
  r.begin(kind);
  r.write16(wide ? colorNameIndex : static_cast<uint16_t>(colorIndex));
  r.write16(flags);
  r.write64(x).write64(y).write64(z);
  if (hasNormal()) {
    r.write32(static_cast<float>(normalI));
    r.write32(static_cast<float>(normalJ));
    r.write32(static_cast<float>(normalK));
  }
  if (hasTexCoord()) r.write32(u).write32(v);
  color.serialise(r);
  if (wide) r.write32(colorIndex);
  r.skip(size(version) - r.cursor());
  r.finish();
}

void FltVertex::parse(FltRecord& r, int version) {
  r.seekBody();
  kind = r.opcode();
  uint16_t first = 0;
  r.read16(first);
  if (hasWideColors(version)) {
    colorNameIndex = first;
  } else {
    colorNameIndex = 0xFFFF;
    colorIndex = first == 0xFFFF ? -1 : first;
  }
  r.read16(flags);
  r.read64(x).read64(y).read64(z);
  if (hasNormal()) {
    float i, j, k;
    r.read32(i).read32(j).read32(k);
    normalI = i;
    normalJ = j;
    normalK = k;
  }
  if (hasTexCoord()) r.read32(u).read32(v);
  color.parse(r);
  if (hasWideColors(version)) r.read32(colorIndex);
}
