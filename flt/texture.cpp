#include "flt/texture.h"

#include "flt/record.h"

void FltTexture::setPath(const char* path) {
  if (!path) {
    fileName.clear();
    fullPath.clear();
    return;
  }
  fullPath = path;
  size_t cut = fullPath.find_last_of("/\\");
  fileName = cut == std::string::npos ? fullPath : fullPath.substr(cut + 1);
  if (fileName.size() > kFileNameLength) fileName.resize(kFileNameLength);
}

void FltTexture::serialise(FltRecord& r, int /*version*/) const {
  r.begin(kOpcode);
  r.writeText(fileName.c_str(), kFileNameLength);
  r.write32(patternIndex).write32(xLocation).write32(yLocation);
  r.finish();
}

void FltTexture::parse(FltRecord& r, int /*version*/) {
  r.seekBody();
  char name[kFileNameLength + 1];
  r.readText(name, kFileNameLength);
  r.read32(patternIndex).read32(xLocation).read32(yLocation);
  setPath(name);
}
