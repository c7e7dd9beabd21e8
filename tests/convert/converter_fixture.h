#pragma once
// One export in a working directory of its own: an in-memory scene, an open output
// file with the three converters prepared on it, and the written file read back.

#include <gtest/gtest.h>

#include <fstream>
#include <string>
#include <vector>

#include "convert/material_converter.h"
#include "convert/mesh_converter.h"
#include "convert/texture_source.h"
#include "flt/color_palette.h"
#include "flt/face.h"
#include "flt/output_file.h"
#include "host/memory_scene.h"
#include "tests/convert/export_test_support.h"

struct ConverterExport {
  ExportWorkDir dir;
  MemoryScene scene;
  BitmapManagerScope managerScope{&scene.bitmapManager()};
  FltOutputFile file;
  MaterialConverter materials;
  TextureSource textures;
  MeshConverter mesh;
  std::vector<std::string> warnings;
  std::string path;

  // The output goes to `outputDir` below the working directory ("": the directory itself).
  explicit ConverterExport(const std::string& outputDir = "", bool copyTextures = false) {
    std::string out = dir.path() + (outputDir.empty() ? "" : "/" + outputDir);
    std::filesystem::create_directories(out);
    path = out + "/scene.flt";
    EXPECT_TRUE(file.open(path, 1540));
    materials.prepare(file, 0);
    textures.setCopyTextures(copyTextures);
    textures.prepare(path, file);
    mesh.prepare(file, 0, materials, textures);
    auto sink = [this](const std::string& w) { warnings.push_back(w); };
    textures.setWarningSink(sink);
    mesh.setWarningSink(sink);
  }
  // Before finish: the colour index a face of colour c holds (the colour is in the
  // palette already when a face has it).
  int32_t colorIndex(const FltPackedColor& c) { return file.components().colors->colorIndex(c); }

  FltReadBack finish() {
    EXPECT_EQ(file.close(), 1) << file.error();
    return readBackFlt(path);
  }
};

inline std::string joinedTokens(const FltReadBack& r) {
  std::string s;
  for (const std::string& t : r.tokens) s += (s.empty() ? "" : " ") + t;
  return s;
}

inline std::vector<FltFace> writtenFaces(const FltReadBack& r) {
  std::vector<FltFace> out;
  for (size_t i = 0; i < r.tokens.size(); ++i)
    if (r.tokens[i].rfind("FACE", 0) == 0) out.push_back(r.parse<FltFace>(i));
  return out;
}

// The vertices of every vertex list, in order.
inline std::vector<std::vector<FltVertex>> writtenCorners(const FltReadBack& r) {
  std::vector<std::vector<FltVertex>> out;
  for (size_t i = 0; i < r.tokens.size(); ++i)
    if (r.tokens[i].rfind("VERTEX_LIST", 0) == 0) out.push_back(r.listVertices(i));
  return out;
}

// A 24-bit BMP of the given size; only its header matters to the bitmap manager.
inline void writeBmp(const std::string& path, int width, int height) {
  std::vector<uint8_t> b(54 + ((width * 3 + 3) & ~3) * height, 0);
  auto put32 = [&b](size_t at, uint32_t v) {
    for (int i = 0; i < 4; ++i) b[at + i] = static_cast<uint8_t>(v >> (8 * i));
  };
  b[0] = 'B';
  b[1] = 'M';
  put32(2, static_cast<uint32_t>(b.size()));
  put32(10, 54);
  put32(14, 40);
  put32(18, static_cast<uint32_t>(width));
  put32(22, static_cast<uint32_t>(height));
  b[26] = 1;
  b[28] = 24;
  std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(b.data()), b.size());
}
