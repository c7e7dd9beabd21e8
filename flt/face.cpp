#include "flt/face.h"

#include "flt/color_palette.h"
#include "flt/record_fields.h"
#include "flt/revision.h"

void FltFace::setColor(FltColorPalette& palette, const FltPackedColor& c) {
  primaryColor = c;
  primaryColorIndex = palette.colorIndex(c);
  flags &= ~kFlagNoColor;
}

namespace {

// Below revision 1510 the color indexes stand, cut to 16 bits, where the color name
// indexes stand from 1510. The packed colors are read but not written: readers take
// the indexes.
template <class Face, class Io>
void faceFields(Face& f, Io& io, bool wide) {
  io.text(f.id, FltFace::kIdLength);
  io(f.irColorCode, f.relativePriority, f.drawType, f.textureWhite);
  if (wide) {
    io(f.colorNameIndex, f.altColorNameIndex);
  } else if constexpr (Io::kReads) {
    uint16_t primary = 0, alternate = 0;
    io(primary, alternate);
    f.primaryColorIndex = primary;
    f.alternateColorIndex = alternate;
    f.colorNameIndex = f.altColorNameIndex = 0xFFFF;
  } else {
    io(static_cast<uint16_t>(f.primaryColorIndex), static_cast<uint16_t>(f.alternateColorIndex));
  }
  io.skip(1);
  io(f.billboard, f.detailTexturePattern, f.texturePattern, f.materialIndex);
  io(f.surfaceMaterialCode, f.featureId, f.irMaterialCode, f.transparency);
  io(f.lodGenerationControl, f.lineStyleIndex, f.flags, f.lightMode);
  io.skip(7);
  if constexpr (Io::kReads) {
    packedColorFields(f.primaryColor, io);
    packedColorFields(f.alternateColor, io);
  } else {
    io.skip(8);
  }
  if (wide) {
    io(f.textureMappingIndex).skip(2);
    io(f.primaryColorIndex, f.alternateColorIndex).skip(4);
  }
}

}  // namespace

void FltFace::serialise(FltRecord& r, int version) const {
  r.begin(kOpcode);
  FltFieldWriter io(r);
  faceFields(*this, io, hasWideColors(version));
  r.finish();
}

void FltFace::parse(FltRecord& r, int version) {
  r.seekBody();
  FltFieldReader io(r);
  faceFields(*this, io, hasWideColors(version));
}
