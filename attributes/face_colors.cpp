#include "attributes/face_colors.h"

#include <string>

#include "attributes/apply_attributes.h"
#include "attributes/hex_text.h"
#include "attributes/outside_key.h"
#include "flt/color_palette.h"
#include "flt/face.h"
#include "plugin/scene_node.h"

namespace {

// "%02x%02x%02x%02x" into red, green, blue, alpha; reading stops at the first field
// without a digit.
bool readColorProperty(const SceneNode& node, const char* key, FltPackedColor* color) {
  std::string text;
  if (!node.userPropertyString(key, text)) return false;
  uint32_t components[4] = {0, 0, 0, 0};
  size_t pos = 0;
  for (uint32_t& component : components)
    if (!readHexField(text, pos, 2, &component)) break;
  *color = FltPackedColor::fromBytes(
      static_cast<uint8_t>(components[0]), static_cast<uint8_t>(components[1]),
      static_cast<uint8_t>(components[2]), static_cast<uint8_t>(components[3]));
  return true;
}

}  // namespace

int readFaceColors(const SceneNode& node, FltFace& face, FltColorPalette& palette) {
  int result = applyAttributes(&node, &face);
  FltPackedColor color;
  if (readColorProperty(node, "FltFaceColor", &color)) {
    face.primaryColor = color;
    face.primaryColorIndex = palette.colorIndex(color);
    face.flags &= ~FltFace::kFlagNoColor;
    result = 1;
  }
  if (readColorProperty(node, "FltAltColor", &color)) {
    face.alternateColor = color;
    face.alternateColorIndex = palette.colorIndex(color);
    face.flags &= ~FltFace::kFlagNoAltColor;
    result = 1;
  }
  return result;
}

const OutsideKey kFaceColorKeys[2] = {
    {"FltFaceColor", "Face", OutsideKeyValue::kHexColor, "RRGGBBAA as hex digits (FF8000FF)",
     "primary color and its palette index; clears the no-color flag",
     "the node's wire colour, with no material of the face's own"},
    {"FltAltColor", "Face", OutsideKeyValue::kHexColor, "RRGGBBAA as hex digits (FF8000FF)",
     "alternate color and its palette index; clears the no-alternate-color flag",
     "no alternate color"},
};
