#pragma once
// One material of the material palette: the record written per material from
// revision 1500 on, and one slot of the material table below it.

#include <cstdint>

#include "flt/record_base.h"

class FltMaterial : public FltRecordBase {
 public:
  static constexpr uint16_t kOpcode = 113;
  static constexpr int kNameLength = 12;

  FltMaterial() = default;

  uint16_t opcode() const override { return kOpcode; }
  void serialise(FltRecord& record, int version) const override;
  void parse(FltRecord& record, int version) override;

  // Copies at most 12 bytes; the rest of the field is zero.
  void setName(const char* text);

  int32_t materialIndex = 0;
  char name[kNameLength + 1] = {};
  int32_t flags = 0;
  float ambient[3] = {0, 0, 0};
  float diffuse[3] = {0, 0, 0};
  float specular[3] = {0, 0, 0};
  float emissive[3] = {0, 0, 0};
  float shininess = 1.0f;
  float alpha = 1.0f;
};
