#include "host/embedded_images.h"

#include "host/bitmap_manager.h"
#include "host/pending_images.h"

#include <assimp/scene.h>

#include <cctype>
#include <cerrno>
#include <cstring>
#include <fstream>
#include <system_error>

namespace fs = std::filesystem;

namespace {

bool startsWith(const unsigned char* data, size_t size, const char* magic, size_t n) {
  return size >= n && std::memcmp(data, magic, n) == 0;
}

// The extension of a compressed image: the loader's hint, else the file's magic.
std::string compressedExtension(const aiTexture& texture) {
  std::string hint;
  for (char c : texture.achFormatHint) {
    if (c == '\0') break;
    if (std::isalnum(static_cast<unsigned char>(c)))
      hint += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  }
  if (!hint.empty()) return hint == "jpeg" ? "jpg" : hint;
  const auto* data = reinterpret_cast<const unsigned char*>(texture.pcData);
  const size_t size = data ? texture.mWidth : 0;
  if (startsWith(data, size, "\x89PNG", 4)) return "png";
  if (startsWith(data, size, "\xFF\xD8\xFF", 3)) return "jpg";
  if (startsWith(data, size, "BM", 2)) return "bmp";
  if (startsWith(data, size, "GIF8", 4)) return "gif";
  if (startsWith(data, size, "DDS ", 4)) return "dds";
  if (startsWith(data, size, "\xABKTX", 4)) return "ktx";
  if (startsWith(data, size, "\x01\xDA", 2)) return "rgb";
  return "bin";
}

bool isImageExtension(std::string ext) {
  for (char& c : ext) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  static const char* const kImages[] = {".png",  ".jpg", ".jpeg", ".bmp", ".gif",  ".tga",
                                        ".dds",  ".ktx", ".ktx2", ".rgb", ".rgba", ".int",
                                        ".inta", ".sgi", ".bw",   ".tif", ".tiff", ".psd",
                                        ".hdr",  ".pic", ".pnm",  ".ppm", ".pgm",  ".webp"};
  for (const char* image : kImages)
    if (ext == image) return true;
  return false;
}

std::string extensionOf(const aiTexture& texture) {
  return texture.mHeight == 0 ? compressedExtension(texture) : "tga";
}

// The last component of a name written on any system, without characters that
// would make it another folder or an invisible file.
std::string leafName(const std::string& name) {
  const size_t cut = name.find_last_of("/\\:");
  std::string leaf = cut == std::string::npos ? name : name.substr(cut + 1);
  std::string clean;
  for (char c : leaf)
    if (static_cast<unsigned char>(c) >= 0x20 && c != 0x7F) clean += c;
  while (!clean.empty() && (clean.front() == '.' || clean.front() == ' ')) clean.erase(0, 1);
  while (!clean.empty() && clean.back() == ' ') clean.pop_back();
  return clean;
}

std::vector<char> tgaImage(const aiTexture& texture) {
  const uint32_t w = texture.mWidth, h = texture.mHeight;
  const size_t texelBytes = size_t{w} * h * sizeof(aiTexel);
  std::vector<char> out(18 + texelBytes, 0);
  out[2] = 2;  // uncompressed true color
  out[12] = static_cast<char>(w & 0xFF);
  out[13] = static_cast<char>(w >> 8);
  out[14] = static_cast<char>(h & 0xFF);
  out[15] = static_cast<char>(h >> 8);
  out[16] = 32;
  out[17] = 0x28;  // first row on top, 8 alpha bits
  // aiTexel is b, g, r, a: the order TGA stores.
  if (texelBytes > 0) std::memcpy(out.data() + 18, texture.pcData, texelBytes);
  return out;
}

}  // namespace

EmbeddedImages::EmbeddedImages(const aiScene& scene, fs::path folder, std::string sceneStem,
                               PendingImages& pending, std::vector<std::string>& warnings)
    : scene_(scene),
      folder_(folder.empty() ? fs::path(".") : std::move(folder)),
      stem_(std::move(sceneStem)),
      pending_(pending),
      warnings_(warnings) {}

std::string EmbeddedImages::fileNameFor(const aiTexture& texture, int index,
                                        const std::string& stem) {
  const std::string ext = extensionOf(texture);
  std::string name = leafName(texture.mFilename.C_Str());
  if (name.empty()) return stem + "_tex" + std::to_string(index) + "." + ext;
  const fs::path asPath(name);
  if (texture.mHeight != 0) return asPath.stem().string() + ".tga";
  // Readers choose by extension: "o.flt" or "notes.txt" would be taken for what
  // they say, and collide with such files.
  if (!isImageExtension(asPath.extension().string())) name += "." + ext;
  return name;
}

std::string EmbeddedImages::fileFor(int index) {
  if (index < 0 || static_cast<unsigned>(index) >= scene_.mNumTextures || !scene_.mTextures[index])
    return {};
  if (auto it = written_.find(index); it != written_.end()) return it->second;

  const aiTexture& texture = *scene_.mTextures[index];
  std::string name = fileNameFor(texture, index, stem_);
  // Two images of one name would overwrite each other, and a file that is no
  // image (or the scene, or the output) is never replaced: such names get a number.
  const auto taken = [&](const std::string& candidate) {
    return usedNames_.count(candidate) || !pending_.mayWrite((folder_ / candidate).string());
  };
  if (taken(name)) {
    const fs::path asPath(name);
    const std::string ext = asPath.extension().string(), base = asPath.stem().string();
    for (int n = 1; taken(name); ++n) name = base + "_" + std::to_string(n) + ext;
  }
  usedNames_.insert(name);
  const fs::path file = folder_ / name;
  written_[index] = file.string();
  if (!texture.pcData) {
    warnings_.push_back("embedded image " + file.string() + " holds no data");
    return file.string();
  }
  if (texture.mHeight == 0) {
    const char* bytes = reinterpret_cast<const char*>(texture.pcData);
    if (!readsAsImage(reinterpret_cast<const unsigned char*>(bytes), texture.mWidth))
      warnings_.push_back("embedded image " + file.string() + " is no image; not written");
    else
      pending_.add(file.string(), std::vector<char>(bytes, bytes + texture.mWidth));
  } else if (texture.mWidth > 0xFFFF || texture.mHeight > 0xFFFF) {
    warnings_.push_back("embedded image " + file.string() + " is too large to write");
  } else {
    pending_.add(file.string(), tgaImage(texture));
  }
  return file.string();
}
