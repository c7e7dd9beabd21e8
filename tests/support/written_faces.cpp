#include "tests/support/written_faces.h"

#include <map>

#include "flt/color_palette.h"
#include "flt/face.h"
#include "flt/file_reader.h"
#include "flt/material.h"
#include "flt/object.h"
#include "flt/text_record.h"
#include "flt/texture.h"
#include "flt/vertex.h"
#include "flt/vertex_list.h"

namespace {

Rgb paletteColor(const FltColorPalette& palette, int32_t index) {
  const int slot = index / 128;
  if (index < 0 || slot >= palette.capacity()) return {};
  const double brightness = (index % 128) / 127.0;
  float r, g, b;
  palette.slot(slot).toFloats(r, g, b);
  return {r * brightness, g * brightness, b * brightness};
}

V3 newell(const std::vector<WrittenCorner>& c) {
  V3 n;
  for (size_t i = 0; i < c.size(); ++i) {
    const V3 a = c[i].p, b = c[(i + 1) % c.size()].p;
    n.x += (a.y - b.y) * (a.z + b.z);
    n.y += (a.z - b.z) * (a.x + b.x);
    n.z += (a.x - b.x) * (a.y + b.y);
  }
  return n;
}

}  // namespace

bool readWrittenFaces(const std::string& path, std::vector<WrittenFace>& faces,
                      std::string& error) {
  FltFileReader reader;
  if (!reader.open(path)) {
    error = reader.error();
    return false;
  }
  FltColorPalette palette;
  std::map<int64_t, WrittenCorner> vertices;
  int64_t paletteStart = -1;
  // The object each level belongs to; a face belongs to the nearest one.
  std::vector<std::string> levels{""};
  std::string last;
  uint16_t lastPrimary = 0;
  FltFace face;
  std::map<int, std::string> textures;          // by pattern index
  std::map<int, std::vector<float>> materials;  // by material index
  while (reader.next()) {
    const uint16_t op = reader.opcode();
    if (op == FltColorPalette::kOpcode) palette.readFrom(reader);
    if (op == FltTexture::kOpcode) {
      FltTexture texture;
      texture.readFrom(reader);
      textures[texture.patternIndex] = texture.key();
    }
    if (op == FltMaterial::kOpcode) {
      FltMaterial m;
      m.readFrom(reader);
      std::vector<float>& values = materials[m.materialIndex];
      for (const float* c : {m.ambient, m.diffuse, m.specular, m.emissive})
        values.insert(values.end(), c, c + 3);
      values.push_back(m.shininess);
      values.push_back(m.alpha);
    }
    if (op == 67) paletteStart = reader.offset();
    if (paletteStart >= 0 && op >= FltVertex::kWithColor && op <= FltVertex::kWithTexture) {
      FltVertex v;
      v.readFrom(reader);
      WrittenCorner& c = vertices[reader.offset() - paletteStart];
      c.p = {v.x, v.y, v.z};
      c.hasUv = v.hasTexCoord();
      c.u = v.u;
      c.v = v.v;
      c.hasNormal = v.hasNormal();
      c.n = {v.normalI, v.normalJ, v.normalK};
      c.hasColor = (v.flags & FltVertex::kFlagPackedColor) != 0;
      if (c.hasColor) {
        float r, g, b;
        v.color.toFloats(r, g, b);
        c.color = {r, g, b};
      }
    }
    if (op == 10 || op == 19) {
      levels.push_back(last);
    } else if ((op == 11 || op == 20) && levels.size() > 1) {
      levels.pop_back();
      last = levels.back();
    } else if (op == FltObject::kOpcode) {
      FltObject object;
      object.readFrom(reader);
      last = object.id;
      lastPrimary = op;
    } else if (op == FltLongId::kOpcode && lastPrimary == FltObject::kOpcode) {
      FltLongId id;
      id.readFrom(reader);
      last = id.text();
    } else if (op == FltFace::kOpcode) {
      face = FltFace();
      face.readFrom(reader);
      lastPrimary = op;
    } else if (op == FltVertexList::kOpcode && lastPrimary == FltFace::kOpcode) {
      FltVertexList list;
      list.readFrom(reader);
      WrittenFace f;
      f.object = levels.back();
      for (int32_t offset : list.offsets()) {
        const auto found = vertices.find(offset);
        if (found != vertices.end()) f.corners.push_back(found->second);
      }
      if (face.flags & FltFace::kFlagNoColor) {
        f.hasColor = false;
      } else if (face.flags & 0x10000000u) {  // packed colour
        float r, g, b;
        face.primaryColor.toFloats(r, g, b);
        f.hasColor = true;
        f.color = {r, g, b};
      } else {
        f.hasColor = true;
        f.color = paletteColor(palette, face.primaryColorIndex);
      }
      f.lightMode = face.lightMode;
      f.drawType = face.drawType;
      f.materialIndex = face.materialIndex;
      if (const auto m = materials.find(face.materialIndex); m != materials.end())
        f.material = m->second;
      if (const auto t = textures.find(face.texturePattern); t != textures.end())
        f.texture = t->second;
      f.normal = newell(f.corners);
      if (!f.corners.empty()) f.low = f.high = f.corners[0].p;
      for (const WrittenCorner& c : f.corners) {
        f.low = {std::min(f.low.x, c.p.x), std::min(f.low.y, c.p.y), std::min(f.low.z, c.p.z)};
        f.high = {std::max(f.high.x, c.p.x), std::max(f.high.y, c.p.y), std::max(f.high.z, c.p.z)};
      }
      faces.push_back(std::move(f));
      lastPrimary = op;
    } else if (op != FltLongId::kOpcode && op != 31) {
      lastPrimary = op;
    }
  }
  if (reader.faulted()) {
    error = path + ": " + reader.fault();
    return false;
  }
  return true;
}
