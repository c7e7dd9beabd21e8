#pragma once
// A bitmap texture of the in-memory host. Its bitmap is looked up through the
// scene's bitmap manager the first time it is asked for.

#include <memory>
#include <string>

#include "host/bitmap_manager.h"
#include "plugin/texture_map.h"

class MemoryBitmapTexture : public TextureMap {
 public:
  MemoryBitmapTexture(std::string fileName, const FileBitmapManager& manager)
      : fileName_(std::move(fileName)), manager_(manager) {}

  Matrix3 transform;  // UV transform
  uint32_t tiling = kTileU | kTileV;

  MemoryBitmapTexture& setTiling(uint32_t flags) {
    tiling = flags;
    return *this;
  }
  MemoryBitmapTexture& setUvTransform(const Matrix3& m) {
    transform = m;
    return *this;
  }

  ClassId classId() const override { return kBitmapTextureClassId; }
  Matrix3 uvTransform() const override { return transform; }
  uint32_t textureTiling() const override { return tiling; }
  const char* mapName() const override { return fileName_.c_str(); }
  // Never null: a missing or unreadable file gives a 0 x 0 bitmap.
  Bitmap* bitmap(TimeValue) override {
    if (!bitmap_) bitmap_ = manager_.openBitmap(fileName_);
    return bitmap_.get();
  }

 private:
  std::string fileName_;
  const FileBitmapManager& manager_;
  std::unique_ptr<ImageBitmap> bitmap_;
};
