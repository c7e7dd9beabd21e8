#pragma once
// One texture palette entry: the image's path, its pattern index and place on a
// texture page, and the values of its attribute file.

#include <cstdint>
#include <string>

#include "flt/record_base.h"
#include "flt/texture_attr.h"

// What closing the file does with the attribute file beside the entry's image.
enum class AttributeFilePolicy {
  kReplace,     // write it, replacing whatever lies there (an image this export placed)
  kKeepOthers,  // write it, but keep an existing file that holds anything else
  kNone,        // write none: the image lies outside the output folder or is no image
};

class FltTexture : public FltRecordBase {
 public:
  static constexpr uint16_t kOpcode = 64;
  static constexpr int kFileNameLength = 200;

  uint16_t opcode() const override { return kOpcode; }
  void serialise(FltRecord& record, int version) const override;
  void parse(FltRecord& record, int version) override;

  // Full path = path; file name = the part behind the last '/' or '\\', at most
  // 200 bytes. The full path is kept whole: a cut one would merge textures that
  // differ only past the cut and put their attribute files elsewhere.
  void setPath(const char* path);
  // The name the entry is known by: the full path when set, else the file name.
  const std::string& key() const { return fullPath.empty() ? fileName : fullPath; }
  int32_t width() const { return attributes.texelsU; }
  int32_t height() const { return attributes.texelsV; }

  std::string fileName;
  int32_t patternIndex = -1;  // -1 until placed on a page
  int32_t xLocation = 0;
  int32_t yLocation = 0;
  FltTextureAttr attributes;
  std::string fullPath;
  // Not part of the record: set by whoever adds the entry.
  AttributeFilePolicy attributeFile = AttributeFilePolicy::kReplace;
};
