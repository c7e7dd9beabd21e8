#pragma once
// The files Assimp's reader opens for a scene (the scene itself, its .mtl, .bin
// and other parts): no copy or extracted image may replace them.

#include <assimp/DefaultIOSystem.h>

#include <string>
#include <vector>

class RecordingIOSystem : public Assimp::DefaultIOSystem {
 public:
  Assimp::IOStream* Open(const char* file, const char* mode = "rb") override;
  const std::vector<std::string>& opened() const { return opened_; }

 private:
  std::vector<std::string> opened_;
};
