#pragma once
// A color as four bytes, held and written in the order alpha, blue, green, red.

#include <cstdint>

#include "flt/record_fields.h"

struct FltPackedColor {
  uint8_t alpha = 255;
  uint8_t blue = 255;
  uint8_t green = 255;
  uint8_t red = 255;

  static FltPackedColor fromBytes(uint8_t r, uint8_t g, uint8_t b, uint8_t a = 255) {
    FltPackedColor c;
    c.red = r;
    c.green = g;
    c.blue = b;
    c.alpha = a;
    return c;
  }

  // Components outside 0..1 (and NaN) are clamped first: the byte conversion must
  // never see a value it cannot hold.
  static FltPackedColor fromFloats(float r, float g, float b) {
    return fromBytes(toByte(r), toByte(g), toByte(b), 255);
  }

  void setAll255() { alpha = blue = green = red = 255; }

  void toFloats(float& r, float& g, float& b) const {
    constexpr float kByteToUnit = 0.003921569f;
    r = red * kByteToUnit;
    g = green * kByteToUnit;
    b = blue * kByteToUnit;
  }

  // Red, then green, blue and alpha decide.
  int compare(const FltPackedColor& o) const {
    if (red != o.red) return red - o.red;
    if (green != o.green) return green - o.green;
    if (blue != o.blue) return blue - o.blue;
    return alpha - o.alpha;
  }
  bool operator==(const FltPackedColor& o) const { return compare(o) == 0; }
  bool operator!=(const FltPackedColor& o) const { return compare(o) != 0; }

  // The four bytes as one word, alpha in the top byte (for hashing and memo keys).
  uint32_t word() const {
    return uint32_t{alpha} << 24 | uint32_t{blue} << 16 | uint32_t{green} << 8 | red;
  }

  void serialise(FltRecord& r) const;
  void parse(FltRecord& r);

 private:
  static uint8_t toByte(float v) {
    if (!(v > 0.0f)) return 0;
    if (v >= 1.0f) return 255;
    return static_cast<uint8_t>(v * 255.0);
  }
};

// The four bytes in their stored order, for a record's field list.
template <class Color, class Io>
void packedColorFields(Color& c, Io& io) {
  io(c.alpha, c.blue, c.green, c.red);
}

inline void FltPackedColor::serialise(FltRecord& r) const {
  FltFieldWriter io(r);
  packedColorFields(*this, io);
}

inline void FltPackedColor::parse(FltRecord& r) {
  FltFieldReader io(r);
  packedColorFields(*this, io);
}
