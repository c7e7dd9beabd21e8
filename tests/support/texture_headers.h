#pragma once
// DDS, KTX and KTX2 headers built field by field, as the tools that write them lay
// them out, for the texture-size readers to take apart.

#include <cstdint>
#include <cstring>
#include <vector>

inline void putLe32(std::vector<unsigned char>& b, size_t at, uint32_t v) {
  for (int i = 0; i < 4; ++i) b[at + i] = static_cast<unsigned char>(v >> (8 * i));
}

inline void putBe32(std::vector<unsigned char>& b, size_t at, uint32_t v) {
  for (int i = 0; i < 4; ++i) b[at + i] = static_cast<unsigned char>(v >> (24 - 8 * i));
}

// A DDS header; with `dx10` the pixel format names the extended header that follows.
inline std::vector<unsigned char> ddsHeader(uint32_t width, uint32_t height, bool dx10 = false) {
  std::vector<unsigned char> b(dx10 ? 148 : 128, 0);
  std::memcpy(b.data(), "DDS ", 4);
  putLe32(b, 4, 124);
  putLe32(b, 8, 0x1007);  // caps, height, width, pixel format
  putLe32(b, 12, height);
  putLe32(b, 16, width);
  putLe32(b, 28, 1);   // mipmap levels
  putLe32(b, 76, 32);  // pixel format size
  putLe32(b, 80, 4);   // a four-character code
  std::memcpy(&b[84], dx10 ? "DX10" : "DXT1", 4);
  putLe32(b, 108, 0x1000);  // a texture
  if (dx10) {
    putLe32(b, 128, 71);  // BC1
    putLe32(b, 132, 3);   // 2-D
    putLe32(b, 140, 1);   // array size
  }
  return b;
}

// A KTX 1 header, every field in the writer's byte order.
inline std::vector<unsigned char> ktx1Header(uint32_t width, uint32_t height, bool bigEndian) {
  static const unsigned char kId[12] = {0xAB, 'K',  'T',  'X',  ' ',  '1',
                                        '1',  0xBB, '\r', '\n', 0x1A, '\n'};
  std::vector<unsigned char> b(64, 0);
  std::memcpy(b.data(), kId, sizeof kId);
  const auto put = bigEndian ? putBe32 : putLe32;
  put(b, 12, 0x04030201);
  put(b, 16, 0x1401);  // unsigned byte
  put(b, 20, 1);
  put(b, 24, 0x1908);  // RGBA
  put(b, 28, 0x8058);  // RGBA8
  put(b, 32, 0x1908);
  put(b, 36, width);
  put(b, 40, height);
  put(b, 52, 1);  // faces
  put(b, 56, 1);  // mipmap levels
  return b;
}

// A KTX2 header with its (empty) index of the data blocks.
inline std::vector<unsigned char> ktx2Header(uint32_t width, uint32_t height) {
  static const unsigned char kId[12] = {0xAB, 'K',  'T',  'X',  ' ',  '2',
                                        '0',  0xBB, '\r', '\n', 0x1A, '\n'};
  std::vector<unsigned char> b(80, 0);
  std::memcpy(b.data(), kId, sizeof kId);
  putLe32(b, 12, 37);  // R8G8B8A8_SRGB
  putLe32(b, 16, 1);
  putLe32(b, 20, width);
  putLe32(b, 24, height);
  putLe32(b, 36, 1);  // faces
  putLe32(b, 40, 1);  // levels
  return b;
}
