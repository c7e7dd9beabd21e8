#pragma once
// The texture attribute file written beside every texture image: texel size,
// filters, wrapping, real-world size and the rest of the format's fields.
// With the mipmap kernel, LOD control and detail flags all 0 (every texture the
// export makes) the file is exactly kBaseLength bytes.

#include <cstdint>
#include <cstdio>

class FltRecord;

struct FltTextureAttr {
  static constexpr int kBaseLength = 1452;
  static constexpr int kCommentLength = 512;
  static constexpr int kMaxControlPoints = 32;

  int32_t texelsU = 0;
  int32_t texelsV = 0;
  int32_t upVectorX = 0;
  int32_t upVectorY = 0;
  int32_t fileFormat = 0;
  int32_t minFilter = 6;
  int32_t magFilter = 1;
  int32_t repetitionType = 0;
  int32_t repetitionU = 0;
  int32_t repetitionV = 0;
  int32_t modifyFlag = 0;
  int32_t xPivot = 0;
  int32_t yPivot = 0;
  int32_t environmentType = 0;
  int32_t intensityPattern = 0;
  double realWorldSizeU = 0.0;
  double realWorldSizeV = 0.0;
  int32_t originCode = 0;
  int32_t kernelVersion = 1520;
  int32_t internalFormat = 0;
  int32_t externalFormat = 0;
  int32_t mipmapKernelFlag = 0;
  float mipmapKernel[8] = {};
  int32_t lodControlFlag = 0;
  float lodControl[8][2] = {};  // LOD, scale
  int32_t clamp = 0;
  int32_t magFilterAlpha = 2;
  int32_t magFilterColor = 2;
  double lambertCentralMeridian = 0.0;
  double lambertUpperLat = 0.0;
  double lambertLowerLat = 0.0;
  int32_t detailFlag = 0;
  int32_t detail[5] = {};  // J, K, M, N, scramble
  int32_t tileFlag = 0;
  int32_t tileLowerLeftU = 0;
  int32_t tileUpperRightU = 0;
  int32_t tileUpperRightV = 0;
  int32_t projection = 0;
  int32_t utmZone = 0;
  char comments[kCommentLength + 1] = {};
  int32_t attrFileVersion = 0;
  // Points beyond kMaxControlPoints are neither written nor read.
  int32_t controlPointCount = 0;
  double controlPoints[kMaxControlPoints][4] = {};

  // The file's bytes, from offset 0 of the buffer (no record head).
  void serialise(FltRecord& buffer) const;
  void parse(FltRecord& buffer);
  // Writes the whole file to an open stream; false without a stream or when the
  // write failed.
  [[nodiscard]] bool write(std::FILE* stream) const;
};
