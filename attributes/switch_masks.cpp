#include "attributes/switch_masks.h"

#include <algorithm>
#include <string>
#include <string_view>

#include "attributes/apply_attributes.h"
#include "attributes/hex_text.h"
#include "flt/switch.h"
#include "plugin/scene_node.h"

namespace {

size_t maskWordCount(int count, int32_t wordsPerMask) {
  if (count <= 0 || wordsPerMask <= 0) return 0;
  size_t perMask = static_cast<size_t>(wordsPerMask);
  size_t masks = std::min(static_cast<size_t>(count), kMaxSwitchMaskWords / perMask);
  return masks * perMask;
}

}  // namespace

int readSwitchMasks(const SceneNode& node, FltSwitch& record) {
  if (!applyAttributes(&node, &record)) return 0;
  int count = 0;
  if (!node.userPropertyInt("FltSwitchMaskCount", count)) return 1;
  size_t words = maskWordCount(count, record.wordsPerMask);
  record.maskWords.assign(words, 0);

  std::string data;
  if (!node.userPropertyString("FltSwitchMaskData", data)) return 1;
  size_t bytes = std::min(words * 4, data.size() / 2);
  std::string_view text(data);
  for (size_t i = 0; i < bytes; ++i) {
    size_t pos = 0;
    uint32_t byte = 0;
    if (!readHexField(text.substr(2 * i, 2), pos, 2, &byte)) byte = 0;
    record.maskWords[i / 4] |= byte << (8 * (i % 4));
  }
  return 1;
}
