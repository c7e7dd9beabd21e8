#include "flt/file_dump.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdarg>
#include <functional>
#include <memory>

#include "flt/bsp.h"
#include "flt/clip_region.h"
#include "flt/color_palette.h"
#include "flt/dof.h"
#include "flt/external_ref.h"
#include "flt/face.h"
#include "flt/file_reader.h"
#include "flt/group.h"
#include "flt/header.h"
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

// Long vertex lists and switch masks show their first items only.
constexpr size_t kMaxListed = 32;

template <class Record>
void parseCurrent(FltDumpContext& c, Record& record) {
  record.readFrom(c.reader);
}

struct NamedValue {
  int value;
  const char* name;
};

const NamedValue kUnits[] = {
    {0, "Meters"}, {1, "Kilometers"}, {4, "Feet"}, {5, "Inches"}, {8, "Nautical Miles"}};
const NamedValue kProjections[] = {{0, "Flat Earth"},    {1, "Trapezoidal"}, {2, "Round Earth"},
                                   {3, "Lambert Conic"}, {4, "UTM"},         {5, "Geodetic"},
                                   {6, "Geocentric"}};
const NamedValue kEllipsoids[] = {
    {0, "WGS 1984"}, {1, "WGS 1972"}, {2, "Bessel"}, {3, "Clarke 1866"}, {4, "NAD 1927"}};

template <size_t N>
void dumpEnum(std::string& line, const char* key, int value, const NamedValue (&names)[N]) {
  for (const NamedValue& n : names) {
    if (n.value == value) {
      dumpField(line, "%s=%d(%s)", key, value, n.name);
      return;
    }
  }
  dumpField(line, "%s=%d", key, value);
}

std::string point(double x, double y, double z) {
  return "(" + dumpNumber(x) + "," + dumpNumber(y) + "," + dumpNumber(z) + ")";
}

void dumpHeader(FltDumpContext& c) {
  FltHeader h;
  parseCurrent(c, h);
  dumpId(c, h.id);
  dumpField(c.line, "revision=%d", static_cast<int>(h.formatRevision));
  dumpEnum(c.line, "units", h.vertexUnits, kUnits);
  dumpEnum(c.line, "projection", h.projection, kProjections);
  dumpEnum(c.line, "ellipsoid", h.ellipsoid, kEllipsoids);
  dumpField(c.line, "origin=(%s,%s)", dumpNumber(h.originLat).c_str(),
            dumpNumber(h.originLon).c_str());
  if (h.projection == 3) {
    dumpField(c.line, "lambert=(%s,%s)", dumpNumber(h.upperLambertLat).c_str(),
              dumpNumber(h.lowerLambertLat).c_str());
  }
}

void dumpGroup(FltDumpContext& c) {
  FltGroup g;
  parseCurrent(c, g);
  dumpId(c, g.id);
  if (g.flags != 0) dumpField(c.line, "flags=0x%08X", static_cast<unsigned>(g.flags));
}

void dumpObject(FltDumpContext& c) {
  FltObject o;
  parseCurrent(c, o);
  dumpId(c, o.id);
  if (o.flags != 0) dumpField(c.line, "flags=0x%08X", static_cast<unsigned>(o.flags));
}

void dumpLod(FltDumpContext& c) {
  FltLod l;
  parseCurrent(c, l);
  dumpId(c, l.id);
  dumpField(c.line, "in=%s out=%s centre=%s", dumpNumber(l.switchInDistance).c_str(),
            dumpNumber(l.switchOutDistance).c_str(),
            point(l.centerX, l.centerY, l.centerZ).c_str());
  if (l.transitionRange != 0)
    dumpField(c.line, "transition=%s", dumpNumber(l.transitionRange).c_str());
}

void dumpDof(FltDumpContext& c) {
  FltDof d;
  parseCurrent(c, d);
  dumpId(c, d.id);
  dumpField(c.line, "origin=%s", point(d.originX, d.originY, d.originZ).c_str());
  if (d.flags != 0) dumpField(c.line, "flags=0x%08X", static_cast<unsigned>(d.flags));
}

void dumpSwitch(FltDumpContext& c) {
  FltSwitch s;
  parseCurrent(c, s);
  dumpId(c, s.id);
  dumpField(c.line, "current=%d masks=%d words=%d", static_cast<int>(s.currentMask),
            static_cast<int>(s.maskCount()), static_cast<int>(s.wordsPerMask));
  std::string words;
  for (size_t i = 0; i < s.maskWords.size() && i < kMaxListed; ++i) {
    char word[16];
    std::snprintf(word, sizeof word, "%s0x%08X", i ? "," : "",
                  static_cast<unsigned>(s.maskWords[i]));
    words += word;
  }
  if (s.maskWords.size() > kMaxListed) words += ",...";
  if (!words.empty()) dumpField(c.line, "mask=%s", words.c_str());
}

void dumpBsp(FltDumpContext& c) {
  FltBsp b;
  parseCurrent(c, b);
  dumpId(c, b.id);
  dumpField(c.line, "plane=(%s,%s,%s,%s)", dumpNumber(b.a).c_str(), dumpNumber(b.b).c_str(),
            dumpNumber(b.c).c_str(), dumpNumber(b.d).c_str());
}

void dumpClipRegion(FltDumpContext& c) {
  FltClipRegion r;
  parseCurrent(c, r);
  dumpId(c, r.id);
  std::string corners;
  for (const auto& p : r.corners) corners += (corners.empty() ? "" : ",") + point(p[0], p[1], p[2]);
  dumpField(c.line, "corners=%s", corners.c_str());
  std::string edges;
  for (uint8_t e : r.edgeFlags) edges += e ? '1' : '0';
  dumpField(c.line, "edges=%s", edges.c_str());
}

void dumpExternalRef(FltDumpContext& c) {
  FltExternalRef e;
  parseCurrent(c, e);
  dumpField(c.line, "path=%s", dumpQuoted(e.path, FltExternalRef::kPathLength).c_str());
  if (e.flags != 0) dumpField(c.line, "flags=0x%08X", static_cast<unsigned>(e.flags));
}

void dumpComment(FltDumpContext& c) {
  FltComment t;
  parseCurrent(c, t);
  dumpField(c.line, "text=%s", dumpQuoted(t.text()).c_str());
}

void dumpLongId(FltDumpContext& c) {
  FltLongId t;
  parseCurrent(c, t);
  dumpField(c.line, "text=%s", dumpQuoted(t.text(), 200).c_str());
}

void dumpVertexList(FltDumpContext& c) {
  FltVertexList v;
  parseCurrent(c, v);
  const auto& offsets = v.offsets();
  dumpField(c.line, "corners=%zu", offsets.size());
  std::string list;
  for (size_t i = 0; i < offsets.size() && i < kMaxListed; ++i)
    list += (i ? "," : "") + std::to_string(offsets[i]);
  if (offsets.size() > kMaxListed) list += ",...";
  if (!list.empty()) dumpField(c.line, "offsets=%s", list.c_str());
  // Resolved to coordinates only when the file has a vertex palette before the list.
  std::string points;
  const bool resolve = c.vertexPoints && c.vertexPaletteStart >= 0;
  for (size_t i = 0; resolve && i < offsets.size() && i < kMaxListed; ++i) {
    auto it = c.vertexPoints->find(offsets[i]);
    if (i) points += ",";
    points +=
        it == c.vertexPoints->end() ? "?" : point(it->second[0], it->second[1], it->second[2]);
  }
  if (resolve && offsets.size() > kMaxListed) points += ",...";
  if (!points.empty()) dumpField(c.line, "points=%s", points.c_str());
}

void dumpColorPalette(FltDumpContext& c) {
  FltColorPalette p;
  parseCurrent(c, p);
  dumpField(c.line, "colors=%d names=%d", p.capacity(), p.colorNameCount());
}

void dumpVertexPalette(FltDumpContext& c) {
  FltVertexPalette p;
  parseCurrent(c, p);
  dumpField(c.line, "total=%d", static_cast<int>(p.totalLength()));
}

void dumpVertex(FltDumpContext& c) {
  FltVertex v;
  parseCurrent(c, v);
  int64_t offset = c.vertexPaletteStart >= 0 ? c.reader.offset() - c.vertexPaletteStart : -1;
  dumpField(c.line, "offset=%lld at=%s", static_cast<long long>(offset),
            point(v.x, v.y, v.z).c_str());
  if (v.hasNormal()) dumpField(c.line, "normal=%s", point(v.normalI, v.normalJ, v.normalK).c_str());
  if (v.hasTexCoord())
    dumpField(c.line, "uv=(%s,%s)", dumpNumber(v.u).c_str(), dumpNumber(v.v).c_str());
  if (!(v.flags & FltVertex::kFlagNoColor))
    dumpField(c.line, "color=%d rgba=%02X%02X%02X%02X", static_cast<int>(v.colorIndex), v.color.red,
              v.color.green, v.color.blue, v.color.alpha);
  if (c.vertexPoints && offset >= 0) (*c.vertexPoints)[offset] = {v.x, v.y, v.z};
}

void dumpFace(FltDumpContext& c) {
  FltFace f;
  parseCurrent(c, f);
  dumpId(c, f.id);
  dumpField(c.line, "draw=%d flags=0x%08X", f.drawType, static_cast<unsigned>(f.flags));
  if (!(f.flags & FltFace::kFlagNoColor))
    dumpField(c.line, "color=%d", static_cast<int>(f.primaryColorIndex));
  if (!(f.flags & FltFace::kFlagNoAltColor))
    dumpField(c.line, "altcolor=%d", static_cast<int>(f.alternateColorIndex));
  if (f.materialIndex >= 0) dumpField(c.line, "material=%d", f.materialIndex);
  if (f.texturePattern >= 0) dumpField(c.line, "texture=%d", f.texturePattern);
  if (f.lightMode != 0) dumpField(c.line, "light=%d", f.lightMode);
  if (f.billboard != 0) dumpField(c.line, "billboard=%d", f.billboard);
}

void dumpLightPoint(FltDumpContext& c) {
  FltLightPoint l;
  parseCurrent(c, l);
  dumpId(c, l.id);
  dumpField(c.line, "display=%d intensity=%s directionality=%d", static_cast<int>(l.displayMode),
            dumpNumber(l.intensity).c_str(), static_cast<int>(l.directionality));
  if (l.flags != 0) dumpField(c.line, "flags=0x%08X", static_cast<unsigned>(l.flags));
}

void dumpVector(FltDumpContext& c) {
  FltVector v;
  parseCurrent(c, v);
  dumpField(c.line, "direction=%s", point(v.i, v.j, v.k).c_str());
}

// The shortest text that reads back as the same value; plain digits where that
// stays short ("100000", not "1e+05"), exponents only for the very large or small.
template <class T>
std::string shortestText(T v) {
  char text[64];
  const T magnitude = std::fabs(v);
  const bool plain = magnitude == 0 || (magnitude >= T(1e-4) && magnitude < T(1e15));
  auto end = plain ? std::to_chars(text, text + sizeof text, v, std::chars_format::fixed).ptr
                   : std::to_chars(text, text + sizeof text, v).ptr;
  return std::string(text, end);
}

std::string floatText(float v) {
  return shortestText(v);
}

std::string triple(const float (&c)[3]) {
  return "(" + floatText(c[0]) + "," + floatText(c[1]) + "," + floatText(c[2]) + ")";
}

void dumpMaterialFields(std::string& line, const FltMaterial& m) {
  dumpField(line, "name=%s", dumpQuoted(m.name).c_str());
  dumpField(line, "diffuse=%s alpha=%s", triple(m.diffuse).c_str(), floatText(m.alpha).c_str());
}

void dumpMaterial(FltDumpContext& c) {
  FltMaterial m;
  parseCurrent(c, m);
  dumpField(c.line, "index=%d", static_cast<int>(m.materialIndex));
  dumpMaterialFields(c.line, m);
}

// A table always has 64 slots; only those that differ from an unused slot are shown.
void dumpMaterialTable(FltDumpContext& c) {
  auto table = std::make_unique<FltMaterialTable>();
  parseCurrent(c, *table);
  FltRecord unused, slot;
  FltMaterial().serialise(unused, 1520);
  std::string used;
  for (int i = 0; i < FltMaterialTable::kSlots; ++i) {
    FltMaterial m = table->slots[i];
    m.materialIndex = 0;
    m.serialise(slot, 1520);
    if (std::equal(slot.data(), slot.data() + slot.length(), unused.data())) continue;
    used += (used.empty() ? "" : ",") + std::to_string(i);
  }
  dumpField(c.line, "used=%s", used.empty() ? "none" : used.c_str());
}

void dumpTexture(FltDumpContext& c) {
  FltTexture t;
  parseCurrent(c, t);
  dumpField(c.line, "pattern=%d at=(%d,%d) file=%s", static_cast<int>(t.patternIndex),
            static_cast<int>(t.xLocation), static_cast<int>(t.yLocation),
            dumpQuoted(t.fullPath, FltTexture::kFileNameLength).c_str());
}

struct DumpEntry {
  uint16_t opcode;
  FltDumpFunction dump;
};

// Kinds without a row print their name and length only.
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

bool dumpRecords(FltFileReader& reader, const std::function<void(const std::string&)>& emit) {
  std::string pending;
  bool pendingNamed = false;
  int depth = 0;
  int64_t vertexPaletteStart = -1;
  std::unordered_map<int64_t, std::array<double, 3>> vertexPoints;
  while (reader.next()) {
    const uint16_t opcode = reader.opcode();
    // The full name a long ID carries belongs on the line of the record it names.
    if (opcode == FltLongId::kOpcode && pendingNamed) {
      FltLongId longId;
      longId.readFrom(reader);
      dumpField(pending, "name=%s", dumpQuoted(longId.text(), 200).c_str());
    }
    if (!pending.empty()) emit(pending);
    if (closesLevel(opcode)) depth = std::max(0, depth - 1);
    if (opcode == 67 && vertexPaletteStart < 0) vertexPaletteStart = reader.offset();

    std::string line(static_cast<size_t>(depth) * 2, ' ');
    if (opcodeCategory(opcode) >= 0)
      line += opcodeName(opcode);
    else
      line += "opcode=" + std::to_string(opcode);
    dumpField(line, "len=%d", reader.length());
    FltDumpContext context{reader, line, vertexPaletteStart, false, &vertexPoints};
    if (FltDumpFunction dump = findDump(opcode)) dump(context);
    pending = std::move(line);
    pendingNamed = context.named;
    if (opensLevel(opcode)) ++depth;
  }
  if (!pending.empty()) emit(pending);
  return !reader.faulted();
}

}  // namespace

void dumpField(std::string& line, const char* format, ...) {
  char buffer[512];
  va_list args;
  va_start(args, format);
  int n = std::vsnprintf(buffer, sizeof buffer, format, args);
  va_end(args);
  line += ' ';
  if (n < 0) return;
  if (static_cast<size_t>(n) < sizeof buffer) {
    line.append(buffer, static_cast<size_t>(n));
    return;
  }
  std::string big(static_cast<size_t>(n) + 1, '\0');
  va_start(args, format);
  std::vsnprintf(big.data(), big.size(), format, args);
  va_end(args);
  line.append(big.data(), static_cast<size_t>(n));
}

void dumpId(FltDumpContext& context, const char* id) {
  dumpField(context.line, "id=%s", dumpQuoted(id ? id : "").c_str());
  context.named = true;
}

std::string dumpNumber(double value) {
  return shortestText(value);
}

std::string dumpQuoted(const std::string& text, size_t maxLength) {
  std::string out = "\"";
  size_t shown = 0;
  for (unsigned char ch : text) {
    if (shown >= maxLength) return out + "\"...";
    switch (ch) {
      case '\n':
        out += "\\n";
        break;
      case '\r':
        out += "\\r";
        break;
      case '\t':
        out += "\\t";
        break;
      case '\\':
        out += "\\\\";
        break;
      case '"':
        out += "\\\"";
        break;
      default:
        if (ch < 0x20 || ch >= 0x7F) {
          char hex[8];
          std::snprintf(hex, sizeof hex, "\\x%02X", ch);
          out += hex;
        } else {
          out += static_cast<char>(ch);
        }
    }
    ++shown;
  }
  return out + "\"";
}

bool dumpFltRecords(FltFileReader& reader, std::ostream& out) {
  return dumpRecords(reader, [&](const std::string& line) { out << line << '\n'; });
}

bool dumpFltRecords(FltFileReader& reader, std::FILE* out) {
  return dumpRecords(reader, [&](const std::string& line) {
    std::fwrite(line.data(), 1, line.size(), out);
    std::fputc('\n', out);
  });
}
