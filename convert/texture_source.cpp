#include "convert/texture_source.h"

#include <filesystem>
#include <system_error>

#include "convert/export_context.h"
#include "flt/output_file.h"
#include "flt/texture.h"
#include "flt/texture_list.h"
#include "plugin/bitmap.h"
#include "plugin/texture_map.h"

namespace {

bool sameFile(const std::string& a, const std::string& b) {
  if (a == b) return true;
  std::error_code ec;
  return std::filesystem::equivalent(a, b, ec) && !ec;
}

// Whether the bitmap manager reads `path` as an image of some size.
bool readsAsImage(const std::string& path) {
  if (!TheManager) return false;
  BitmapInfo info(path.c_str());
  Bitmap* bitmap = TheManager->Load(&info);
  if (!bitmap) return false;
  const bool image = bitmap->Width() > 0 && bitmap->Height() > 0;
  bitmap->DeleteThis();
  return image;
}

bool inFolder(const std::string& path, const std::string& folder) {
  std::filesystem::path parent = std::filesystem::path(path).parent_path();
  if (parent.empty()) parent = ".";
  std::error_code ec;
  return std::filesystem::equivalent(parent, folder, ec) && !ec;
}

}  // namespace

void TextureSource::prepare(const std::string& outputPath, const ExportContext& context) {
  std::error_code ec;
  std::string current = std::filesystem::current_path(ec).string();
  paths_.setUp(current, outputPath);
  context_ = &context;
  file_ = &context.file();
  byMap_.clear();
  builtFrom_.clear();
}

int TextureSource::textureIndexOf(TextureMap* map) {
  if (!map || map->classId() != kBitmapTextureClassId || !file_) return -1;
  auto memo = byMap_.find(map);
  if (memo != byMap_.end()) return memo->second;
  // A map that names no file would make an entry without a path.
  const char* name = map->mapName();
  if (!name || !*name || !map->bitmap(0)) return -1;

  std::string key = map->mapName();
  paths_.resolveTexturePath(key);
  if (paths_.copyApplies()) key = copyName(key, map->mapName());
  int index = file_->textures().findTexture(key);
  if (index == -1) index = addEntry(map, key);
  byMap_.emplace(map, index);
  return index;
}

// Two images of one file name copied beside the output get names of their own:
// "wood.png", then "wood_1.png", and the palette names them so.
std::string TextureSource::copyName(const std::string& key, const std::string& source) const {
  const size_t slash = key.rfind('/');
  const size_t dot = key.rfind('.');
  const size_t stemEnd = dot != std::string::npos && (slash == std::string::npos || dot > slash + 1)
                             ? dot
                             : key.size();
  std::string name = key;
  for (int n = 1;; ++n) {
    auto built = builtFrom_.find(name);
    if (built == builtFrom_.end() || sameFile(built->second, source)) return name;
    name = key.substr(0, stemEnd) + "_" + std::to_string(n) + key.substr(stemEnd);
  }
}

int TextureSource::addEntry(TextureMap* map, const std::string& key) {
  FltTexture entry;
  std::string source;
  bool missing = false;
  fillEntry(map, entry, source, missing);
  if (paths_.copyApplies()) entry.setPath(key.c_str());
  entry.attributeFile = placeImage(source, entry.key(), missing);
  int index = file_->textures().addTexture(entry);
  builtFrom_.emplace(key, map->mapName());
  return index;
}

// Images come from scene files, which may name any file: only what reads as an
// image is copied, never over a file that does not, and an attribute file goes
// only beside an image in the output folder.
AttributeFilePolicy TextureSource::placeImage(const std::string& source, const std::string& target,
                                              bool missing) {
  if (missing) return AttributeFilePolicy::kNone;  // reported already, and copied nowhere
  if (!paths_.copyApplies())
    return inFolder(target, paths_.outputDirectory()) ? AttributeFilePolicy::kKeepOthers
                                                      : AttributeFilePolicy::kNone;
  if (sameFile(source, target)) return AttributeFilePolicy::kKeepOthers;
  for (const std::string& kept : kept_) {
    if (!sameFile(kept, target)) continue;
    context_->warn("kept " + target + ": the scene is read from it, so texture " + source +
                   " was not copied over it");
    return AttributeFilePolicy::kNone;
  }
  std::error_code ec;
  if (std::filesystem::exists(target, ec) && !readsAsImage(target)) {
    context_->warn("kept " + target + ": it is no image, so texture " + source +
                   " was not copied over it");
    return AttributeFilePolicy::kNone;
  }
  return paths_.copyTexture(source, target, file_->stage(), context_->warningSink())
             ? AttributeFilePolicy::kReplace
             : AttributeFilePolicy::kNone;
}

void TextureSource::fillEntry(TextureMap* map, FltTexture& entry, std::string& source,
                              bool& missing) {
  Bitmap* bitmap = map->bitmap(0);
  source = map->mapName();
  if (TheManager) {
    BitmapInfo info(source.c_str());
    if (Bitmap* loaded = TheManager->Load(&info)) {
      source = info.Name();
      loaded->DeleteThis();
    }
  }
  std::string path = source;
  paths_.resolveTexturePath(path);
  entry.setPath(path.c_str());

  FltTextureAttr& a = entry.attributes;
  a.texelsU = bitmap && bitmap->Width() > 0 ? bitmap->Width() : 0;
  a.texelsV = bitmap && bitmap->Height() > 0 ? bitmap->Height() : 0;
  a.fileFormat = -1;
  a.minFilter = 1;
  a.magFilter = 1;
  uint32_t tiling = map->textureTiling();
  a.repetitionU = (tiling & TextureMap::kTileU) ? 0 : 1;
  a.repetitionV = (tiling & TextureMap::kTileV) ? 0 : 1;
  a.repetitionType = (tiling & (TextureMap::kTileU | TextureMap::kTileV)) ? 0 : 1;
  a.environmentType = 0;
  a.intensityPattern = 0;
  a.realWorldSizeU = 10.0;
  a.realWorldSizeV = 10.0;

  missing = a.texelsU == 0 || a.texelsV == 0;
  if (missing)
    context_->warn("texture image " + source +
                   " is missing or unreadable; its texture entry has size 0 x 0");
}
