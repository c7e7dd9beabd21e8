// The command carries the scene's look (material colours, lighting, sidedness)
// into the export; --as-authored leaves the nodes as the file gives them.
#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <map>
#include <string>
#include <vector>

#include "tests/convert/export_test_support.h"
#include "tests/e2e/child_process.h"

namespace {

const std::string kBin = ZORVEL_BIN_DIR;

struct FaceLook {
  uint32_t rgb;  // 0xRRGGBB, as a reader shades the palette slot by the index's intensity
  int light;
  int draw;
};

uint32_t shaded(const FltPackedColor& c, int intensity) {
  auto channel = [intensity](uint8_t v) { return uint32_t(v * intensity / 127.0 + 0.5); };
  return channel(c.red) << 16 | channel(c.green) << 8 | channel(c.blue);
}

// Each face's look by its node's name (the long ID before "_f").
std::multimap<std::string, FaceLook> faceLooks(const std::string& path) {
  FltColorPalette palette;
  FltFileReader reader;
  EXPECT_TRUE(reader.open(path));
  while (reader.next())
    if (reader.opcode() == FltColorPalette::kOpcode) palette.readFrom(reader);
  const FltReadBack back = readBackFlt(path);
  std::multimap<std::string, FaceLook> looks;
  for (size_t i = 0; i + 1 < back.tokens.size(); ++i) {
    if (back.tokens[i].rfind("FACE ", 0) != 0) continue;
    const FltFace face = back.parse<FltFace>(i);
    const FltPackedColor& c = palette.slot(face.primaryColorIndex / 128);
    const int intensity = face.primaryColorIndex % 128;
    const std::string longId = back.tokens[i + 1];  // "LONG_ID pair_f0"
    const std::string node = longId.substr(8, longId.rfind("_f") - 8);
    looks.insert({node, {shaded(c, intensity), face.lightMode, face.drawType}});
  }
  return looks;
}

TEST(SourceLookTest, FacesKeepTheirMaterialsColourAndAreLitUnlessAsAuthored) {
  ScopedWorkDir dir;
  std::ofstream("two.mtl") << "newmtl green\nKd 0 1 0\nnewmtl blue\nKd 0 0 1\n";
  std::ofstream("scene.obj") << "mtllib two.mtl\nv 0 0 0\nv 1 0 0\nv 0 1 0\nv 1 1 0\n"
                             << "o pair\nusemtl blue\nf 1 2 3\nusemtl green\nf 2 4 3\n";
  // Assimp gives faces before a "usemtl" a material of the file: bare has a file of its own.
  std::ofstream("bare.obj") << "v 5 0 0\nv 6 0 0\nv 5 1 0\no bare\nf 1 2 3\n";
  for (const bool authored : {false, true}) {
    SCOPED_TRACE(authored ? "--as-authored" : "the source's look");
    std::vector<std::string> args = {kBin + "/zorvel", "--dialog=batch", "--quiet"};
    if (authored) args.push_back("--as-authored");
    for (const char* name : {"scene", "bare"}) {
      std::vector<std::string> one = args;
      one.insert(one.end(), {std::string(name) + ".obj", std::string(name) + ".flt"});
      const e2e::RunResult run = e2e::run(one);
      ASSERT_EQ(run.status, 0) << run.err;
    }
    std::multimap<std::string, FaceLook> looks = faceLooks("scene.flt");
    looks.merge(faceLooks("bare.flt"));
    ASSERT_EQ(looks.count("pair"), 2u);
    ASSERT_EQ(looks.count("bare"), 1u);
    std::vector<uint32_t> pairColors;
    for (auto [at, end] = looks.equal_range("pair"); at != end; ++at) {
      pairColors.push_back(at->second.rgb);
      EXPECT_EQ(at->second.light, authored ? 0 : 2);
      EXPECT_EQ(at->second.draw, 0);
    }
    std::sort(pairColors.begin(), pairColors.end());
    // As authored, the wire colour's grey (white at half intensity) covers every face
    // of a node without properties; otherwise each face keeps its sub-material's colour.
    const std::vector<uint32_t> expected =
        authored ? std::vector<uint32_t>{0x7E7E7E, 0x7E7E7E} : std::vector<uint32_t>{0xFF, 0xFF00};
    EXPECT_EQ(pairColors, expected);
    const FaceLook bare = looks.find("bare")->second;
    EXPECT_EQ(bare.rgb, 0x7E7E7Eu);
    EXPECT_EQ(bare.light, authored ? 0 : 2);
  }
}

}  // namespace
