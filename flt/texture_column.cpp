#include "flt/texture_column.h"

#include <algorithm>
#include <limits>

#include "flt/texture.h"

bool FltTextureColumn::accept(FltTexture& t) {
  if (textures.size() >= kMaxTextures) return false;
  if (!textures.empty() && height + t.height() > maxHeight) return false;
  height += t.height();
  width = std::max(width, t.width());
  textures.push_back(&t);
  return true;
}

void FltTextureColumn::positionTextures() {
  int32_t at = verticalMode == kStackUp ? y : y + height;
  for (FltTexture* t : textures) {
    if (verticalMode == kStackUp) {
      t->yLocation = at;
      at += t->height();
    } else {
      at -= t->height();
      t->yLocation = at;
    }
    t->xLocation = horizontalMode == kAlignLeft ? x : x + width - t->width();
  }
}

int32_t FltTextureColumn::clearanceFrom(const FltTextureColumn& other) const {
  int32_t least = std::numeric_limits<int32_t>::min();
  for (const FltTexture* t : textures) {
    // The texture's left edge lies `inset` right of the column's.
    int32_t inset = horizontalMode == kAlignRight ? width - t->width() : 0;
    for (const FltTexture* o : other.textures) {
      int32_t overlap = std::min(t->yLocation + t->height(), o->yLocation + o->height()) -
                        std::max(t->yLocation, o->yLocation);
      if (overlap > 0) least = std::max(least, o->xLocation + o->width() - inset);
    }
  }
  return least;
}
