#pragma once
// The color palette: hue and saturation at full brightness, one slot per color.
// A color index is slot * 128 plus the brightness of the color as given (0..127).

#include <cstdint>
#include <string>
#include <vector>

#include "flt/packed_color.h"
#include "flt/record_base.h"

// Hexcone model; every component in 0..1.
void rgbToHsv(float r, float g, float b, float& h, float& s, float& v);
// Leaves r, g, b as they were when h lies outside 0..1.
void hsvToRgb(float h, float s, float v, float& r, float& g, float& b);

// A named color; only parsed palettes carry names, the export never makes any.
struct FltColorName {
  uint16_t colorIndex = 0;
  std::string name;
};

class FltColorPalette : public FltRecordBase {
 public:
  static constexpr uint16_t kOpcode = 32;
  static constexpr int kMaxSlots = 1024;

  FltColorPalette() { reset(); }

  uint16_t opcode() const override { return kOpcode; }
  void serialise(FltRecord& record, int version) const override;
  void parse(FltRecord& record, int version) override;

  // Finds or adds the color's full-intensity slot; a full palette gives the nearest.
  int32_t colorIndex(const FltPackedColor& c);
  int32_t indexOf(const FltPackedColor& c);
  static FltPackedColor fullIntensity(const FltPackedColor& c);

  // 1024 slots from revision 1510, 512 below.
  void setVersion(int version);
  // Empties the palette and its names and sets every slot back to FF FF FF FF, so
  // that one export's colors never leak into the unused slots of the next.
  void reset();

  int usedCount() const { return used_; }
  int capacity() const { return capacity_; }
  const FltPackedColor& slot(int i) const { return slots_[i]; }

  int colorNameCount() const { return static_cast<int>(names_.size()); }
  const FltColorName& colorName(int i) const { return names_[i]; }
  // The entry of that name (byte-wise match), or null.
  const FltColorName* findColorName(const char* name) const;

 private:
  int nearestSlot(const FltPackedColor& c, size_t position) const;
  void insertName(FltColorName entry);

  int used_ = 0;
  int capacity_ = kMaxSlots;
  FltPackedColor slots_[kMaxSlots];
  std::vector<uint32_t> order_;  // used slots, sorted by color
  std::vector<FltColorName> names_;
  std::vector<uint32_t> nameOrder_;  // positions in names_, sorted by name
};
