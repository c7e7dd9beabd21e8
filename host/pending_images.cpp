#include "host/pending_images.h"

#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <system_error>

#include "host/bitmap_manager.h"

namespace fs = std::filesystem;

void PendingImages::add(std::string path, std::vector<char> bytes) {
  images_.push_back({std::move(path), std::move(bytes)});
}

const std::vector<char>* PendingImages::bytesOf(const std::string& path) const {
  for (const Image& image : images_)
    if (image.path == path) return &image.bytes;
  return nullptr;
}

bool PendingImages::mayWrite(const std::string& path) const {
  std::error_code ec;
  // The output may not exist yet, so names are compared as well as files.
  const fs::path named = fs::absolute(path, ec).lexically_normal();
  for (const std::string& kept : keep_)
    if (named == fs::absolute(kept, ec).lexically_normal() || fs::equivalent(path, kept, ec))
      return false;
  if (!fs::exists(path, ec)) return true;
  int w = 0, h = 0;
  return fs::is_regular_file(path, ec) && readImageSize(path, w, h);
}

void PendingImages::extract(const Warn& warn) {
  for (Image& image : images_) {
    if (image.done) continue;
    image.done = true;
    if (!mayWrite(image.path)) {
      warn("embedded image not written: " + image.path + " exists and is no image to replace");
      continue;
    }
    std::error_code ec;
    const bool existed = fs::exists(image.path, ec);
    // Written whole under a hidden name first: a full disk leaves no half image.
    const fs::path target(image.path);
    const fs::path temporary = target.parent_path() / ("." + target.filename().string() +
                                                       ".zorvel-" + std::to_string(getpid()));
    std::FILE* f = std::fopen(temporary.c_str(), "wb");
    bool ok = f && std::fwrite(image.bytes.data(), 1, image.bytes.size(), f) == image.bytes.size();
    const int writeError = errno;
    if (f && std::fclose(f) != 0) ok = false;
    // The image it replaces stays reachable, so that a failed export can put it back.
    const fs::path aside = target.parent_path() / ("." + target.filename().string() +
                                                   ".zorvel-old-" + std::to_string(getpid()));
    if (ok && existed && link(target.c_str(), aside.c_str()) != 0) ok = false;
    if (ok && std::rename(temporary.c_str(), target.c_str()) != 0) {
      ok = false;
      if (existed) unlink(aside.c_str());
    }
    if (!ok) {
      warn("cannot write embedded image " + image.path + ": " +
           std::strerror(errno ? errno : writeError));
      fs::remove(temporary, ec);
      continue;
    }
    image.created = !existed;
    if (existed) image.replaced = aside.string();
  }
}

void PendingImages::commit() {
  for (Image& image : images_) {
    if (!image.replaced.empty()) unlink(image.replaced.c_str());
    image.replaced.clear();
    image.created = false;
  }
}

void PendingImages::rollBack() {
  for (Image& image : images_) {
    std::error_code ec;
    if (image.created) fs::remove(image.path, ec);
    if (!image.replaced.empty()) std::rename(image.replaced.c_str(), image.path.c_str());
    image.created = false;
    image.replaced.clear();
  }
}
