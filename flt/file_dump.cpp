#include "flt/file_dump.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <memory>
#include <unordered_map>

#include "flt/bsp.h"
#include "flt/clip_region.h"
#include "flt/color_palette.h"
#include "flt/dof.h"
#include "flt/external_ref.h"
#include "flt/face.h"
#include "flt/file_reader.h"
#include "flt/group.h"
#include "flt/header.h"
#include "flt/header_names.h"
#include "flt/light_point.h"
#include "flt/lod.h"
#include "flt/material.h"
#include "flt/material_table.h"
#include "flt/object.h"
#include "flt/opcodes.h"
#include "flt/switch.h"
#include "flt/text_record.h"
#include "flt/texture.h"
#include "flt/vector.h"
#include "flt/vertex.h"
#include "flt/vertex_list.h"
#include "flt/vertex_palette.h"

namespace {

using V = FltDumpValue;

// Long vertex lists and switch masks show their first items only in the text dump.
constexpr size_t kMaxListed = 32;

// What a dump function gets: the reader at the record, the fields it appends to.
struct FltDumpContext {
  FltFileReader& reader;
  std::vector<FltDumpField>& fields;
  // File offset of the vertex palette record, -1 before it; vertex records count from it.
  int64_t vertexPaletteStart;
  // Set by id(): a long ID right behind the record is shown with it too.
  bool named;
  // Coordinates of the vertex records read so far, by offset in the vertex palette.
  std::unordered_map<int64_t, std::array<double, 3>>& vertexPoints;

  void add(const char* key, FltDumpValue value) { fields.emplace_back(key, std::move(value)); }
  void id(const char* text) {
    add("id", V::quoted(text ? text : ""));
    named = true;
  }
  template <class Record>
  void parse(Record& record) {
    record.readFrom(reader);
  }
};

using FltDumpFunction = void (*)(FltDumpContext& context);

FltDumpValue enumValue(int32_t value, const FltEnumName* names) {
  return V::named(value, fltEnumName(names, value));
}

FltDumpValue floats(const float (&c)[3]) {
  return V::tuple({V::number(c[0]), V::number(c[1]), V::number(c[2])});
}

// Held as doubles, stored as floats: shown as the float the file holds.
FltDumpValue storedFloats(double x, double y, double z) {
  return V::tuple({V::number(static_cast<float>(x)), V::number(static_cast<float>(y)),
                   V::number(static_cast<float>(z))});
}

void dumpHeader(FltDumpContext& c) {
  FltHeader h;
  c.parse(h);
  c.id(h.id);
  c.add("revision", enumValue(h.formatRevision, kFltRevisionNames<FltEnumName>));
  c.add("units", enumValue(h.vertexUnits, kFltUnitNames<FltEnumName>));
  c.add("projection", enumValue(h.projection, kFltProjectionNames<FltEnumName>));
  c.add("ellipsoid", enumValue(h.ellipsoid, kFltEllipsoidNames<FltEnumName>));
  c.add("origin", V::tuple({V::number(h.originLat), V::number(h.originLon)}));
  if (h.projection == 3)
    c.add("lambert", V::tuple({V::number(h.upperLambertLat), V::number(h.lowerLambertLat)}));
}

void dumpFlags(FltDumpContext& c, uint32_t flags) {
  if (flags != 0) c.add("flags", V::hex(flags));
}

void dumpGroup(FltDumpContext& c) {
  FltGroup g;
  c.parse(g);
  c.id(g.id);
  dumpFlags(c, g.flags);
}

void dumpObject(FltDumpContext& c) {
  FltObject o;
  c.parse(o);
  c.id(o.id);
  dumpFlags(c, o.flags);
}

void dumpLod(FltDumpContext& c) {
  FltLod l;
  c.parse(l);
  c.id(l.id);
  c.add("in", V::number(l.switchInDistance));
  c.add("out", V::number(l.switchOutDistance));
  c.add("centre", V::point(l.centerX, l.centerY, l.centerZ));
  if (l.transitionRange != 0) c.add("transition", V::number(l.transitionRange));
}

void dumpDof(FltDumpContext& c) {
  FltDof d;
  c.parse(d);
  c.id(d.id);
  c.add("origin", V::point(d.originX, d.originY, d.originZ));
  dumpFlags(c, d.flags);
}

void dumpSwitch(FltDumpContext& c) {
  FltSwitch s;
  c.parse(s);
  c.id(s.id);
  c.add("current", V::integer(s.currentMask));
  c.add("masks", V::integer(s.maskCount()));
  c.add("words", V::integer(s.wordsPerMask));
  std::vector<FltDumpValue> words;
  for (uint32_t w : s.maskWords) words.push_back(V::hex(w));
  if (!words.empty()) c.add("mask", V::list(std::move(words), kMaxListed));
}

void dumpBsp(FltDumpContext& c) {
  FltBsp b;
  c.parse(b);
  c.id(b.id);
  c.add("plane", V::tuple({V::number(b.a), V::number(b.b), V::number(b.c), V::number(b.d)}));
}

void dumpClipRegion(FltDumpContext& c) {
  FltClipRegion r;
  c.parse(r);
  c.id(r.id);
  std::vector<FltDumpValue> corners;
  for (const auto& p : r.corners) corners.push_back(V::point(p[0], p[1], p[2]));
  c.add("corners", V::list(std::move(corners), kMaxListed));
  std::string edges;
  for (uint8_t e : r.edgeFlags) edges += e ? '1' : '0';
  c.add("edges", V::word(edges));
}

void dumpExternalRef(FltDumpContext& c) {
  FltExternalRef e;
  c.parse(e);
  c.add("path", V::quoted(e.path, FltExternalRef::kPathLength));
  dumpFlags(c, e.flags);
}

void dumpComment(FltDumpContext& c) {
  FltComment t;
  c.parse(t);
  c.add("text", V::quoted(t.text()));
}

void dumpLongId(FltDumpContext& c) {
  FltLongId t;
  c.parse(t);
  c.add("text", V::quoted(t.text(), 200));
}

void dumpVertexList(FltDumpContext& c) {
  FltVertexList v;
  c.parse(v);
  const auto& offsets = v.offsets();
  c.add("corners", V::integer(static_cast<long long>(offsets.size())));
  if (offsets.empty()) return;
  std::vector<FltDumpValue> list;
  for (int32_t offset : offsets) list.push_back(V::integer(offset));
  c.add("offsets", V::list(std::move(list), kMaxListed));
  // Resolved to coordinates only when the file has a vertex palette before the list.
  if (c.vertexPaletteStart < 0) return;
  std::vector<FltDumpValue> points;
  for (int32_t offset : offsets) {
    auto it = c.vertexPoints.find(offset);
    points.push_back(it == c.vertexPoints.end()
                         ? V::missing()
                         : V::point(it->second[0], it->second[1], it->second[2]));
  }
  c.add("points", V::list(std::move(points), kMaxListed));
}

void dumpColorPalette(FltDumpContext& c) {
  FltColorPalette p;
  c.parse(p);
  c.add("colors", V::integer(p.capacity()));
  c.add("names", V::integer(p.colorNameCount()));
}

void dumpVertexPalette(FltDumpContext& c) {
  FltVertexPalette p;
  c.parse(p);
  c.add("total", V::integer(p.totalLength()));
}

void dumpVertex(FltDumpContext& c) {
  FltVertex v;
  c.parse(v);
  int64_t offset = c.vertexPaletteStart >= 0 ? c.reader.offset() - c.vertexPaletteStart : -1;
  c.add("offset", V::integer(offset));
  c.add("at", V::point(v.x, v.y, v.z));
  if (v.hasNormal()) c.add("normal", storedFloats(v.normalI, v.normalJ, v.normalK));
  if (v.hasTexCoord()) c.add("uv", V::tuple({V::number(v.u), V::number(v.v)}));
  if (!(v.flags & FltVertex::kFlagNoColor)) {
    char rgba[16];
    std::snprintf(rgba, sizeof rgba, "%02X%02X%02X%02X", v.color.red, v.color.green, v.color.blue,
                  v.color.alpha);
    c.add("color", V::integer(v.colorIndex));
    c.add("rgba", V::word(rgba));
  }
  if (offset >= 0) c.vertexPoints[offset] = {v.x, v.y, v.z};
}

struct FlagName {
  uint32_t bit;
  const char* name;
};

const FlagName kFaceFlags[] = {
    {FltFace::kFlagTerrain, "terrain"},
    {FltFace::kFlagNoColor, "no-color"},
    {FltFace::kFlagNoAltColor, "no-alt-color"},
    {0x10000000u, "packed-color"},
    {FltFace::kFlagFootprint, "footprint"},
    {FltFace::kFlagHidden, "hidden"},
    {0x02000000u, "roofline"},
};

const FltEnumName kLightModes[] = {
    {0, "face color"},       {1, "vertex color"}, {2, "lit face color"},
    {3, "lit vertex color"}, {0, nullptr},
};

// Bits without a name are shown by their own hex value, never dropped.
FltDumpValue faceFlags(uint32_t flags) {
  std::vector<std::string> names;
  uint32_t rest = flags;
  for (const FlagName& f : kFaceFlags) {
    if (flags & f.bit) names.push_back(f.name);
    rest &= ~f.bit;
  }
  if (rest != 0) {
    char other[16];
    std::snprintf(other, sizeof other, "0x%08X", static_cast<unsigned>(rest));
    names.push_back(other);
  }
  return V::flags(flags, std::move(names));
}

void dumpFace(FltDumpContext& c) {
  FltFace f;
  c.parse(f);
  c.id(f.id);
  c.add("draw", V::integer(f.drawType));
  c.add("flags", faceFlags(f.flags));
  if (!(f.flags & FltFace::kFlagNoColor)) c.add("color", V::integer(f.primaryColorIndex));
  if (!(f.flags & FltFace::kFlagNoAltColor)) c.add("altcolor", V::integer(f.alternateColorIndex));
  if (f.materialIndex >= 0) c.add("material", V::integer(f.materialIndex));
  if (f.texturePattern >= 0) c.add("texture", V::integer(f.texturePattern));
  if (f.lightMode != 0) c.add("light", enumValue(f.lightMode, kLightModes));
  if (f.billboard != 0) c.add("billboard", V::integer(f.billboard));
}

void dumpLightPoint(FltDumpContext& c) {
  FltLightPoint l;
  c.parse(l);
  c.id(l.id);
  c.add("display", V::integer(l.displayMode));
  c.add("intensity", V::number(l.intensity));
  c.add("directionality", V::integer(l.directionality));
  dumpFlags(c, l.flags);
}

void dumpVector(FltDumpContext& c) {
  FltVector v;
  c.parse(v);
  c.add("direction", storedFloats(v.i, v.j, v.k));
}

void dumpMaterial(FltDumpContext& c) {
  FltMaterial m;
  c.parse(m);
  c.add("index", V::integer(m.materialIndex));
  // Not "name": that key is the record kind's in the JSON dump.
  c.add("matname", V::quoted(m.name));
  c.add("diffuse", floats(m.diffuse));
  c.add("alpha", V::number(m.alpha));
}

// A table always has 64 slots; only those that differ from an unused slot are shown.
void dumpMaterialTable(FltDumpContext& c) {
  auto table = std::make_unique<FltMaterialTable>();
  c.parse(*table);
  std::vector<FltDumpValue> used;
  for (int i : table->usedSlots()) used.push_back(V::integer(i));
  c.add("used",
        used.empty() ? V::word("none") : V::list(std::move(used), FltMaterialTable::kSlots));
}

void dumpTexture(FltDumpContext& c) {
  FltTexture t;
  c.parse(t);
  c.add("pattern", V::integer(t.patternIndex));
  c.add("at", V::tuple({V::integer(t.xLocation), V::integer(t.yLocation)}));
  c.add("file", V::quoted(t.fullPath, FltTexture::kFileNameLength));
}

struct DumpEntry {
  uint16_t opcode;
  FltDumpFunction dump;
};

// Kinds without a row show their name and length only.
const DumpEntry kDumpTable[] = {
    {FltHeader::kOpcode, dumpHeader},
    {FltGroup::kOpcode, dumpGroup},
    {FltObject::kOpcode, dumpObject},
    {FltDof::kOpcode, dumpDof},
    {FltComment::kOpcode, dumpComment},
    {FltLongId::kOpcode, dumpLongId},
    {FltBsp::kOpcode, dumpBsp},
    {FltExternalRef::kOpcode, dumpExternalRef},
    {FltVertexList::kOpcode, dumpVertexList},
    {FltLod::kOpcode, dumpLod},
    {FltSwitch::kOpcode, dumpSwitch},
    {FltClipRegion::kOpcode, dumpClipRegion},
    {FltColorPalette::kOpcode, dumpColorPalette},
    {FltVertexPalette::kOpcode, dumpVertexPalette},
    {FltVertex::kWithColor, dumpVertex},
    {FltVertex::kWithNormal, dumpVertex},
    {FltVertex::kWithTextureAndNormal, dumpVertex},
    {FltVertex::kWithTexture, dumpVertex},
    {FltFace::kOpcode, dumpFace},
    {FltLightPoint::kOpcode, dumpLightPoint},
    {FltVector::kOpcode, dumpVector},
    {FltMaterial::kOpcode, dumpMaterial},
    {FltMaterialTable::kOpcode, dumpMaterialTable},
    {FltTexture::kOpcode, dumpTexture},
};

FltDumpFunction findDump(uint16_t opcode) {
  for (const DumpEntry& e : kDumpTable)
    if (e.opcode == opcode) return e.dump;
  return nullptr;
}

bool opensLevel(uint16_t opcode) {
  return opcode == 10 || opcode == 19 || opcode == 21 || opcode == 122;
}

bool closesLevel(uint16_t opcode) {
  return opcode == 11 || opcode == 20 || opcode == 22 || opcode == 123;
}

template <class Write>
bool dumpText(FltFileReader& reader, const FltDumpOptions& options, Write write) {
  // The vertex lines stand after the tree, not inside it: spooled to a temporary
  // file (they may be millions), in memory when none can be made.
  std::FILE* spool = options.vertices ? std::tmpfile() : nullptr;
  std::string held;
  bool clean = walkFltRecords(reader, [&](const FltDumpRecord& r) {
    if (!isVertexOpcode(r.opcode)) {
      write(dumpLine(r));
    } else if (spool) {
      const std::string line = dumpLine(r) + "\n";
      std::fwrite(line.data(), 1, line.size(), spool);
    } else if (options.vertices) {
      held += dumpLine(r) + "\n";
    }
  });
  auto writeLines = [&](std::string& text, bool all) {
    size_t start = 0;
    for (size_t end; (end = text.find('\n', start)) != std::string::npos; start = end + 1)
      write(text.substr(start, end - start));
    text.erase(0, all ? text.size() : start);
  };
  if (spool) {
    std::rewind(spool);
    char buffer[65536];
    for (size_t n; (n = std::fread(buffer, 1, sizeof buffer, spool)) > 0;) {
      held.append(buffer, n);
      writeLines(held, false);
    }
    std::fclose(spool);
  }
  writeLines(held, true);
  return clean;
}

template <class Write>
bool dumpJson(FltFileReader& reader, Write write) {
  write("[");
  std::string pending;
  bool clean = walkFltRecords(reader, [&](const FltDumpRecord& r) {
    if (!pending.empty()) write(pending + ",");
    pending = dumpJsonObject(r);
  });
  if (!pending.empty()) write(pending);
  write("]");
  return clean;
}

}  // namespace

bool isVertexOpcode(uint16_t opcode) {
  return opcode >= FltVertex::kWithColor && opcode <= FltVertex::kWithTexture;
}

bool walkFltRecords(FltFileReader& reader, const std::function<void(const FltDumpRecord&)>& visit) {
  FltDumpRecord pending;
  bool havePending = false, pendingNamed = false;
  int depth = 0;
  int64_t vertexPaletteStart = -1;
  std::unordered_map<int64_t, std::array<double, 3>> vertexPoints;
  while (reader.next()) {
    const uint16_t opcode = reader.opcode();
    // The full name a long ID carries belongs with the record it names. Not "name":
    // that key is the record kind's in the JSON dump.
    if (opcode == FltLongId::kOpcode && pendingNamed) {
      FltLongId longId;
      longId.readFrom(reader);
      pending.fields.emplace_back("longid", V::quoted(longId.text(), 200));
    }
    if (havePending) visit(pending);
    if (closesLevel(opcode)) depth = std::max(0, depth - 1);
    if (opcode == FltVertexPalette::kOpcode && vertexPaletteStart < 0)
      vertexPaletteStart = reader.offset();

    FltDumpRecord record;
    record.opcode = opcode;
    if (opcodeCategory(opcode) >= 0) record.name = opcodeName(opcode);
    record.length = reader.length();
    record.depth = depth;
    FltDumpContext context{reader, record.fields, vertexPaletteStart, false, vertexPoints};
    if (FltDumpFunction dump = findDump(opcode)) dump(context);
    pending = std::move(record);
    havePending = true;
    pendingNamed = context.named;
    if (opensLevel(opcode)) ++depth;
  }
  if (havePending) visit(pending);
  return !reader.faulted();
}

std::string dumpLine(const FltDumpRecord& r) {
  // Past this depth the indent stops growing and says the depth instead: a file
  // nested 100,000 levels deep would otherwise print gigabytes of spaces.
  constexpr int kIndentedLevels = 32;
  std::string line(static_cast<size_t>(std::min(r.depth, kIndentedLevels)) * 2, ' ');
  if (r.depth > kIndentedLevels) line += "[" + std::to_string(r.depth) + "] ";
  line += r.name.empty() ? "opcode=" + std::to_string(r.opcode) : r.name;
  line += " len=" + std::to_string(r.length);
  for (const FltDumpField& f : r.fields) line += " " + f.first + "=" + dumpText(f.second);
  return line;
}

std::string dumpJsonObject(const FltDumpRecord& r) {
  std::string object = "{\"opcode\":" + std::to_string(r.opcode) +
                       ",\"name\":" + (r.name.empty() ? "null" : jsonQuoted(r.name)) +
                       ",\"length\":" + std::to_string(r.length) +
                       ",\"depth\":" + std::to_string(r.depth);
  for (const FltDumpField& f : r.fields)
    object += "," + jsonQuoted(f.first) + ":" + dumpJson(f.second);
  return object + "}";
}

bool dumpFltRecords(FltFileReader& reader, std::ostream& out, const FltDumpOptions& options) {
  return dumpText(reader, options, [&](const std::string& line) { out << line << '\n'; });
}

bool dumpFltRecords(FltFileReader& reader, std::FILE* out, const FltDumpOptions& options) {
  return dumpText(reader, options, [&](const std::string& line) {
    std::fwrite(line.data(), 1, line.size(), out);
    std::fputc('\n', out);
  });
}

bool dumpFltJson(FltFileReader& reader, std::ostream& out) {
  return dumpJson(reader, [&](const std::string& line) { out << line << '\n'; });
}

bool dumpFltJson(FltFileReader& reader, std::FILE* out) {
  return dumpJson(reader, [&](const std::string& line) {
    std::fwrite(line.data(), 1, line.size(), out);
    std::fputc('\n', out);
  });
}
