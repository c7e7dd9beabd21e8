#include "host/texture_container.h"

#include <cstdint>
#include <cstring>

namespace {

// No real texture is this wide; a larger side is a corrupt or hostile header.
constexpr uint32_t kMaxSide = 65536;

constexpr unsigned char kKtx1Id[12] = {0xAB, 'K',  'T',  'X',  ' ',  '1',
                                       '1',  0xBB, '\r', '\n', 0x1A, '\n'};
constexpr unsigned char kKtx2Id[12] = {0xAB, 'K',  'T',  'X',  ' ',  '2',
                                       '0',  0xBB, '\r', '\n', 0x1A, '\n'};

uint32_t le32(const unsigned char* p) {
  return uint32_t{p[0]} | uint32_t{p[1]} << 8 | uint32_t{p[2]} << 16 | uint32_t{p[3]} << 24;
}

uint32_t be32(const unsigned char* p) {
  return uint32_t{p[0]} << 24 | uint32_t{p[1]} << 16 | uint32_t{p[2]} << 8 | p[3];
}

bool takeSides(uint32_t w, uint32_t h, int& width, int& height) {
  if (w == 0 || w > kMaxSide || h == 0 || h > kMaxSide) return false;
  width = int(w);
  height = int(h);
  return true;
}

bool readDds(const unsigned char* b, size_t size, int& width, int& height) {
  // "DDS " and the 124-byte header; a "DX10" pixel format adds 20 bytes after it.
  if (size < 128 || std::memcmp(b, "DDS ", 4) != 0) return false;
  if (std::memcmp(b + 84, "DX10", 4) == 0 && size < 148) return false;
  return takeSides(le32(b + 16), le32(b + 12), width, height);
}

bool readKtx1(const unsigned char* b, size_t size, int& width, int& height) {
  if (size < 64 || std::memcmp(b, kKtx1Id, sizeof kKtx1Id) != 0) return false;
  // The writer stores 0x04030201 in its own byte order and every field after it too.
  uint32_t (*read)(const unsigned char*) = nullptr;
  if (le32(b + 12) == 0x04030201u)
    read = le32;
  else if (be32(b + 12) == 0x04030201u)
    read = be32;
  else
    return false;
  const uint32_t h = read(b + 40);
  return takeSides(read(b + 36), h ? h : 1, width, height);
}

bool readKtx2(const unsigned char* b, size_t size, int& width, int& height) {
  // Identifier, nine fields and the index of the data blocks.
  if (size < 80 || std::memcmp(b, kKtx2Id, sizeof kKtx2Id) != 0) return false;
  const uint32_t h = le32(b + 24);
  return takeSides(le32(b + 20), h ? h : 1, width, height);
}

}  // namespace

bool readTextureContainerSize(const unsigned char* bytes, size_t size, int& width, int& height) {
  if (!bytes) return false;
  int w = 0, h = 0;
  if (!readDds(bytes, size, w, h) && !readKtx1(bytes, size, w, h) && !readKtx2(bytes, size, w, h))
    return false;
  width = w;
  height = h;
  return true;
}
