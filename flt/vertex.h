#pragma once
// One vertex of the vertex palette. Its opcode is its kind: 68 color only, 69 with a
// normal, 70 with a normal and texture coordinates, 71 with texture coordinates.

#include <cstdint>

#include "flt/packed_color.h"
#include "flt/record_base.h"

class FltVertex : public FltRecordBase {
 public:
  static constexpr uint16_t kWithColor = 68;
  static constexpr uint16_t kWithNormal = 69;
  static constexpr uint16_t kWithTextureAndNormal = 70;
  static constexpr uint16_t kWithTexture = 71;
  static constexpr uint16_t kFlagNoColor = 0x2000;
  static constexpr uint16_t kFlagPackedColor = 0x1000;
  static constexpr uint16_t kNoStoredLength = 0xFFFF;

  FltVertex() { reset(); }
  void reset();

  uint16_t opcode() const override { return kind; }
  void serialise(FltRecord& record, int version) const override;
  // The kind comes from the record's opcode. Below revision 1510 the 16-bit field at
  // offset 4 is the color index (FF FF reads as -1, no color).
  void parse(FltRecord& record, int version) override;

  void setNormal(double i, double j, double k);
  void setColor(float r, float g, float b);
  void setTexCoord(float u, float v);
  bool hasNormal() const { return kind == kWithNormal || kind == kWithTextureAndNormal; }
  bool hasTexCoord() const { return kind == kWithTexture || kind == kWithTextureAndNormal; }

  // Bytes the vertex takes in the palette; always the length serialise writes.
  int size(int version) const;
  // Exact comparison, no tolerance; only the fields the kind and flags make relevant.
  int compare(const FltVertex& other) const;

  uint16_t kind;
  double x, y, z;
  double normalI, normalJ, normalK;
  uint16_t flags;
  uint16_t colorNameIndex;
  FltPackedColor color;
  int32_t colorIndex;
  float u, v;
  int32_t paletteOffset;
  // A palette size given by the caller in place of the kind's own (0xFFFF: none);
  // the record is padded to it so that offsets still match what is written.
  uint16_t storedLength;
};
