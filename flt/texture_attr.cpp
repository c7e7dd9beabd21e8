#include "flt/texture_attr.h"

#include <algorithm>

#include "flt/record.h"

namespace {

int storedPoints(int32_t count) {
  return std::clamp<int32_t>(count, 0, FltTextureAttr::kMaxControlPoints);
}

}  // namespace

void FltTextureAttr::serialise(FltRecord& r) const {
  r.setLength(0);
  r.seek(0);
  r.write32(texelsU).write32(texelsV);
  r.skip(8);
  r.write32(upVectorX).write32(upVectorY).write32(fileFormat).write32(minFilter);
  r.write32(magFilter).write32(repetitionType).write32(repetitionU).write32(repetitionV);
  r.write32(modifyFlag).write32(xPivot).write32(yPivot).write32(environmentType);
  r.write32(intensityPattern);
  r.skip(32);
  r.write64(realWorldSizeU).write64(realWorldSizeV);
  r.write32(originCode).write32(kernelVersion).write32(internalFormat).write32(externalFormat);
  r.write32(mipmapKernelFlag);
  if (mipmapKernelFlag != 0) {
    for (float k : mipmapKernel) r.write32(k);
  }
  r.write32(lodControlFlag);
  if (lodControlFlag != 0) {
    for (const float(&pair)[2] : lodControl) r.write32(pair[0]).write32(pair[1]);
  }
  r.write32(clamp).write32(magFilterAlpha).write32(magFilterColor);
  r.skip(36);
  r.write64(lambertCentralMeridian).write64(lambertUpperLat).write64(lambertLowerLat);
  r.skip(28);
  r.write32(detailFlag);
  if (detailFlag != 0) {
    for (int32_t d : detail) r.write32(d);
  }
  r.write32(tileFlag).write32(tileLowerLeftU);
  r.skip(4);
  r.write32(tileUpperRightU).write32(tileUpperRightV).write32(projection);
  r.skip(8);
  r.write32(utmZone);
  r.skip(600);
  r.writeText(comments, kCommentLength);
  r.skip(52);
  r.write32(attrFileVersion).write32(controlPointCount);
  int points = storedPoints(controlPointCount);
  if (points > 0) {
    r.skip(4);
    for (int i = 0; i < points; ++i) {
      for (double v : controlPoints[i]) r.write64(v);
    }
  }
}

void FltTextureAttr::parse(FltRecord& r) {
  r.seek(0);
  r.read32(texelsU).read32(texelsV);
  r.skip(8);
  r.read32(upVectorX).read32(upVectorY).read32(fileFormat).read32(minFilter);
  r.read32(magFilter).read32(repetitionType).read32(repetitionU).read32(repetitionV);
  r.read32(modifyFlag).read32(xPivot).read32(yPivot).read32(environmentType);
  r.read32(intensityPattern);
  r.skip(32);
  r.read64(realWorldSizeU).read64(realWorldSizeV);
  r.read32(originCode).read32(kernelVersion).read32(internalFormat).read32(externalFormat);
  r.read32(mipmapKernelFlag);
  if (mipmapKernelFlag != 0) {
    for (float& k : mipmapKernel) r.read32(k);
  }
  r.read32(lodControlFlag);
  if (lodControlFlag != 0) {
    for (float(&pair)[2] : lodControl) r.read32(pair[0]).read32(pair[1]);
  }
  r.read32(clamp).read32(magFilterAlpha).read32(magFilterColor);
  r.skip(36);
  r.read64(lambertCentralMeridian).read64(lambertUpperLat).read64(lambertLowerLat);
  r.skip(28);
  r.read32(detailFlag);
  if (detailFlag != 0) {
    for (int32_t& d : detail) r.read32(d);
  }
  r.read32(tileFlag).read32(tileLowerLeftU);
  r.skip(4);
  r.read32(tileUpperRightU).read32(tileUpperRightV).read32(projection);
  r.skip(8);
  r.read32(utmZone);
  r.skip(600);
  r.readText(comments, kCommentLength);
  r.skip(52);
  r.read32(attrFileVersion).read32(controlPointCount);
  int points = storedPoints(controlPointCount);
  if (points > 0) {
    r.skip(4);
    for (int i = 0; i < points; ++i) {
      for (double& v : controlPoints[i]) r.read64(v);
    }
  }
}

bool FltTextureAttr::write(std::FILE* stream) const {
  if (!stream) return false;
  FltRecord buffer;
  serialise(buffer);
  return std::fwrite(buffer.data(), buffer.length(), 1, stream) == 1;
}
