#include "flt/color_palette.h"

#include <cassert>
#include <climits>
#include <cmath>
#include <cstdlib>
#include <cstring>

#include "flt/record.h"
#include "flt/revision.h"
#include "flt/sorted_search.h"

namespace {

constexpr int kReservedBytes = 128;

int distance(const FltPackedColor& a, const FltPackedColor& b) {
  int da = a.alpha - b.alpha, db = a.blue - b.blue, dg = a.green - b.green, dr = a.red - b.red;
  return da * da + db * db + dg * dg + dr * dr;
}

}  // namespace

void rgbToHsv(float r, float g, float b, float& h, float& s, float& v) {
  float max = r > g ? r : g;
  if (b > max) max = b;
  float min = r < g ? r : g;
  if (b < min) min = b;
  float d = max - min;
  v = max;
  s = max != 0.0f ? d / max : 0.0f;
  if (s == 0.0f) {
    h = 0.0f;
    return;
  }
  float rc = (max - r) / d, gc = (max - g) / d, bc = (max - b) / d;
  if (max == r)
    h = min == g ? 5.0f + bc : 1.0f - gc;
  else if (max == g)
    h = min == b ? 1.0f + rc : 3.0f - bc;
  else
    h = min == r ? 3.0f + gc : 5.0f - rc;
  h = static_cast<float>(h * 0.16666666666666666);
}

void hsvToRgb(float h, float s, float v, float& r, float& g, float& b) {
  double h6 = h * 6.0;
  if (h6 == 6.0) h6 = 0.0;
  double i = std::floor(h6);
  float f = static_cast<float>(h6 - i);
  float p = v * (1.0f - s);
  float q = v * (1.0f - s * f);
  float t = v * (1.0f - s * (1.0f - f));
  switch (static_cast<int>(i)) {
    case 0:
      r = v, g = t, b = p;
      break;
    case 1:
      r = q, g = v, b = p;
      break;
    case 2:
      r = p, g = v, b = t;
      break;
    case 3:
      r = p, g = q, b = v;
      break;
    case 4:
      r = t, g = p, b = v;
      break;
    case 5:
      r = v, g = p, b = q;
      break;
    default:
      break;
  }
}

void FltColorPalette::reset() {
  used_ = 0;
  order_.clear();
  names_.clear();
  nameOrder_.clear();
  for (FltPackedColor& c : slots_) c.setAll255();
}

void FltColorPalette::setVersion(int version) {
  capacity_ = hasWideColors(version) ? kMaxSlots : kMaxSlots / 2;
  assert(used_ <= capacity_ && "the revision changed after colors were handed out");
}

FltPackedColor FltColorPalette::fullIntensity(const FltPackedColor& c) {
  FltPackedColor even = c;
  even.red &= 0xFE;
  even.green &= 0xFE;
  even.blue &= 0xFE;
  float r, g, b, h, s, v;
  even.toFloats(r, g, b);
  rgbToHsv(r, g, b, h, s, v);
  hsvToRgb(h, s, 1.0f, r, g, b);
  return FltPackedColor::fromFloats(r, g, b);
}

int32_t FltColorPalette::colorIndex(const FltPackedColor& c) {
  float r, g, b, h, s, v;
  c.toFloats(r, g, b);
  rgbToHsv(r, g, b, h, s, v);
  int32_t slot = indexOf(fullIntensity(c));
  return slot * 128 - static_cast<int32_t>(v * -127.0);
}

int32_t FltColorPalette::indexOf(const FltPackedColor& c) {
  FltSearchResult at =
      sortedSearch(order_.size(), [&](size_t i) { return slots_[order_[i]].compare(c); });
  if (at.found) return static_cast<int32_t>(order_[at.position]);
  if (used_ < capacity_) {
    int slot = used_++;
    slots_[slot] = c;
    order_.insert(order_.begin() + at.position, static_cast<uint32_t>(slot));
    return slot;
  }
  return nearestSlot(c, at.position);
}

// Walks outward from the insertion position in color order and stops once the red
// difference alone exceeds that of the best match: cheap, not an exhaustive search.
int FltColorPalette::nearestSlot(const FltPackedColor& c, size_t position) const {
  int best = INT_MAX;
  int bestSlot = order_.empty() ? 0 : static_cast<int>(order_[0]);
  int redBound = 0;
  auto visit = [&](size_t pos) {
    int s = static_cast<int>(order_[pos]);
    int red = std::abs(slots_[s].red - c.red);
    int d = distance(slots_[s], c);
    if (d < best) {
      best = d;
      bestSlot = s;
      redBound = red;
    }
    return red > redBound;
  };
  for (size_t pos = position; pos < order_.size(); ++pos)
    if (visit(pos)) break;
  for (size_t pos = position; pos-- > 0;)
    if (visit(pos)) break;
  return bestSlot;
}

void FltColorPalette::serialise(FltRecord& r, int version) const {
  r.begin(kOpcode);
  r.skip(kReservedBytes);
  for (int i = 0; i < capacity_; ++i) slots_[i].serialise(r);
  if (hasColorNames(version)) {
    r.write32(static_cast<int32_t>(names_.size()));
    for (const FltColorName& entry : names_) {
      int length = 8 + static_cast<int>(entry.name.size()) + 1;
      r.write16(static_cast<uint16_t>(length)).write16(0);
      r.write16(entry.colorIndex).write16(0);
      r.writeBytes(entry.name.c_str(), static_cast<int>(entry.name.size()) + 1);
    }
  }
  r.finish();
}

void FltColorPalette::parse(FltRecord& r, int version) {
  reset();
  r.seekBody();
  r.skip(kReservedBytes);
  setVersion(version);
  for (int i = 0; i < capacity_; ++i) slots_[i].parse(r);
  int32_t count = 0;
  r.read32(count);
  // A damaged count must not run past the record.
  for (int32_t n = 0; n < count && r.cursor() + 8 <= r.length(); ++n) {
    uint16_t length = 0;
    FltColorName entry;
    r.read16(length).skip(2);
    r.read16(entry.colorIndex).skip(2);
    if (length < 8) break;
    std::vector<char> text(length - 8 + 1, '\0');
    r.readBytes(text.data(), length - 8);
    entry.name = text.data();
    insertName(std::move(entry));
  }
  used_ = capacity_;
  for (int i = 0; i < capacity_; ++i) {
    FltSearchResult at =
        sortedSearch(order_.size(), [&](size_t k) { return slots_[order_[k]].compare(slots_[i]); });
    order_.insert(order_.begin() + at.position, static_cast<uint32_t>(i));
  }
}

void FltColorPalette::insertName(FltColorName entry) {
  const char* key = entry.name.c_str();
  FltSearchResult at = sortedSearch(nameOrder_.size(), [&](size_t k) {
    return std::strcmp(names_[nameOrder_[k]].name.c_str(), key);
  });
  names_.push_back(std::move(entry));
  nameOrder_.insert(nameOrder_.begin() + at.position, static_cast<uint32_t>(names_.size() - 1));
}

const FltColorName* FltColorPalette::findColorName(const char* name) const {
  if (!name) return nullptr;
  FltSearchResult at = sortedSearch(nameOrder_.size(), [&](size_t k) {
    return std::strcmp(names_[nameOrder_[k]].name.c_str(), name);
  });
  return at.found ? &names_[nameOrder_[at.position]] : nullptr;
}
