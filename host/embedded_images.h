#pragma once
// Images stored inside a scene file. A texture map needs a file to name, so each
// embedded image that a material uses gets a name beside the output file, once;
// its bytes wait in the scene's PendingImages until the export starts.

#include <filesystem>
#include <map>
#include <set>
#include <string>
#include <vector>

class PendingImages;
struct aiScene;
struct aiTexture;

class EmbeddedImages {
 public:
  // `folder`: where the images go; `sceneStem`: the scene file's name without
  // extension, for images that have no name of their own. Problems writing an
  // image are appended to `warnings`.
  EmbeddedImages(const aiScene& scene, std::filesystem::path folder, std::string sceneStem,
                 PendingImages& pending, std::vector<std::string>& warnings);

  // The file that embedded texture `index` will be written to, chosen the first
  // time it is asked for; empty when the scene has no such texture. A name taken
  // by a file that may not be replaced gets a number ("wood_1.png").
  std::string fileFor(int index);

 private:
  // Its own name without folders (plus an extension from the format when it has
  // none), or "<stem>_tex<index>.<ext>". Uncompressed texels are written as TGA.
  static std::string fileNameFor(const aiTexture& texture, int index, const std::string& stem);

  const aiScene& scene_;
  std::filesystem::path folder_;
  std::string stem_;
  PendingImages& pending_;
  std::vector<std::string>& warnings_;
  std::map<int, std::string> written_;
  std::set<std::string> usedNames_;
};
