#include "host/reader_files.h"

#include <algorithm>

Assimp::IOStream* RecordingIOSystem::Open(const char* file, const char* mode) {
  Assimp::IOStream* stream = DefaultIOSystem::Open(file, mode);
  if (stream && file && std::find(opened_.begin(), opened_.end(), file) == opened_.end())
    opened_.emplace_back(file);
  return stream;
}
