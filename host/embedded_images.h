#pragma once
// Images stored inside a scene file. A texture map needs a file to name, so each
// embedded image that a material uses is written beside the output file, once.

#include <filesystem>
#include <map>
#include <set>
#include <string>
#include <vector>

struct aiScene;
struct aiTexture;

class EmbeddedImages {
 public:
  // `folder`: where the images go; `sceneStem`: the scene file's name without
  // extension, for images that have no name of their own. Problems writing an
  // image are appended to `warnings`.
  EmbeddedImages(const aiScene& scene, std::filesystem::path folder, std::string sceneStem,
                 std::vector<std::string>& warnings);

  // The file that embedded texture `index` is written to, written the first time it
  // is asked for; empty when the scene has no such texture. The name stands even
  // when writing failed: the map then names a missing image, as for any other.
  std::string fileFor(int index);

 private:
  // Its own name without folders (plus an extension from the format when it has
  // none), or "<stem>_tex<index>.<ext>". Uncompressed texels are written as TGA.
  static std::string fileNameFor(const aiTexture& texture, int index, const std::string& stem);

  const aiScene& scene_;
  std::filesystem::path folder_;
  std::string stem_;
  std::vector<std::string>& warnings_;
  std::map<int, std::string> written_;
  std::set<std::string> usedNames_;
};
