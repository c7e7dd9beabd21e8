#pragma once
// Places textures on texture pages as they arrive: each new texture goes to the
// first page that takes it, else to a new page. After every placement on a page
// that already existed, the whole layout is appended to the layout file (beside
// the output file, see layoutPathFor), which stays open until the layout is cleared.

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "flt/file_handle.h"
#include "flt/file_stage.h"
#include "flt/texture_page.h"

class FltTexture;

class TextureLayout {
 public:
  static constexpr int32_t kPageSize = 2048;

  TextureLayout() = default;
  ~TextureLayout() { clear(); }
  TextureLayout(const TextureLayout&) = delete;
  TextureLayout& operator=(const TextureLayout&) = delete;

  // Sets the texture's pattern index, x and y. The texture must outlive the layout
  // or the next clear().
  void place(FltTexture& t);
  // Deletes the pages, restores the page size and closes the layout file.
  void clear();
  // Where the dumps go from the next placement on; empty: nowhere. With a stage,
  // the file is one of the stage's, put in place with the export. Kept by clear().
  void setFilePath(std::string path, FileStage* stage = nullptr) {
    filePath_ = std::move(path);
    stage_ = stage;
  }
  const std::string& filePath() const { return filePath_; }

  size_t pageCount() const { return pages_.size(); }
  const FltTexturePage& page(size_t i) const { return *pages_[i]; }

  int32_t pageWidth = kPageSize;
  int32_t pageHeight = kPageSize;

 private:
  // Nothing is written when the file cannot be opened.
  void dump();

  std::vector<std::unique_ptr<FltTexturePage>> pages_;
  FileHandle layoutFile_;  // written directly, without a stage
  std::FILE* staged_ = nullptr;
  FileStage* stage_ = nullptr;
  std::string filePath_;
};

// "<dir>/<stem>.layout.txt" for the output file "<dir>/<stem>.flt": beside the
// output, so that it never lands on a user's file in whatever folder they stood
// in, and parallel exports into one folder keep apart.
std::string layoutPathFor(const std::string& outputPath);
