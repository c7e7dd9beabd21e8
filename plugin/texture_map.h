#pragma once
// A texture map of a material. Only bitmap textures (class 0x240, 0) name an image
// file and have a bitmap; other classes answer an empty name and no bitmap.

#include <cstdint>

#include "plugin/host_types.h"

class Bitmap;

constexpr ClassId kBitmapTextureClassId{0x240, 0};

class TextureMap {
 public:
  // Tiling flags.
  static constexpr uint32_t kTileU = 1u << 0;
  static constexpr uint32_t kTileV = 1u << 1;

  virtual ~TextureMap() = default;

  virtual ClassId classId() const = 0;
  // Applied to texture vertices: (u, v, w) * transform.
  virtual Matrix3 uvTransform() const = 0;
  virtual uint32_t textureTiling() const = 0;

  // The image file name as the map holds it.
  virtual const char* mapName() const { return ""; }
  // The map's loaded bitmap, owned by the map (never released by the caller);
  // null when the map has none. A map that names a missing file has a 0 x 0 one.
  virtual Bitmap* bitmap(TimeValue /*t*/) { return nullptr; }
};
