#include "flt/texture_page.h"

#include <algorithm>

#include "flt/texture.h"

bool FltTexturePage::tryTexture(FltTexture& t) {
  if (textures_.size() >= kMaxTextures) return false;
  if (textures_.empty()) {
    add(t);
    return true;
  }
  int32_t w0 = width, h0 = height;
  add(t);
  if ((width > maxWidth && width > w0) || (height > maxHeight && height > h0)) {
    textures_.pop_back();
    arrange();
    return false;
  }
  return true;
}

void FltTexturePage::add(FltTexture& t) {
  textures_.push_back(&t);
  t.patternIndex =
      pageNumber * static_cast<int32_t>(kMaxTextures) + static_cast<int32_t>(textures_.size() - 1);
  arrange();
}

void FltTexturePage::grow(const FltTextureColumn& c) {
  int32_t left = std::min(x, c.x), top = std::min(y, c.y);
  int32_t right = std::max(x + width, c.x + c.width);
  int32_t bottom = std::max(y + height, c.y + c.height);
  x = left;
  y = top;
  width = right - left;
  height = bottom - top;
}

void FltTexturePage::arrange() {
  work_ = textures_;
  std::sort(work_.begin(), work_.end(), [](const FltTexture* a, const FltTexture* b) {
    if (a->width() != b->width()) return a->width() < b->width();
    if (a->height() != b->height()) return a->height() < b->height();
    return a->patternIndex > b->patternIndex;
  });
  columns_.clear();
  x = y = width = height = 0;
  for (auto it = work_.rbegin(); it != work_.rend(); ++it) {
    bool placed = false;
    for (auto& c : columns_) {
      if (c->accept(**it)) {
        placed = true;
        break;
      }
    }
    if (!placed) {
      columns_.push_back(std::make_unique<FltTextureColumn>(maxHeight));
      static_cast<void>(columns_.back()->accept(**it));  // an empty column takes any
    }
  }
  for (size_t j = 0; j < columns_.size(); ++j) {
    FltTextureColumn& c = *columns_[j];
    c.x = 0;
    if (j % 2 == 0) {
      c.y = 0;
      c.verticalMode = FltTextureColumn::kStackUp;
      c.horizontalMode = FltTextureColumn::kAlignLeft;
    } else {
      c.y = maxHeight - c.height;
      c.verticalMode = FltTextureColumn::kStackDown;
      c.horizontalMode = FltTextureColumn::kAlignRight;
    }
    c.positionTextures();
    if (j > 0) {
      // Against every earlier column, not just the previous one: an even column
      // can reach back under the odd one before it to the even one before that.
      int32_t at = columns_[j - 1]->x;
      for (size_t k = 0; k < j; ++k) at = std::max(at, c.clearanceFrom(*columns_[k]));
      c.x = at;
      c.positionTextures();
    }
    grow(c);
  }
}
