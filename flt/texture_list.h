#pragma once
// The texture palette: one entry per distinct texture key, in order of adding.
// New entries are placed on texture pages, which gives them their pattern index;
// at close each entry is written as a texture palette record and its attribute
// file is written beside the image.

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include "flt/file_stage.h"
#include "flt/search_directories.h"
#include "flt/texture.h"
#include "flt/texture_layout.h"
#include "flt/warning_sink.h"

class FltOutputFile;

class FltTextureList {
 public:
  // Faces keep pattern indexes in a signed 16-bit field.
  static constexpr int32_t kMaxPatternIndex = 32767;

  FltTextureList() { clear(); }
  FltTextureList(const FltTextureList&) = delete;
  FltTextureList& operator=(const FltTextureList&) = delete;

  // The pattern index of the entry whose key is `path`, -1 when there is none.
  int32_t findTexture(const std::string& path) const;
  // The pattern index of the entry with t's key, or of the copy added now. A copy
  // whose pattern index is -1 is placed on a texture page first.
  [[nodiscard]] int32_t addTexture(const FltTexture& t);

  int entryCount() const { return static_cast<int>(entries_.size()); }
  const FltTexture& entry(int i) const { return *entries_[i]; }
  FltTexture& entry(int i) { return *entries_[i]; }

  // Deletes entries and pages, closes the layout file and reads the search
  // directories from the environment again.
  void clear();

  // The texture palette records, in order of adding. Fails the file when a pattern
  // index is past what a face can hold. 1 when written.
  [[nodiscard]] int write(FltOutputFile& file) const;
  // Writes each entry's key + ".attr" into `stage`. A file that cannot be written
  // does not stop the others; the reason goes to `warn`. The count of files written
  // (or already holding exactly these bytes).
  [[nodiscard]] int writeAttributeFiles(FileStage& stage, const WarningSink& warn) const;

  TextureLayout& layout() { return layout_; }
  const TextureLayout& layout() const { return layout_; }
  SearchDirectories& searchDirectories() { return directories_; }
  const SearchDirectories& searchDirectories() const { return directories_; }

 private:
  std::vector<std::unique_ptr<FltTexture>> entries_;
  std::unordered_map<std::string, size_t> byKey_;
  // Entries in pattern index order, kept in step though nothing looks one up yet.
  std::multimap<int32_t, size_t> byPattern_;
  TextureLayout layout_;
  SearchDirectories directories_;
};
