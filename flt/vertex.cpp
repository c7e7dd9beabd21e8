#include "flt/vertex.h"

#include <cmath>
#include <cstring>

#include "flt/record_fields.h"
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

namespace {

// Below revision 1510 the color index, cut to 16 bits, stands where the color name
// index stands from 1510; the kind is the record's opcode, not a field.
template <class Vertex, class Io>
void vertexFields(Vertex& f, Io& io, bool wide) {
  if (wide) {
    io(f.colorNameIndex);
  } else if constexpr (Io::kReads) {
    uint16_t index = 0;
    io(index);
    f.colorNameIndex = 0xFFFF;
    f.colorIndex = index == 0xFFFF ? -1 : index;
  } else {
    io(static_cast<uint16_t>(f.colorIndex));
  }
  io(f.flags, f.x, f.y, f.z);
  // Normals are held as doubles and stored as floats.
  if (f.hasNormal()) io.asFloat(f.normalI).asFloat(f.normalJ).asFloat(f.normalK);
  if (f.hasTexCoord()) io(f.u, f.v);
  packedColorFields(f.color, io);
  if (wide) io(f.colorIndex);
}

}  // namespace

void FltVertex::serialise(FltRecord& r, int version) const {
  r.begin(kind);
  FltFieldWriter io(r);
  vertexFields(*this, io, hasWideColors(version));
  r.skip(size(version) - r.cursor());
  r.finish();
}

void FltVertex::parse(FltRecord& r, int version) {
  r.seekBody();
  kind = r.opcode();
  FltFieldReader io(r);
  vertexFields(*this, io, hasWideColors(version));
}
