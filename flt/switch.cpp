#include "flt/switch.h"

#include <algorithm>
#include <limits>

#include "flt/record.h"

int32_t FltSwitch::maskCount() const {
  if (wordsPerMask <= 0) return 0;
  size_t masks = maskWords.size() / static_cast<size_t>(wordsPerMask);
  return static_cast<int32_t>(
      std::min(masks, static_cast<size_t>(std::numeric_limits<int32_t>::max())));
}

void FltSwitch::serialise(FltRecord& r, int /*version*/) const {
  r.begin(kOpcode);
  r.writeText(id, kIdLength);
  r.skip(4);
  r.write32(currentMask).write32(maskCount()).write32(wordsPerMask);
  for (uint32_t word : maskWords) {
    if (r.overflowed()) break;  // the record is refused anyway; don't walk a huge array
    r.write32(word);
  }
  r.finish();
}

void FltSwitch::parse(FltRecord& r, int /*version*/) {
  r.seekBody();
  r.readText(id, kIdLength);
  r.skip(4);
  int32_t masks = 0;
  r.read32(currentMask).read32(masks).read32(wordsPerMask);
  int64_t wanted = masks > 0 && wordsPerMask > 0 ? int64_t{masks} * wordsPerMask : 0;
  int64_t held = std::max(0, r.length() - r.cursor()) / 4;
  maskWords.assign(static_cast<size_t>(std::min(wanted, held)), 0);
  for (uint32_t& word : maskWords) r.read32(word);
}
