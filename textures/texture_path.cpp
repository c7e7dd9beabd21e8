#include "textures/texture_path.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <system_error>
#include <vector>

namespace fs = std::filesystem;

namespace {

bool isSeparator(char c) {
  return c == '/' || c == '\\';
}

std::string withSlashes(std::string path) {
  std::replace(path.begin(), path.end(), '\\', '/');
  return path;
}

}  // namespace

std::string plainFileName(const std::string& path) {
  const size_t cut = path.find_last_of("/\\");
  std::string name;
  for (char c : cut == std::string::npos ? path : path.substr(cut + 1))
    if (static_cast<unsigned char>(c) >= 0x20 && c != 0x7F) name += c;
  // A leading dot would hide the file, and "." or ".." name a folder.
  while (!name.empty() && name.front() == '.') name.erase(0, 1);
  return name.empty() ? "texture" : name;
}

std::string textureOutputDirectory(const std::string& outputPath) {
  size_t cut = outputPath.find_last_of("/\\");
  if (cut == std::string::npos) return "";
  // The root keeps its separator, or its images would land beside the name.
  if (cut == 0) return outputPath.substr(0, 1);
  return outputPath.substr(0, cut);
}

std::string joinTexturePath(const std::string& directory, const std::string& name) {
  if (directory.empty()) return name;
  bool dirEnds = isSeparator(directory.back());
  bool nameStarts = !name.empty() && isSeparator(name.front());
  if (dirEnds && nameStarts) return directory + name.substr(1);
  if (dirEnds || nameStarts) return directory + name;
  return directory + "/" + name;
}

void TexturePathContext::setUp(const std::string& currentDirectory, const std::string& outputPath) {
  currentDirectory_ = currentDirectory;
  outputDirectory_ = textureOutputDirectory(outputPath);
  // A bare file name lies in the working directory.
  if (outputDirectory_.empty()) outputDirectory_ = currentDirectory_;
}

void TexturePathContext::resolveTexturePath(std::string& path) const {
  if (copyApplies()) {
    path = joinTexturePath(outputDirectory_, plainFileName(path));
  }
  path = withSlashes(std::move(path));
}

bool TexturePathContext::copyTexture(const std::string& source, const std::string& target,
                                     FileStage& stage, const WarningSink& warn) const {
  if (!copyApplies()) return true;
  std::error_code ec;
  fs::path from = source;
  // A name written with '\\' separators may still name a file here.
  if (!fs::exists(from, ec) && source.find('\\') != std::string::npos) from = withSlashes(source);
  fs::path to = withSlashes(target);
  // An image that already lies where it is to go: copying it onto itself would fail.
  if (fs::equivalent(from, to, ec) && !ec) return true;
  auto failed = [&](const std::string& why) {
    if (warn) warn("cannot copy texture " + source + " to " + to.string() + ": " + why);
    return false;
  };
  FileHandle in = FileHandle::open(from.c_str(), "rb");
  if (!in) return failed(std::strerror(errno));
  std::string why;
  StagedFile* out = stage.add(to.string(), why);
  if (!out) return failed(why);
  std::vector<char> chunk(1 << 16);
  for (size_t n; (n = std::fread(chunk.data(), 1, chunk.size(), in.get())) > 0;) {
    if (std::fwrite(chunk.data(), 1, n, out->stream()) != n) {
      out->discard();
      return failed(std::strerror(errno));
    }
  }
  if (std::ferror(in.get())) {
    out->discard();
    return failed("read error");
  }
  return true;
}
