#include "convert/property_reference.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <vector>

#include "attributes/apply_attributes.h"
#include "attributes/attr_registry.h"
#include "attributes/table_record.h"
#include "convert/property_vocabulary.h"
#include "flt/bsp.h"
#include "flt/clip_region.h"
#include "flt/dof.h"
#include "flt/external_ref.h"
#include "flt/face.h"
#include "flt/group.h"
#include "flt/header.h"
#include "flt/light_point.h"
#include "flt/lod.h"
#include "flt/object.h"
#include "flt/opcodes.h"
#include "flt/record.h"
#include "flt/switch.h"

namespace {

// Field offsets are those of the version new exports are written in.
constexpr int kReferenceVersion = 1540;

}  // namespace

namespace {

std::unique_ptr<FltRecordBase> recordFor(int opcode) {
  return newTableRecord(opcode);
}

std::string number(double v) {
  char text[32];
  std::snprintf(text, sizeof text, "%g", v);
  return text;
}

uint32_t loadBits(const void* field, size_t width) {
  uint32_t v = 0;
  if (width == 1) v = *static_cast<const uint8_t*>(field);
  if (width == 2) {
    uint16_t w;
    std::memcpy(&w, field, 2);
    v = w;
  }
  if (width == 4) std::memcpy(&v, field, 4);
  return v;
}

void storeBits(void* field, size_t width, uint32_t v) {
  if (width == 1) *static_cast<uint8_t*>(field) = static_cast<uint8_t>(v);
  if (width == 2) {
    const uint16_t w = static_cast<uint16_t>(v);
    std::memcpy(field, &w, 2);
  }
  if (width == 4) std::memcpy(field, &v, 4);
}

int32_t signedBits(uint32_t bits, size_t width) {
  if (width == 1) return static_cast<int8_t>(bits);
  if (width == 2) return static_cast<int16_t>(bits);
  return static_cast<int32_t>(bits);
}

// Where a row's value lands in the written record: its bytes found by writing the
// record with and without a change to the member.
std::string fieldText(const AttrTableSet& set, const AttrDescriptor& row) {
  if (row.target.isNone() || row.encoding == AttrEncoding::kNothing) return "";
  std::unique_ptr<FltRecordBase> plain = recordFor(set.opcode), changed = recordFor(set.opcode);
  if (!plain) return "";
  void* field = row.target.address(*changed);
  if (!field) return "";
  const size_t width = row.target.width;
  std::string type;
  switch (row.target.kind) {
    case AttrTargetKind::kInteger:
      storeBits(field, width, loadBits(field, width) ^ (row.mask ? row.mask : 0xFFFFFFFFu));
      type = std::to_string(width * 8) + "-bit integer";
      break;
    case AttrTargetKind::kFloat:
    case AttrTargetKind::kDouble:
      // Every byte changed, so that the whole field shows.
      for (size_t i = 0; i < width; ++i) static_cast<unsigned char*>(field)[i] ^= 0xFF;
      type = width == 4 ? "32-bit float" : "64-bit float";
      break;
    case AttrTargetKind::kText:
      *static_cast<char*>(field) ^= 0x20;
      type = "text of " + std::to_string(width) + " bytes";
      break;
    default:
      return "";
  }
  FltRecord before, after;
  plain->serialise(before, kReferenceVersion);
  changed->serialise(after, kReferenceVersion);
  const int n = std::min(before.length(), after.length());
  int first = -1, last = -1;
  for (int i = 0; i < n; ++i) {
    if (before.data()[i] == after.data()[i]) continue;
    if (first < 0) first = i;
    last = i;
  }
  if (first < 0) return "";
  if (row.mask) {
    // Big-endian: the mask's highest byte comes first in the field.
    size_t lead = 0;
    while (lead < width && ((row.mask >> (8 * (width - 1 - lead))) & 0xFFu) == 0) ++lead;
    first -= static_cast<int>(lead);
    last = first + static_cast<int>(width) - 1;
    char mask[16];
    std::snprintf(mask, sizeof mask, "0x%0*X", static_cast<int>(width * 2), row.mask);
    type = "bits " + std::string(mask) + " of a " + std::to_string(width * 8) + "-bit word";
  } else if (row.target.kind == AttrTargetKind::kText) {
    last = first + static_cast<int>(width) - 1;
  }
  const std::string bytes = first == last
                                ? "byte " + std::to_string(first)
                                : "bytes " + std::to_string(first) + "-" + std::to_string(last);
  return bytes + " (" + type + ")";
}

// What an absent key leaves in the record: the member of a record made afresh.
std::string absentText(const AttrTableSet& set, const AttrDescriptor& row) {
  if (row.target.isNone()) return "";
  std::unique_ptr<FltRecordBase> record = recordFor(set.opcode);
  void* field = record ? row.target.address(*record) : nullptr;
  if (!field) return "";
  switch (row.target.kind) {
    case AttrTargetKind::kInteger: {
      uint32_t bits = loadBits(field, row.target.width);
      if (row.mask) bits &= row.mask;
      if (row.maskedBoolean) return bits ? "Yes" : "No";
      if (row.enumeration)
        if (const char* name = enumNameOf(row.enumeration, static_cast<int32_t>(bits))) return name;
      return std::to_string(signedBits(bits, row.target.width));
    }
    case AttrTargetKind::kFloat:
      return number(*static_cast<float*>(field));
    case AttrTargetKind::kDouble:
      return number(*static_cast<double*>(field));
    case AttrTargetKind::kText:
      return *static_cast<char*>(field) ? std::string(static_cast<char*>(field)) : "empty";
    default:
      return "";
  }
}

// The table's default text, where the key's reader would take it.
bool readsAsAccepted(const AttrDescriptor& row, const char* text) {
  if (!text || !*text) return false;
  char* end = nullptr;
  switch (row.type) {
    case AttrType::kInteger:
      std::strtol(text, &end, 10);
      return *end == '\0';
    case AttrType::kFloat:
      std::strtod(text, &end);
      return *end == '\0';
    case AttrType::kEnumeration: {
      int32_t v = 0;
      return enumValueOf(row.enumeration, underscoresToSpaces(text).c_str(), &v) != 0;
    }
    default:
      return false;
  }
}

std::string valueText(const AttrDescriptor& row) {
  switch (row.type) {
    case AttrType::kInteger:
      return "whole number";
    case AttrType::kFloat:
      return "number";
    case AttrType::kEnumeration: {
      if (row.enumeration == kYesNoEnum) return "Yes or No";
      std::string list;
      for (const AttrEnumEntry* e = row.enumeration; e && e->name; ++e)
        list += (list.empty() ? "" : ", ") + std::string(e->name);
      return "one of " + list + " (_ for a space)";
    }
    case AttrType::kMaskData:
      return "hex digits";
    default:
      return "text";
  }
}

bool isLodCentre(const char* key) {
  return std::strcmp(key, "FltLodCx") == 0 || std::strcmp(key, "FltLodCy") == 0 ||
         std::strcmp(key, "FltLodCz") == 0;
}

// What the tables cannot say: keys read by readers of their own, or by none.
std::string noteFor(const AttrTableSet& set, const AttrDescriptor& row) {
  const std::string key = row.key;
  if (set.opcode == FltObject::kOpcode)
    return "read by no record: object records are written with their defaults";
  if (key == "FltComment")
    return "read by no record: the comment record is the node's user text without the "
           "property lines";
  if (key == "wireinput" || key == "wireoutput") return "read by no record";
  if (key == "FltSuperFace")
    return "read by the walk as a whole number (Yes is none): non-zero nests the children's "
           "faces as subfaces of the node's one face";
  if (key == "FltUseMaterial")
    return "read by the mesh conversion (Yes/No, true/false, on/off, 1/0): Yes adds a material "
           "record per material and points the faces at them";
  if (key == "FltSwitchMaskCount")
    return "read after the table, only with FltSwitchCurr or FltSwitchMaskWidth: the number of "
           "masks";
  if (key == "FltSwitchMaskData")
    return "read with FltSwitchMaskCount: two hex digits a byte, the least significant byte "
           "of each word first";
  if (key == "FltLodMin")
    return "the switch-in (far) distance: the names are crossed over by design";
  if (key == "FltLodMax") return "the switch-out (near) distance: nearer than FltLodMin";
  if (key == "FltLightMode")
    return "zorvel answers it from the node's materials when absent (see above)";
  if (key == "FltDrawType")
    return "zorvel answers 1 for a double-sided material when absent (see above); 8, 9 or 10 "
           "with children marked FltLightVtx make a light-string face";
  if (set.opcode == FltGroup::kOpcode)
    return "read only with FltType = Group or Object; on a node without FltType (the default "
           "path, a plain group) read by no record";
  return "";
}

struct KeyLine {
  std::string key, name, value, fills, absent, note;
};

KeyLine tableLine(const AttrTableSet& set, const AttrDescriptor& row) {
  KeyLine line{
      row.key,          row.displayName, valueText(row), fieldText(set, row), absentText(set, row),
      noteFor(set, row)};
  if (isLodCentre(row.key)) line.absent = "the centre of the boxes of the node's subtree";
  if (line.fills.empty()) line.fills = "no field";
  if (line.absent.empty()) line.absent = "nothing";
  if (readsAsAccepted(row, row.defaultText) && line.absent != row.defaultText &&
      line.absent != underscoresToSpaces(row.defaultText))
    line.note +=
        std::string(line.note.empty() ? "" : "; ") + "the tables suggest " + row.defaultText;
  return line;
}

KeyLine outsideLine(const OutsideKey& key) {
  std::string note;
  if (key.value == OutsideKeyValue::kNoRecord) note = "read by no record";
  if (std::strcmp(key.key, "FltFaceColor") == 0)
    note = "zorvel answers it from the node's materials when absent (see above)";
  return {key.key, "", key.accepted, key.fills, key.absent, note};
}

// "LOD" for FLT_LOD: what FltType takes.
std::string typeName(int opcode) {
  const std::string name = opcodeName(opcode);
  return name.rfind("FLT_", 0) == 0 ? name.substr(4) : name;
}

std::string heading(const AttrTableSet& set) {
  if (set.opcode == FltHeader::kOpcode)
    return std::string(set.name) + " (the node named " + opcodeName(FltHeader::kOpcode) + ")";
  return std::string(set.name) + " (FltType = " + typeName(set.opcode) + ")";
}

std::vector<KeyLine> linesOf(const AttrTableSet& set) {
  std::vector<KeyLine> lines;
  for (const AttrDescriptor* table : {set.secondary, set.primary})
    for (const AttrDescriptor* row = table; row && !row->isEnd(); ++row)
      lines.push_back(tableLine(set, *row));
  for (const OutsideKey* key : outsideKeys())
    if (key->kind && std::strcmp(key->kind, set.name) == 0) lines.push_back(outsideLine(*key));
  return lines;
}

std::vector<KeyLine> everyNodeLines() {
  std::vector<KeyLine> lines;
  for (const OutsideKey* key : outsideKeys())
    if (!key->kind) lines.push_back(outsideLine(*key));
  return lines;
}

std::string cell(std::string text) {
  std::string out;
  for (char c : text) out += c == '|' ? std::string("\\|") : std::string(1, c);
  return out;
}

void markdownSection(std::string& out, const std::string& title,
                     const std::vector<KeyLine>& lines) {
  out += "\n## " + title + "\n\n| Key | Name | Value | Fills | Absent | Notes |\n";
  out += "|---|---|---|---|---|---|\n";
  for (const KeyLine& l : lines)
    out += "| `" + l.key + "` | " + cell(l.name) + " | " + cell(l.value) + " | " + cell(l.fills) +
           " | " + cell(l.absent) + " | " + cell(l.note) + " |\n";
}

void textSection(std::string& out, const std::string& title, const std::vector<KeyLine>& lines) {
  out += "\n" + title + "\n";
  for (const KeyLine& l : lines) {
    out += "  " + l.key + (l.name.empty() ? "" : "  \"" + l.name + "\"") + ": " + l.value + "\n";
    out += "      fills: " + l.fills + "\n      absent: " + l.absent + "\n";
    if (!l.note.empty()) out += "      " + l.note + "\n";
  }
}

const char kIntroduction[] =
    "Every key Zorvel reads from a node's user-defined properties, one `key = value` line "
    "each (glTF node `extras`, FBX user-defined properties). Keys are matched exactly, case "
    "included; enumerations and Yes/No take their texts exactly, with `_` for a space. "
    "`FltType` chooses the record a node becomes; each section lists the keys that record "
    "takes. Fills gives the bytes of the record (OpenFlight 15.4) the value lands in, Absent "
    "what the record holds without the key. Every export warns of a key no record takes, "
    "of a mistyped key or value and of swapped LOD distances; `zorvel --check INPUT` "
    "only checks.\n\n"
    "The export looks as the scene does in its own viewer: for a mesh node whose user text "
    "lacks them, `zorvel` answers `FltLightMode` (`Face Color Smooth`, or `Vertex Color "
    "Smooth` with vertex colours, unless every material is unlit), `FltDrawType` (1 for a "
    "double-sided material) and `FltFaceColor` (the wire colour, the first material's "
    "diffuse colour) from the node's materials; `--as-authored` turns this off. The checks "
    "read only what the user text holds.\n";

}  // namespace

bool propertyReference(const std::string& kind, bool markdown, std::string& text) {
  const AttrTableSet* only = nullptr;
  if (!kind.empty()) {
    int16_t opcode = 0;
    if (opcodeFromName(kind.c_str(), &opcode)) only = findAttrTableSet(opcode);
    if (!only) {
      text = kind + " names no record kind with properties; kinds:";
      for (size_t i = 0; i < kAttrTableSetCount; ++i)
        text += (i ? ", " : " ") + typeName(kAttrTableSets[i].opcode);
      return false;
    }
  }
  text.clear();
  if (markdown) text = "# Properties\n\n" + std::string(kIntroduction);
  auto section = [&](const std::string& title, const std::vector<KeyLine>& lines) {
    if (markdown)
      markdownSection(text, title, lines);
    else
      textSection(text, title, lines);
  };
  if (!only) section("Every node", everyNodeLines());
  for (size_t i = 0; i < kAttrTableSetCount; ++i)
    if (!only || only == &kAttrTableSets[i])
      section(heading(kAttrTableSets[i]), linesOf(kAttrTableSets[i]));
  if (!markdown && !text.empty() && text[0] == '\n') text.erase(0, 1);
  return true;
}
