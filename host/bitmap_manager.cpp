#include "host/bitmap_manager.h"

#include <cctype>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <system_error>

#include "host/texture_container.h"

#define STB_IMAGE_IMPLEMENTATION
#include <stb/stb_image.h>

namespace fs = std::filesystem;

namespace {

bool isFile(const fs::path& p) {
  std::error_code ec;
  return fs::is_regular_file(p, ec);
}

// SGI image header: magic 474, storage, bytes per channel, dimension, x, y, z size.
bool readSgiSize(const unsigned char* h, size_t size, int& width, int& height) {
  if (size < 12 || h[0] != 0x01 || h[1] != 0xDA || h[2] > 1 || (h[3] != 1 && h[3] != 2))
    return false;
  width = h[6] << 8 | h[7];
  height = h[8] << 8 | h[9];
  return true;
}

// The formats stb_image does not know, from the file's first bytes.
bool readHeaderSize(const std::string& path, int& width, int& height) {
  std::FILE* f = std::fopen(path.c_str(), "rb");
  if (!f) return false;
  unsigned char h[kTextureContainerHeaderBytes];
  const size_t got = std::fread(h, 1, sizeof h, f);
  std::fclose(f);
  return readSgiSize(h, got, width, height) || readTextureContainerSize(h, got, width, height);
}

// Scenes made on Windows name "IMAGE1.JPG" where the file is image1.jpg: a file of
// the folder whose name differs only in case, the first by name when there are several.
std::optional<fs::path> findIgnoringCase(const fs::path& folder, const std::string& leaf) {
  auto lower = [](std::string s) {
    for (char& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return s;
  };
  const std::string wanted = lower(leaf);
  std::optional<fs::path> found;
  std::error_code ec;
  for (fs::directory_iterator it(folder.empty() ? "." : folder, ec), end; !ec && it != end;
       it.increment(ec)) {
    const fs::path& p = it->path();
    if (lower(p.filename().string()) == wanted && isFile(p) && (!found || p < *found)) found = p;
  }
  return found;
}

}  // namespace

bool readImageSize(const std::string& path, int& width, int& height) {
  if (!isFile(path)) return false;
  int w = 0, h = 0, channels = 0;
  if (stbi_info(path.c_str(), &w, &h, &channels) || readHeaderSize(path, w, h)) {
    width = w;
    height = h;
    return true;
  }
  return false;
}

std::optional<std::string> FileBitmapManager::findImage(const std::string& name) const {
  if (name.empty()) return std::nullopt;
  if (isFile(name)) return name;
  // Names written on Windows separate folders with '\\' too.
  const size_t cut = name.find_last_of("/\\");
  const std::string leaf = cut == std::string::npos ? name : name.substr(cut + 1);
  if (leaf.empty()) return std::nullopt;
  for (const std::string& folder : folders_) {
    const fs::path candidate = fs::path(folder) / leaf;
    if (isFile(candidate)) return candidate.string();
  }
  if (name.find('\\') == std::string::npos)
    if (auto found = findIgnoringCase(fs::path(name).parent_path(), leaf)) return found->string();
  for (const std::string& folder : folders_)
    if (auto found = findIgnoringCase(folder, leaf)) return found->string();
  return std::nullopt;
}

bool FileBitmapManager::imageSize(const std::string& name, std::string& found, int& width,
                                  int& height) const {
  // An image held in memory is the one the file will hold, whatever lies there now.
  if (const std::vector<char>* bytes = held_ ? held_(name) : nullptr) {
    found = name;
    return readImageSize(reinterpret_cast<const unsigned char*>(bytes->data()), bytes->size(),
                         width, height);
  }
  if (const std::optional<std::string> file = findImage(name)) {
    found = *file;
    return readImageSize(*file, width, height);
  }
  return false;
}

Bitmap* FileBitmapManager::Load(BitmapInfo* info) {
  if (!info) return nullptr;
  std::string found;
  int width = 0, height = 0;
  if (!imageSize(info->Name(), found, width, height)) return nullptr;
  info->SetName(found.c_str());
  return new ImageBitmap(width, height);
}

std::unique_ptr<ImageBitmap> FileBitmapManager::openBitmap(const std::string& name) const {
  std::string found;
  int width = 0, height = 0;
  if (!imageSize(name, found, width, height)) width = height = 0;
  return std::make_unique<ImageBitmap>(width, height);
}

bool readImageSize(const unsigned char* bytes, size_t size, int& width, int& height) {
  if (!bytes || size == 0 || size > size_t(INT32_MAX)) return false;
  int w = 0, h = 0, channels = 0;
  if (!stbi_info_from_memory(bytes, int(size), &w, &h, &channels) &&
      !readSgiSize(bytes, size, w, h) && !readTextureContainerSize(bytes, size, w, h))
    return false;
  width = w;
  height = h;
  return true;
}

bool readsAsImage(const unsigned char* bytes, size_t size) {
  if (!bytes || size == 0 || size > size_t(INT32_MAX)) return false;
  int w = 0, h = 0, channels = 0;
  if (stbi_info_from_memory(bytes, int(size), &w, &h, &channels)) return true;
  // SGI by its magic; DDS and KTX only with a whole header of a sensible size.
  if (size >= 12 && bytes[0] == 0x01 && bytes[1] == 0xDA) return true;
  return readTextureContainerSize(bytes, size, w, h);
}
