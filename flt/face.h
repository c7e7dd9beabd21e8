#pragma once
// A face: one polygon's colors, material, texture, draw mode and flags. Its corners
// follow one level down as a vertex list.

#include <cstdint>

#include "flt/header.h"
#include "flt/id_record.h"
#include "flt/packed_color.h"

class FltColorPalette;

class FltFace : public FltIdRecord {
 public:
  static constexpr uint16_t kOpcode = 5;
  static constexpr uint32_t kFlagTerrain = 0x80000000u;
  static constexpr uint32_t kFlagNoColor = 0x40000000u;
  static constexpr uint32_t kFlagNoAltColor = 0x20000000u;
  static constexpr uint32_t kFlagFootprint = 0x08000000u;
  static constexpr uint32_t kFlagHidden = 0x04000000u;

  uint16_t opcode() const override { return kOpcode; }
  // Below revision 1510 the color indexes stand, cut to 16 bits, where the color
  // name indexes stand from 1510.
  void serialise(FltRecord& record, int version) const override;
  void parse(FltRecord& record, int version) override;

  // Stores the color, takes its palette index and clears the no-color flag.
  void setColor(FltColorPalette& palette, const FltPackedColor& c);

  int32_t irColorCode = 0;
  int16_t relativePriority = 0;
  uint8_t drawType = 0;
  uint8_t textureWhite = 0;
  uint16_t colorNameIndex = 0xFFFF;
  uint16_t altColorNameIndex = 0xFFFF;
  uint8_t billboard = 0;
  int16_t detailTexturePattern = -1;
  int16_t texturePattern = -1;
  int16_t materialIndex = -1;
  int16_t surfaceMaterialCode = 0;
  int16_t featureId = 0;
  int32_t irMaterialCode = 0;
  uint16_t transparency = 0;
  uint8_t lodGenerationControl = 0;
  uint8_t lineStyleIndex = 0;
  uint32_t flags = kFlagTerrain | kFlagNoColor | kFlagNoAltColor;
  uint8_t lightMode = 0;
  FltPackedColor primaryColor;
  FltPackedColor alternateColor;
  int16_t textureMappingIndex = 0;
  int32_t primaryColorIndex = 0;
  int32_t alternateColorIndex = 0;

 protected:
  const char* idFormat() const override { return "f%d"; }
  int16_t& idCounter(FltHeader& header) const override { return header.nextFaceId; }
};
