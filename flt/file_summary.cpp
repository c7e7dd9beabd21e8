#include "flt/file_summary.h"

#include <sys/stat.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <memory>
#include <set>

#include "flt/color_palette.h"
#include "flt/dump_value.h"
#include "flt/face.h"
#include "flt/file_reader.h"
#include "flt/header.h"
#include "flt/header_names.h"
#include "flt/material.h"
#include "flt/material_table.h"
#include "flt/opcodes.h"
#include "flt/texture.h"
#include "flt/texture_attr.h"
#include "flt/vertex.h"

namespace {

// Far more than any attribute file the format defines; a bigger one is no such file.
constexpr long kMaxAttributeFile = 32767;

std::string folderOf(const std::string& path) {
  const size_t slash = path.find_last_of('/');
  return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

// Reads texel counts only; a file that cannot be read or is too short leaves 0.
void readTextureSize(FltTextureSummary& t, const std::string& fltPath) {
  if (t.file.empty()) return;
  const std::string image = t.file[0] == '/' ? t.file : folderOf(fltPath) + t.file;
  // The name comes from the file: only a plain file is read, never a device or a
  // pipe that could block the summary.
  const std::string name = image + ".attr";
  struct stat st;
  if (::stat(name.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) return;
  std::FILE* f = std::fopen(name.c_str(), "rb");
  if (!f) return;
  std::vector<uint8_t> bytes(kMaxAttributeFile);
  const size_t got = std::fread(bytes.data(), 1, bytes.size(), f);
  std::fclose(f);
  if (got < 8) return;
  FltRecord buffer;
  buffer.assign(bytes.data(), static_cast<int>(got));
  FltTextureAttr attributes;
  attributes.parse(buffer);
  t.width = attributes.texelsU;
  t.height = attributes.texelsV;
}

std::string point(const double (&p)[3]) {
  return "(" + shortestNumber(p[0]) + "," + shortestNumber(p[1]) + "," + shortestNumber(p[2]) + ")";
}

std::string kindName(uint16_t opcode) {
  return opcodeCategory(opcode) >= 0 ? opcodeName(opcode) : "opcode=" + std::to_string(opcode);
}

}  // namespace

int64_t FltSummary::count(uint16_t opcode) const {
  for (const auto& [kind, n] : kinds)
    if (kind == opcode) return n;
  return 0;
}

FltSummary summariseFltFile(FltFileReader& reader) {
  FltSummary s;
  std::set<int32_t> slots;
  auto useColor = [&](int32_t index) {
    if (index >= 0) slots.insert(index / 128);
  };
  while (reader.next()) {
    const uint16_t opcode = reader.opcode();
    ++s.records;
    auto kind = std::find_if(s.kinds.begin(), s.kinds.end(),
                             [&](const auto& k) { return k.first == opcode; });
    if (kind == s.kinds.end())
      s.kinds.emplace_back(opcode, 1);
    else
      ++kind->second;

    if (opcode == FltHeader::kOpcode && reader.index() == 0) {
      s.revision = reader.version();
    } else if (opcode == FltColorPalette::kOpcode) {
      FltColorPalette palette;
      palette.readFrom(reader);
      s.colorSlots = palette.capacity();
    } else if (opcode == FltMaterial::kOpcode) {
      ++s.materials;
    } else if (opcode == FltMaterialTable::kOpcode) {
      auto table = std::make_unique<FltMaterialTable>();
      table->readFrom(reader);
      s.materials += static_cast<int>(table->usedSlots().size());
    } else if (opcode == FltTexture::kOpcode) {
      FltTexture texture;
      texture.readFrom(reader);
      FltTextureSummary t;
      t.pattern = texture.patternIndex;
      t.file = texture.fullPath;
      readTextureSize(t, reader.path());
      s.textures.push_back(std::move(t));
    } else if (opcode == FltFace::kOpcode) {
      FltFace face;
      face.readFrom(reader);
      // A packed colour stands in the record itself, not in the palette.
      if (!(face.flags & 0x10000000u)) {
        if (!(face.flags & FltFace::kFlagNoColor)) useColor(face.primaryColorIndex);
        if (!(face.flags & FltFace::kFlagNoAltColor)) useColor(face.alternateColorIndex);
      }
    } else if (opcode >= FltVertex::kWithColor && opcode <= FltVertex::kWithTexture) {
      FltVertex v;
      v.readFrom(reader);
      ++s.vertices;
      if (!(v.flags & (FltVertex::kFlagNoColor | FltVertex::kFlagPackedColor)))
        useColor(v.colorIndex);
      const double at[3] = {v.x, v.y, v.z};
      // The check reports these; in the bounds they would only hide the rest.
      if (!std::isfinite(at[0]) || !std::isfinite(at[1]) || !std::isfinite(at[2])) continue;
      for (int i = 0; i < 3; ++i) {
        s.min[i] = s.hasBounds ? std::min(s.min[i], at[i]) : at[i];
        s.max[i] = s.hasBounds ? std::max(s.max[i], at[i]) : at[i];
      }
      s.hasBounds = true;
    }
  }
  s.colorsUsed = static_cast<int>(slots.size());
  FltFileReader again;
  if (again.open(reader.path())) {
    s.faults = checkFltRecords(again);
  } else {
    s.faults.push_back({0, again.error()});
  }
  return s;
}

std::string formatSummary(const FltSummary& s, const std::string& path) {
  std::string out;
  const char* name = fltEnumName(kFltRevisionNames<FltEnumName>, s.revision);
  out += "revision " + std::to_string(s.revision) + (name ? std::string(" (") + name + ")" : "") +
         "\n";
  out += "records " + std::to_string(s.records) + "\n";
  for (const auto& [opcode, n] : s.kinds)
    out += "  " + kindName(opcode) + " " + std::to_string(n) + "\n";
  out += "colors " + std::to_string(s.colorsUsed) + " used " +
         (s.colorSlots > 0 ? "of " + std::to_string(s.colorSlots) : std::string("(no palette)")) +
         "\n";
  out += "materials " + std::to_string(s.materials) + "\n";
  out += "textures " + std::to_string(s.textures.size()) + "\n";
  for (const FltTextureSummary& t : s.textures) {
    out += "  " + std::to_string(t.pattern) + " " +
           dumpQuoted(t.file, FltTexture::kFileNameLength) + " " +
           (t.width > 0 ? std::to_string(t.width) + "x" + std::to_string(t.height)
                        : std::string("size unknown")) +
           "\n";
  }
  out += "vertices " + std::to_string(s.vertices);
  std::string kinds;
  for (uint16_t opcode = FltVertex::kWithColor; opcode <= FltVertex::kWithTexture; ++opcode) {
    if (int64_t n = s.count(opcode))
      kinds += (kinds.empty() ? ": " : ", ") + kindName(opcode) + " " + std::to_string(n);
  }
  out += kinds + "\n";
  if (s.hasBounds) out += "bounds " + point(s.min) + " to " + point(s.max) + "\n";
  const size_t faults = static_cast<size_t>(std::count_if(
      s.faults.begin(), s.faults.end(), [](const FltFault& f) { return !f.warning; }));
  if (faults == 0)
    out += "check: sound\n";
  else
    out += "check: " + std::to_string(faults) + (faults == 1 ? " fault\n" : " faults\n");
  for (const FltFault& f : s.faults) out += "  " + formatFault(path, f) + "\n";
  return out;
}
