#pragma once
// Support of the tests that export: a working directory of their own, the written
// file read back through the records' own parse side as short tokens ("GROUP g2",
// "LONG_ID Box_g", "PUSH", "VERTEX_LIST 1"), bytes and vertices, and the converters
// prepared on an open file over an in-memory scene.

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "convert/export_context.h"
#include "convert/material_converter.h"
#include "convert/mesh_converter.h"
#include "convert/texture_source.h"
#include "flt/color_palette.h"
#include "flt/face.h"
#include "flt/file_check.h"
#include "flt/file_reader.h"
#include "flt/header.h"
#include "flt/opcodes.h"
#include "flt/output_file.h"
#include "flt/record.h"
#include "flt/vertex.h"
#include "flt/vertex_list.h"
#include "host/memory_scene.h"
#include "tests/support/temp_dir.h"

struct FltReadBack {
  FltHeader header;
  // The records inside the export's frame (push, top group, push ... pop, pop).
  std::vector<std::string> tokens;
  std::vector<std::vector<uint8_t>> bytes;
  std::map<int64_t, FltVertex> vertices;  // by offset in the vertex palette

  template <class R>
  R parse(size_t index) const {
    FltRecord record;
    record.assign(bytes.at(index).data(), static_cast<int>(bytes.at(index).size()));
    R r;
    r.parse(record, header.formatRevision);
    return r;
  }
  // The vertices a vertex list record points at.
  std::vector<FltVertex> listVertices(size_t index) const {
    std::vector<FltVertex> out;
    const FltVertexList list = parse<FltVertexList>(index);
    for (int32_t offset : list.offsets()) {
      auto found = vertices.find(offset);
      EXPECT_NE(found, vertices.end()) << "vertex offset " << offset;
      if (found != vertices.end()) out.push_back(found->second);
    }
    return out;
  }
  size_t indexOf(const std::string& token) const {
    for (size_t i = 0; i < tokens.size(); ++i)
      if (tokens[i] == token) return i;
    ADD_FAILURE() << "no record " << token;
    return 0;
  }
  size_t count(const std::string& token) const {
    size_t n = 0;
    for (const std::string& t : tokens) n += t == token;
    return n;
  }
};

inline std::string fltToken(uint16_t opcode, const std::vector<uint8_t>& b) {
  std::string name = opcodeName(opcode) ? opcodeName(opcode) : "?" + std::to_string(opcode);
  if (name.rfind("FLT_", 0) == 0) name = name.substr(4);
  if (name == "PUSH_LEVEL" || name == "POP_LEVEL") return name.substr(0, name.find('_'));
  // The text field from `from`, line feeds shown as "|".
  auto withText = [&](size_t from, size_t width) {
    std::string shown = name + " ";
    for (size_t i = from; i < b.size() && i < from + width && b[i]; ++i)
      if (b[i] != '\r') shown += b[i] == '\n' ? '|' : char(b[i]);
    return shown;
  };
  static const std::set<uint16_t> kWithId = {2, 4, 5, 14, 55, 73, 96, 98, 111};
  if (kWithId.count(opcode)) return withText(4, 8);
  if (opcode == 31 || opcode == 33) return withText(4, b.size());
  if (opcode == 63) return withText(4, 200);
  if (opcode == 72) return name + " " + std::to_string((b.size() - 4) / 4);
  return name;
}

// Also runs the file check on the file and expects it sound.
inline FltReadBack readBackFlt(const std::string& path) {
  FltReadBack out;
  FltCheckResult check = checkFltFile(path);
  EXPECT_TRUE(check.sound()) << check.error
                             << (check.faults.empty() ? "" : formatFault(path, check.faults[0]));
  FltFileReader reader;
  if (!reader.open(path)) {
    ADD_FAILURE() << reader.error();
    return out;
  }
  int64_t paletteStart = -1;
  bool body = false;
  while (reader.next()) {
    const uint16_t opcode = reader.opcode();
    if (reader.index() == 0) out.header.readFrom(reader);
    if (opcode == 67) paletteStart = reader.offset();
    if (!body && opcode >= 68 && opcode <= 71 && paletteStart >= 0) {
      FltVertex v;
      v.readFrom(reader);
      out.vertices[reader.offset() - paletteStart] = v;
    }
    if ((body = body || opcode == 10)) {
      out.tokens.push_back(fltToken(opcode, reader.bytes()));
      out.bytes.push_back(reader.bytes());
    }
  }
  EXPECT_FALSE(reader.faulted()) << reader.fault();
  const std::vector<std::string>& t = out.tokens;
  const size_t n = t.size();
  if (n < 5 || t[0] != "PUSH" || t[1] != "GROUP g1" || t[2] != "PUSH" || t[n - 2] != "POP" ||
      t[n - 1] != "POP") {
    ADD_FAILURE() << "the scene is not inside the export's frame";
    return {out.header, {}, {}, out.vertices};
  }
  out.tokens = std::vector<std::string>(t.begin() + 3, t.end() - 2);
  out.bytes = std::vector<std::vector<uint8_t>>(out.bytes.begin() + 3, out.bytes.end() - 2);
  return out;
}

// One export in a working directory of its own: an in-memory scene, an open output
// file with the three converters prepared on it, and the written file read back.
struct ConverterExport {
  ScopedWorkDir dir;
  MemoryScene scene;
  BitmapManagerScope managerScope{&scene.bitmapManager()};
  FltOutputFile file;
  MaterialConverter materials;
  TextureSource textures;
  MeshConverter mesh;
  std::vector<std::string> warnings;
  ExportContext context{file, 0, [this](const std::string& w) { warnings.push_back(w); }};
  std::string path;

  // The output goes to `outputDir` below the working directory ("": the directory itself).
  explicit ConverterExport(const std::string& outputDir = "", bool copyTextures = false) {
    std::string out = dir.path() + (outputDir.empty() ? "" : "/" + outputDir);
    std::filesystem::create_directories(out);
    path = out + "/scene.flt";
    EXPECT_TRUE(file.open(path, 1540));
    file.setWarningSink(context.warningSink());
    materials.prepare(context);
    textures.setCopyTextures(copyTextures);
    textures.prepare(path, context);
    mesh.prepare(context, materials, textures);
  }
  // The color index a face of color c holds (once a face has it, it is in the palette).
  int32_t colorIndex(const FltPackedColor& c) { return file.colors().colorIndex(c); }

  FltReadBack finish() {
    EXPECT_EQ(file.close(), 1) << file.error();
    return readBackFlt(path);
  }
};

// The tokens in one line; an empty text leaves no trailing blank ("COMMENT").
inline std::string joinedTokens(const FltReadBack& r) {
  std::string s;
  for (std::string t : r.tokens) {
    if (t.back() == ' ') t.pop_back();
    s += (s.empty() ? "" : " ") + t;
  }
  return s;
}

// Every record whose token starts with `kind`, parsed.
template <class R>
std::vector<R> writtenRecords(const FltReadBack& r, const std::string& kind) {
  std::vector<R> out;
  for (size_t i = 0; i < r.tokens.size(); ++i)
    if (r.tokens[i].rfind(kind, 0) == 0) out.push_back(r.parse<R>(i));
  return out;
}

// The vertices of every vertex list, in order.
inline std::vector<std::vector<FltVertex>> writtenCorners(const FltReadBack& r) {
  std::vector<std::vector<FltVertex>> out;
  for (size_t i = 0; i < r.tokens.size(); ++i)
    if (r.tokens[i].rfind("VERTEX_LIST", 0) == 0) out.push_back(r.listVertices(i));
  return out;
}

// An image file of the given size; the bitmap manager reads no more than its header.
inline void writeImage(const std::string& path, int width, int height) {
  std::ofstream(path, std::ios::binary) << "P6 " << width << ' ' << height << " 255\n";
}
