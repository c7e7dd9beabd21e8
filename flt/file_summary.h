#pragma once
// What a file holds at a glance: its revision, how many records of each kind, the
// palettes' sizes, the vertex kinds, the bounding box of the vertices and the
// findings of the file check.

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "flt/file_check.h"

class FltFileReader;

struct FltTextureSummary {
  int32_t pattern = -1;
  std::string file;
  // From the attribute file beside the image; 0 when there is none to read.
  int32_t width = 0;
  int32_t height = 0;
};

struct FltSummary {
  int revision = 0;  // 0 without a header
  int64_t records = 0;
  // Records by opcode, in the order the kinds first appear.
  std::vector<std::pair<uint16_t, int64_t>> kinds;
  int colorSlots = 0;  // the palette's size, 0 without one
  int colorsUsed = 0;  // distinct palette slots that faces and vertices name
  int materials = 0;
  std::vector<FltTextureSummary> textures;
  int64_t vertices = 0;
  bool hasBounds = false;
  double min[3] = {0, 0, 0};
  double max[3] = {0, 0, 0};
  std::vector<FltFault> faults;

  int64_t count(uint16_t opcode) const;
};

// Reads the open, unread reader to its end, then checks the file by its path.
// Texture attribute files are looked for beside the images, relative names from the
// file's own folder.
FltSummary summariseFltFile(FltFileReader& reader);
// The summary as lines of text; faults as formatFault gives them for the path.
std::string formatSummary(const FltSummary& summary, const std::string& path);
