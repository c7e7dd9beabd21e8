#pragma once
// The host's bitmap manager: finds image files and reads their pixel size from the
// file header, without decoding the image.

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "plugin/bitmap.h"

class ImageBitmap : public Bitmap {
 public:
  ImageBitmap(int width, int height) : width_(width), height_(height) {}
  ~ImageBitmap() override = default;

  int Width() const override { return width_; }
  int Height() const override { return height_; }
  void DeleteThis() override { delete this; }

 private:
  int width_;
  int height_;
};

// Pixel size from an image file's header: the formats stb_image knows, SGI images
// (.rgb, .rgba, .int), common among OpenFlight textures, and DDS, KTX and KTX2
// texture containers. False when the file is missing or not an image.
[[nodiscard]] bool readImageSize(const std::string& path, int& width, int& height);
// The same test on an image held in memory (an embedded one).
[[nodiscard]] bool readsAsImage(const unsigned char* bytes, size_t size);
// Pixel size of an image held in memory.
[[nodiscard]] bool readImageSize(const unsigned char* bytes, size_t size, int& width, int& height);

class FileBitmapManager : public BitmapManager {
 public:
  // Folders searched, in order, for an image not found under its own name.
  void addSearchFolder(std::string folder) { folders_.push_back(std::move(folder)); }
  const std::vector<std::string>& searchFolders() const { return folders_; }
  // Images a scene holds that are not written out (a check writes none): their
  // bytes by the path they would have, or null.
  using HeldImages = std::function<const std::vector<char>*(const std::string& path)>;
  void setHeldImages(HeldImages held) { held_ = std::move(held); }

  // The file an image name refers to: the name itself when that is a file, else
  // the name's last component in each search folder in turn; failing those, a file
  // whose name differs only in case, in the name's folder, then in each search folder.
  std::optional<std::string> findImage(const std::string& name) const;

  Bitmap* Load(BitmapInfo* info) override;

  // The bitmap a texture map holds: always one, 0 x 0 when the image is missing
  // or unreadable.
  std::unique_ptr<ImageBitmap> openBitmap(const std::string& name) const;

 private:
  // The size of the image `name` names, from a file or from memory.
  bool imageSize(const std::string& name, std::string& found, int& width, int& height) const;

  std::vector<std::string> folders_;
  HeldImages held_;
};
