#include "flt/face.h"

#include "flt/color_palette.h"
#include "flt/record.h"
#include "flt/revision.h"

namespace {}  // namespace

void FltFace::setColor(FltColorPalette& palette, const FltPackedColor& c) {
  primaryColor = c;
  primaryColorIndex = palette.colorIndex(c);
  flags &= ~kFlagNoColor;
}

void FltFace::serialise(FltRecord& r, int version) const {
  bool wide = hasWideColors(version);
  r.begin(kOpcode);
  r.writeText(id, kIdLength);
  r.write32(irColorCode).write16(relativePriority).write8(drawType).write8(textureWhite);
  if (wide)
    r.write16(colorNameIndex).write16(altColorNameIndex);
  else
    r.write16(static_cast<uint16_t>(primaryColorIndex))
        .write16(static_cast<uint16_t>(alternateColorIndex));
  r.skip(1);
  r.write8(billboard).write16(detailTexturePattern).write16(texturePattern);
  r.write16(materialIndex).write16(surfaceMaterialCode).write16(featureId);
  r.write32(irMaterialCode).write16(transparency).write8(lodGenerationControl);
  r.write8(lineStyleIndex).write32(flags).write8(lightMode);
  // The packed colors are not written: readers take the indexes.
  r.skip(15);
  if (wide) {
    r.write16(textureMappingIndex);
    r.skip(2);
    r.write32(primaryColorIndex).write32(alternateColorIndex);
    r.skip(4);
  }
  r.finish();
}

void FltFace::parse(FltRecord& r, int version) {
  bool wide = hasWideColors(version);
  r.seekBody();
  r.readText(id, kIdLength);
  r.read32(irColorCode).read16(relativePriority).read8(drawType).read8(textureWhite);
  if (wide) {
    r.read16(colorNameIndex).read16(altColorNameIndex);
  } else {
    uint16_t primary = 0, alternate = 0;
    r.read16(primary).read16(alternate);
    primaryColorIndex = primary;
    alternateColorIndex = alternate;
    colorNameIndex = altColorNameIndex = 0xFFFF;
  }
  r.skip(1);
  r.read8(billboard).read16(detailTexturePattern).read16(texturePattern);
  r.read16(materialIndex).read16(surfaceMaterialCode).read16(featureId);
  r.read32(irMaterialCode).read16(transparency).read8(lodGenerationControl);
  r.read8(lineStyleIndex).read32(flags).read8(lightMode);
  r.skip(7);
  primaryColor.parse(r);
  alternateColor.parse(r);
  if (wide) {
    r.read16(textureMappingIndex);
    r.skip(2);
    r.read32(primaryColorIndex).read32(alternateColorIndex);
  }
}
