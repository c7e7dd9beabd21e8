#pragma once
// A texture page of at most 256 textures. A texture's pattern index is the page
// number * 256 plus its arrival position on the page; its x and y are where the
// page's column arrangement puts it, and change whenever the page is arranged.

#include <cstdint>
#include <memory>
#include <vector>

#include "flt/texture_column.h"

class FltTexture;

class FltTexturePage {
 public:
  static constexpr size_t kMaxTextures = 256;

  FltTexturePage(int32_t pageNumber, int32_t maxWidth, int32_t maxHeight)
      : maxWidth(maxWidth), maxHeight(maxHeight), pageNumber(pageNumber) {}

  // Adds the texture unless the page is full or the texture would push the page
  // past its maximum size (a page that is already past it may grow no further).
  [[nodiscard]] bool tryTexture(FltTexture& t);
  // Appends the texture, gives it its pattern index and arranges the page.
  void add(FltTexture& t);
  // Rebuilds the columns: widest textures first, each into the first column with
  // room; even columns stand on the foot of the page, odd ones hang from its top,
  // and each column moves right only as far as keeps its textures clear of those
  // of the columns before it.
  void arrange();

  const std::vector<FltTexture*>& textures() const { return textures_; }
  size_t columnCount() const { return columns_.size(); }
  const FltTextureColumn& column(size_t i) const { return *columns_[i]; }

  // The union of the columns' rectangles and of the point 0, 0.
  int32_t x = 0;
  int32_t y = 0;
  int32_t width = 0;
  int32_t height = 0;
  int32_t maxWidth;
  int32_t maxHeight;
  int32_t pageNumber;

 private:
  void grow(const FltTextureColumn& c);

  std::vector<FltTexture*> textures_;
  std::vector<FltTexture*> work_;
  std::vector<std::unique_ptr<FltTextureColumn>> columns_;
};
