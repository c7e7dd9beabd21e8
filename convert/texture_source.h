#pragma once
// Host bitmap textures as entries of the file's texture palette, with the image
// files referenced from, and optionally copied beside, the output file.

#include <string>
#include <unordered_map>
#include <vector>

#include "flt/texture.h"
#include "textures/texture_path.h"

class ExportContext;
class FltOutputFile;
class TextureMap;

class TextureSource {
 public:
  void setCopyTextures(bool on) { paths_.setCopyTextures(on); }
  bool copyTextures() const { return paths_.copyTextures(); }
  // Files no copy may replace (the scene's own).
  void setKeptFiles(std::vector<std::string> files) { kept_ = std::move(files); }

  // Starts an export to `outputPath` from the process's working directory.
  void prepare(const std::string& outputPath, const ExportContext& context);
  // The texture pattern index of the map's image, added (and its image copied) on
  // first use; -1 when the map is not a bitmap texture, names no file or has no bitmap.
  int textureIndexOf(TextureMap* map);
  // In place, as the database will refer to the image.
  void resolveTexturePath(std::string& path) const { paths_.resolveTexturePath(path); }
  const TexturePathContext& paths() const { return paths_; }

 private:
  int addEntry(TextureMap* map, const std::string& key);
  std::string copyName(const std::string& key, const std::string& source) const;
  AttributeFilePolicy placeImage(const std::string& source, const std::string& target,
                                 bool missing);
  void fillEntry(TextureMap* map, FltTexture& entry, std::string& source, bool& missing);

  TexturePathContext paths_;
  FltOutputFile* file_ = nullptr;
  // Every face asks again; a map seen before is answered without a lookup.
  std::unordered_map<const TextureMap*, int> byMap_;
  // Which map name each key was built from, to give two images that would be
  // copied to one place names of their own.
  std::unordered_map<std::string, std::string> builtFrom_;
  const ExportContext* context_ = nullptr;
  std::vector<std::string> kept_;
};
