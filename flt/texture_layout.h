#pragma once
// Places textures on texture pages as they arrive: each new texture goes to the
// first page that takes it, else to a new page. After every placement on a page
// that already existed, the whole layout is appended to "layout.txt" in the
// working directory, which stays open until the layout is cleared.

#include <cstdint>
#include <memory>
#include <vector>

#include "flt/file_handle.h"
#include "flt/texture_page.h"

class FltTexture;

class TextureLayout {
 public:
  static constexpr int32_t kPageSize = 2048;
  static constexpr const char* kLayoutFileName = "layout.txt";

  TextureLayout() = default;
  ~TextureLayout() { clear(); }
  TextureLayout(const TextureLayout&) = delete;
  TextureLayout& operator=(const TextureLayout&) = delete;

  // Sets the texture's pattern index, x and y. The texture must outlive the layout
  // or the next clear().
  void place(FltTexture& t);
  // Deletes the pages, restores the page size and closes "layout.txt".
  void clear();

  size_t pageCount() const { return pages_.size(); }
  const FltTexturePage& page(size_t i) const { return *pages_[i]; }

  int32_t pageWidth = kPageSize;
  int32_t pageHeight = kPageSize;

 private:
  // Nothing is written when the file cannot be opened.
  void dump();

  std::vector<std::unique_ptr<FltTexturePage>> pages_;
  FileHandle layoutFile_;
};
