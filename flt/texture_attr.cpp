#include "flt/texture_attr.h"

#include <algorithm>

#include "flt/record_fields.h"

namespace {

int storedPoints(int32_t count) {
  return std::clamp<int32_t>(count, 0, FltTextureAttr::kMaxControlPoints);
}

// The optional blocks (mipmap kernel, LOD control, detail, control points) follow
// only when their flag or count, read just before, says so.
template <class Attr, class Io>
void attrFields(Attr& a, Io& io) {
  io(a.texelsU, a.texelsV).skip(8);
  io(a.upVectorX, a.upVectorY, a.fileFormat, a.minFilter);
  io(a.magFilter, a.repetitionType, a.repetitionU, a.repetitionV);
  io(a.modifyFlag, a.xPivot, a.yPivot, a.environmentType);
  io(a.intensityPattern).skip(32);
  io(a.realWorldSizeU, a.realWorldSizeV);
  io(a.originCode, a.kernelVersion, a.internalFormat, a.externalFormat);
  io(a.mipmapKernelFlag);
  if (a.mipmapKernelFlag != 0) io(a.mipmapKernel);
  io(a.lodControlFlag);
  if (a.lodControlFlag != 0) io(a.lodControl);
  io(a.clamp, a.magFilterAlpha, a.magFilterColor).skip(36);
  io(a.lambertCentralMeridian, a.lambertUpperLat, a.lambertLowerLat).skip(28);
  io(a.detailFlag);
  if (a.detailFlag != 0) io(a.detail);
  io(a.tileFlag, a.tileLowerLeftU).skip(4);
  io(a.tileUpperRightU, a.tileUpperRightV, a.projection).skip(8);
  io(a.utmZone).skip(600);
  io.text(a.comments, FltTextureAttr::kCommentLength).skip(52);
  io(a.attrFileVersion, a.controlPointCount);
  const int points = storedPoints(a.controlPointCount);
  if (points > 0) {
    io.skip(4);
    for (int i = 0; i < points; ++i) io(a.controlPoints[i]);
  }
}

}  // namespace

void FltTextureAttr::serialise(FltRecord& r) const {
  r.setLength(0);
  r.seek(0);
  FltFieldWriter io(r);
  attrFields(*this, io);
}

void FltTextureAttr::parse(FltRecord& r) {
  r.seek(0);
  FltFieldReader io(r);
  attrFields(*this, io);
}

bool FltTextureAttr::write(std::FILE* stream) const {
  if (!stream) return false;
  FltRecord buffer;
  serialise(buffer);
  return std::fwrite(buffer.data(), buffer.length(), 1, stream) == 1;
}
