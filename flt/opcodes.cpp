#include "flt/opcodes.h"

#include <algorithm>
#include <cctype>
#include <cstring>
#include <vector>

#include "flt/sorted_search.h"

namespace {

const FltOpcodeEntry kOpcodeTable[] = {
    {0, 0, "FLT_END_OF_FILE"},
    {1, 1, "FLT_HEADER"},
    {2, 2, "FLT_GROUP"},
    {2, 4, "FLT_OBJECT"},
    {2, 5, "FLT_FACE"},
    {0, 10, "FLT_PUSH_LEVEL"},
    {0, 11, "FLT_POP_LEVEL"},
    {2, 14, "FLT_DOF"},
    {0, 19, "FLT_PUSH_SUBFACE"},
    {0, 20, "FLT_POP_SUBFACE"},
    {0, 21, "FLT_PUSH_EXTENSION"},
    {0, 22, "FLT_POP_EXTENSION"},
    {3, 31, "FLT_COMMENT"},
    {1, 32, "FLT_COLOR_PALETTE"},
    {3, 33, "FLT_LONG_ID"},
    {3, 49, "FLT_MATRIX"},
    {3, 50, "FLT_VECTOR"},
    {2, 55, "FLT_BSP"},
    {3, 60, "FLT_REPLICATE"},
    {0, 61, "FLT_INSTANCE_REF"},
    {0, 62, "FLT_INSTANCE_DEF"},
    {2, 63, "FLT_EXTERNAL_REF"},
    {1, 64, "FLT_TEXTURE"},
    {1, 66, "FLT_MATERIAL_TABLE"},
    {1, 67, "FLT_VERTEX_PALETTE"},
    {1, 68, "FLT_VERTEX_W_COLOR"},
    {1, 69, "FLT_VERTEX_W_NORMAL"},
    {1, 71, "FLT_VERTEX_W_TEXTURE"},
    {1, 70, "FLT_VERTEX_W_TEXTURE_AND_NORMAL"},
    {2, 72, "FLT_VERTEX_LIST"},
    {2, 73, "FLT_LOD"},
    {3, 74, "FLT_BOUNDING_BOX"},
    {3, 76, "FLT_ROTATE_ABOUT_EDGE"},
    {3, 78, "FLT_TRANSLATE"},
    {3, 79, "FLT_SCALE"},
    {3, 80, "FLT_ROTATE_ABOUT_POINT"},
    {3, 81, "FLT_ROTATE_SCALE_ABOUT_POINT"},
    {3, 82, "FLT_PUT"},
    {1, 83, "FLT_TRACKPLANE_PALETTE"},
    {3, 87, "FLT_ROAD_SEGMENT"},
    {3, 88, "FLT_ROAD_ZONE"},
    {2, 89, "FLT_MORPH_VERTEX_LIST"},
    {1, 90, "FLT_LINKAGE_PALETTE"},
    {3, 91, "FLT_SOUND"},
    {2, 92, "FLT_ROAD_PATH"},
    {1, 93, "FLT_SOUND_PALETTE"},
    {3, 94, "FLT_GENERAL_MATRIX"},
    {3, 95, "FLT_TEXT"},
    {2, 96, "FLT_SWITCH"},
    {1, 97, "FLT_LINE_STYLE_PALETTE"},
    {1, 98, "FLT_CLIP_REGION"},
    {3, 100, "FLT_EXTENSION_ATTR"},
    {1, 102, "FLT_LIGHT_SRC_PALETTE"},
    {3, 105, "FLT_BOUNDING_SPHERE"},
    {3, 106, "FLT_BOUNDING_CYLINDER"},
    {3, 108, "FLT_BOUNDING_CENTER"},
    {3, 109, "FLT_BOUNDING_ORIENTATION"},
    {2, 111, "FLT_LIGHT_POINT"},
    {1, 112, "FLT_TEXTURE_MAPPING_PALETTE"},
    {1, 113, "FLT_MATERIAL"},
    {1, 114, "FLT_COLORNAME_PALETTE"},
    {2, 115, "FLT_CAT"},
    {3, 116, "FLT_CAT_DATA"},
    {0, 122, "FLT_PUSH_ATTRIBUTE"},
    {0, 123, "FLT_POP_ATTRIBUTE"},
    {3, 125, "FLT_ADAPTIVE_ATTRIBUTE"},
    {2, 126, "FLT_CURVE_NODE"},
    {-1, -1, nullptr},
};

// The lookups work on a copy of the table sorted by opcode, built once at load.
const std::vector<FltOpcodeEntry>& opcodeIndex() {
  static const std::vector<FltOpcodeEntry> index = [] {
    std::vector<FltOpcodeEntry> entries;
    for (const FltOpcodeEntry* e = kOpcodeTable; e->name; ++e) entries.push_back(*e);
    std::stable_sort(
        entries.begin(), entries.end(),
        [](const FltOpcodeEntry& a, const FltOpcodeEntry& b) { return a.opcode < b.opcode; });
    return entries;
  }();
  return index;
}

const FltOpcodeEntry* findOpcode(int opcode) {
  const auto& index = opcodeIndex();
  FltSearchResult r =
      sortedSearch(index.size(), [&](size_t i) { return index[i].opcode - opcode; });
  return r.found ? &index[r.position] : nullptr;
}

}  // namespace

const char* opcodeName(int opcode) {
  const FltOpcodeEntry* e = findOpcode(opcode);
  return e ? e->name : "UNDEFINED";
}

int opcodeCategory(int opcode) {
  const FltOpcodeEntry* e = findOpcode(opcode);
  return e ? e->category : -1;
}

int opcodeFromName(const char* name, int16_t* opcode) {
  if (!name) return 0;
  // Longer names than the working buffer holds cannot match any table name.
  constexpr size_t kBufferSize = 128;
  const size_t length = std::strlen(name);
  if (length + 4 >= kBufferSize) return 0;
  char buffer[kBufferSize];
  for (size_t i = 0; i <= length; ++i)
    buffer[i] = static_cast<char>(std::toupper(static_cast<unsigned char>(name[i])));
  if (std::strncmp(buffer, "FLT_", 4) != 0) {
    std::memcpy(buffer, "FLT_", 4);
    for (size_t i = 0; i <= length; ++i)
      buffer[4 + i] = static_cast<char>(std::toupper(static_cast<unsigned char>(name[i])));
  }
  for (const FltOpcodeEntry& e : opcodeIndex()) {
    if (std::strcmp(e.name, buffer) == 0) {
      if (opcode) *opcode = e.opcode;
      return 1;
    }
  }
  return 0;
}
