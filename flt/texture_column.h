#pragma once
// One column of a texture page: textures stacked one above the other, either
// upward from the column's foot and aligned left, or downward from its top and
// aligned right, so that neighbouring columns can interlock.

#include <cstddef>
#include <cstdint>
#include <vector>

class FltTexture;

class FltTextureColumn {
 public:
  enum VerticalMode : int32_t { kStackUp = 0, kStackDown = 1 };
  enum HorizontalMode : int32_t { kAlignLeft = 0, kAlignRight = 1 };
  static constexpr size_t kMaxTextures = 256;

  explicit FltTextureColumn(int32_t maxHeight) : maxHeight(maxHeight) {}

  // Refuses when full, or when a non-empty column would grow past its maximum
  // height; an empty column takes any texture.
  [[nodiscard]] bool accept(FltTexture& t);
  // Sets every texture's x and y from the column's place and modes.
  void positionTextures();
  // The least x at which none of the column's textures, at their present heights,
  // overlaps a texture of `other`; INT32_MIN when no two share a height.
  int32_t clearanceFrom(const FltTextureColumn& other) const;

  int32_t maxHeight;
  int32_t verticalMode = kStackUp;
  int32_t horizontalMode = kAlignLeft;
  int32_t x = 0;
  int32_t y = 0;
  int32_t width = 0;
  int32_t height = 0;
  std::vector<FltTexture*> textures;
};
