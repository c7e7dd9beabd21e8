// The example town scene (examples/town.gltf) exported through the zorvel program,
// then read back record by record with the records' own parse side: every part of
// the property vocabulary that the scene carries must reach its record.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <string>
#include <vector>

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
#include "flt/switch.h"
#include "flt/text_record.h"
#include "flt/texture.h"
#include "flt/texture_attr.h"
#include "flt/vector.h"
#include "flt/vertex.h"
#include "tests/e2e/child_process.h"
#include "tests/support/big_endian.h"
#include "tests/support/temp_dir.h"

namespace fs = std::filesystem;

namespace {

constexpr uint16_t kPush = 10, kPop = 11, kPushSubface = 19, kPopSubface = 20;
constexpr uint16_t kComment = 31, kVertexList = 72, kVertexPalette = 67;

std::string slurp(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

struct Rec {
  uint16_t opcode;
  std::vector<uint8_t> bytes;
  std::string id;  // the 8-byte ID of the kinds that carry one
};

// The written file, read once for every test of the suite.
struct Export {
  TempDir temp{"zorvel_example"};
  fs::path dir = temp.path();
  int status = -1;
  int checkStatus = -1;
  std::string log;
  FltHeader header;
  std::vector<Rec> records;               // every record after the vertex palette
  std::vector<Rec> palettes;              // every record before it
  std::map<int32_t, FltVertex> vertices;  // by offset in the vertex palette
};

Export* gExport = nullptr;

class ExampleSceneTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    gExport = new Export;
    Export& e = *gExport;
    ASSERT_FALSE(e.dir.empty());
    // The scene is copied so that nothing is ever written beside the sources.
    const fs::path examples = fs::path(ZORVEL_SOURCE_DIR) / "examples";
    fs::create_directories(e.dir / "in");
    fs::create_directories(e.dir / "out");
    for (const char* name : {"town.gltf", "town.bin", "checker.png", "gradient.png"})
      fs::copy_file(examples / name, e.dir / "in" / name);

    const std::string bin = ZORVEL_BIN_DIR;
    // Run inside the folder, to see that nothing lands in the working directory.
    const e2e::RunResult exported = e2e::run({bin + "/zorvel", "--dialog=batch", "--copy-textures",
                                              "--quiet", "in/town.gltf", "out/town.flt"},
                                             {}, e.dir.string());
    const e2e::RunResult checked =
        e2e::run({bin + "/fltdump", "--check", "out/town.flt"}, {}, e.dir.string());
    e.status = exported.status;
    e.checkStatus = checked.status;
    e.log = exported.err + checked.out + checked.err;
    read(e);
  }
  static void TearDownTestSuite() {
    delete gExport;
    gExport = nullptr;
  }

  static void read(Export& e) {
    FltFileReader reader;
    if (!reader.open((e.dir / "out/town.flt").string())) return;
    int64_t paletteStart = -1;
    bool body = false;
    while (reader.next()) {
      Rec r{reader.opcode(), reader.bytes(), {}};
      for (size_t i = 4; i < 12 && i < r.bytes.size() && r.bytes[i]; ++i) r.id += char(r.bytes[i]);
      if (reader.index() == 0) e.header.readFrom(reader);
      if (r.opcode == kVertexPalette) paletteStart = reader.offset();
      if (paletteStart >= 0 && r.opcode >= 68 && r.opcode <= 71) {
        FltVertex v;
        v.readFrom(reader);
        e.vertices[int32_t(reader.offset() - paletteStart)] = v;
      }
      if (r.opcode == kPush) body = true;
      (body ? e.records : e.palettes).push_back(std::move(r));
    }
    EXPECT_FALSE(reader.faulted()) << reader.fault();
  }

  void SetUp() override {
    ASSERT_EQ(gExport->status, 0) << gExport->log;
    ASSERT_FALSE(gExport->records.empty()) << gExport->log;
  }

  const std::vector<Rec>& records() const { return gExport->records; }
  int version() const { return gExport->header.formatRevision; }

  template <class R>
  R parse(const Rec& rec) const {
    FltRecord record;
    record.assign(rec.bytes.data(), static_cast<int>(rec.bytes.size()));
    R r;
    r.parse(record, version());
    return r;
  }
  // The first record of that kind and ID; the test stops when there is none.
  size_t find(uint16_t opcode, const std::string& id = "") const {
    for (size_t i = 0; i < records().size(); ++i)
      if (records().at(i).opcode == opcode && (id.empty() || records().at(i).id == id)) return i;
    ADD_FAILURE() << "no record " << opcode << " " << id;
    return records().size();
  }
  // The index of the face written with this long ID ("Panel_f0").
  size_t faceNamed(const std::string& longId) const {
    for (size_t i = 1; i < records().size(); ++i)
      if (records().at(i).opcode == FltLongId::kOpcode &&
          records().at(i - 1).opcode == FltFace::kOpcode &&
          parse<FltLongId>(records().at(i)).text() == longId)
        return i - 1;
    ADD_FAILURE() << "no face " << longId;
    return records().size();
  }
  std::vector<FltVertex> listVertices(const Rec& list) const {
    std::vector<FltVertex> out;
    for (size_t at = 4; at + 4 <= list.bytes.size(); at += 4) {
      const int32_t offset = int32_t(be32(list.bytes, at));
      auto found = gExport->vertices.find(offset);
      if (found == gExport->vertices.end()) {
        ADD_FAILURE() << "vertex list names offset " << offset;
        continue;
      }
      out.push_back(found->second);
    }
    return out;
  }
  // The vertex list below the face at `face` (face, long ID, comment?, push, list).
  std::vector<FltVertex> faceVertices(size_t face) const {
    for (size_t i = face + 1; i < records().size() && i < face + 6; ++i)
      if (records().at(i).opcode == kVertexList) return listVertices(records().at(i));
    ADD_FAILURE() << "face without a vertex list";
    return {};
  }
  // A color index names a full-intensity palette slot and the color's brightness.
  void expectColor(int32_t index, int r, int g, int b) const {
    FltColorPalette colors;
    FltRecord record;
    const Rec& rec = palette(FltColorPalette::kOpcode);
    record.assign(rec.bytes.data(), int(rec.bytes.size()));
    colors.parse(record, version());
    ASSERT_GE(index, 0);
    ASSERT_LT(index / 128, colors.capacity());
    const FltPackedColor full = FltColorPalette::fullIntensity(FltPackedColor::fromBytes(r, g, b));
    EXPECT_EQ(colors.slot(index / 128).compare(full), 0) << "index " << index;
    EXPECT_NEAR(index % 128, std::max({r, g, b}) * 127.0 / 255.0, 1.0) << "index " << index;
  }
  const Rec& palette(uint16_t opcode, int nth = 0) const {
    for (const Rec& r : gExport->palettes)
      if (r.opcode == opcode && nth-- == 0) return r;
    static const Rec none{0, {}, {}};
    ADD_FAILURE() << "no palette record " << opcode;
    return none;
  }
};

void expectVertexAt(const FltVertex& v, double x, double y, double z) {
  EXPECT_NEAR(v.x, x, 1e-5);
  EXPECT_NEAR(v.y, y, 1e-5);
  EXPECT_NEAR(v.z, z, 1e-5);
}

TEST_F(ExampleSceneTest, FileIsSoundAndHeaderTakesTheHeaderNode) {
  EXPECT_EQ(gExport->checkStatus, 0) << gExport->log;
  // The example types only keys some record takes, each as its reader wants it.
  EXPECT_EQ(gExport->log.find("warning"), std::string::npos) << gExport->log;
  const FltHeader& h = gExport->header;
  EXPECT_EQ(h.formatRevision, 1540);
  EXPECT_EQ(h.vertexUnits, 4);  // Feet
  EXPECT_EQ(h.projection, 3);   // Lambert_Conic
  EXPECT_EQ(h.ellipsoid, 3);    // Clarke_1866
  // The dialog shows the latitudes as text and reads them back.
  EXPECT_NEAR(h.originLat, 37.5, 1e-4);
  EXPECT_NEAR(h.originLon, -122.25, 1e-4);
  EXPECT_NEAR(h.upperLambertLat, 40.0, 1e-4);
  EXPECT_NEAR(h.lowerLambertLat, 35.0, 1e-4);
  // The header node itself writes nothing.
  for (const Rec& r : records()) {
    if (r.opcode == FltLongId::kOpcode) {
      EXPECT_NE(parse<FltLongId>(r).text(), "FLT_HEADER");
    }
  }
}

TEST_F(ExampleSceneTest, GroupTakesItsKeysAndCommentLosesTheKeyLines) {
  const size_t at = find(FltGroup::kOpcode, "Town");
  ASSERT_LT(at + 1, records().size());
  const FltGroup g = parse<FltGroup>(records().at(at));
  EXPECT_EQ(g.relativePriority, 3);  // from the key line inside the free text
  EXPECT_EQ(g.specialEffectId1, 11);
  EXPECT_EQ(g.specialEffectId2, 12);
  EXPECT_EQ(g.significance, 5);
  EXPECT_EQ(g.layerCode, 7);
  EXPECT_EQ(g.flags, 0x14000000u);  // bounding box, default parent; the town does not animate
  // The small group meant to animate does, cycling through its two frames.
  const FltGroup flag = parse<FltGroup>(records().at(find(FltGroup::kOpcode, "Flag")));
  EXPECT_EQ(flag.flags, 0x60000000u);
  ASSERT_EQ(records().at(at + 1).opcode, kComment);
  EXPECT_EQ(parse<FltComment>(records().at(at + 1)).text(),
            "Town square of the Zorvel demo.\r\nWritten by examples/make_town.py.\r\n");
  // Lines that hold no key stay in the comment.
  const size_t sign = faceNamed("Sign_f0");
  ASSERT_EQ(records().at(sign + 2).opcode, kComment);
  EXPECT_EQ(parse<FltComment>(records().at(sign + 2)).text(),
            "wireinput = -1\r\nwireoutput = -1\r\n");
}

TEST_F(ExampleSceneTest, LodDofSwitchBspClipRegionAndExternalReference) {
  const FltLod lod = parse<FltLod>(records().at(find(FltLod::kOpcode, "Houses")));
  EXPECT_DOUBLE_EQ(lod.switchInDistance, 500.0);
  EXPECT_DOUBLE_EQ(lod.switchOutDistance, 10.0);
  EXPECT_DOUBLE_EQ(lod.transitionRange, 25.0);
  EXPECT_DOUBLE_EQ(lod.centerY, 10.0);
  EXPECT_DOUBLE_EQ(lod.centerZ, 2.25);
  EXPECT_EQ(lod.flags & 0x04000000u, 0x04000000u);
  EXPECT_EQ(lod.specialEffectId2, 2);

  const FltDof dof = parse<FltDof>(records().at(find(FltDof::kOpcode, "Door")));
  EXPECT_DOUBLE_EQ(dof.translateZ.minimum, 0.0);
  EXPECT_DOUBLE_EQ(dof.translateZ.maximum, 2.5);
  EXPECT_DOUBLE_EQ(dof.translateZ.increment, 0.5);
  EXPECT_DOUBLE_EQ(dof.yaw.minimum, -90.0);
  EXPECT_DOUBLE_EQ(dof.yaw.maximum, 90.0);
  EXPECT_DOUBLE_EQ(dof.yaw.increment, 5.0);
  EXPECT_DOUBLE_EQ(dof.scaleX.current, 1.0);
  EXPECT_DOUBLE_EQ(dof.translateX.minimum, -1000000.0);
  EXPECT_EQ(dof.flags, 0x24000000u);  // only z translation and yaw are limited

  const FltSwitch sw = parse<FltSwitch>(records().at(find(FltSwitch::kOpcode, "Signal")));
  EXPECT_EQ(sw.currentMask, 1);
  EXPECT_EQ(sw.wordsPerMask, 1);
  EXPECT_EQ(sw.maskWords, (std::vector<uint32_t>{1, 2}));

  const FltBsp bsp = parse<FltBsp>(records().at(find(FltBsp::kOpcode, "Split")));
  EXPECT_DOUBLE_EQ(bsp.a, 1.0);
  EXPECT_DOUBLE_EQ(bsp.b, 0.0);
  EXPECT_DOUBLE_EQ(bsp.c, 0.0);
  EXPECT_DOUBLE_EQ(bsp.d, -5.0);

  const FltClipRegion clip =
      parse<FltClipRegion>(records().at(find(FltClipRegion::kOpcode, "Window")));
  const double corners[4][3] = {{-6, -8, 0}, {6, -8, 0}, {6, -8, 5}, {-6, -8, 5}};
  for (int c = 0; c < 4; ++c)
    for (int a = 0; a < 3; ++a) EXPECT_DOUBLE_EQ(clip.corners[c][a], corners[c][a]) << c << a;
  const uint8_t edges[] = {1, 0, 1, 0, 1};  // bottom, right, top, left, back
  for (int i = 0; i < FltClipRegion::kEdgeCount; ++i) EXPECT_EQ(clip.edgeFlags[i], edges[i]) << i;

  const FltExternalRef xref = parse<FltExternalRef>(records().at(find(FltExternalRef::kOpcode)));
  EXPECT_STREQ(xref.path, "annex_model.flt");
  EXPECT_EQ(xref.flags & 0xFC000000u, 0x64000000u);  // materials, textures, light sources
}

TEST_F(ExampleSceneTest, LightPointAndLightStringCarryVectorAndVertices) {
  const size_t at = find(FltLightPoint::kOpcode);
  ASSERT_LT(at + 4, records().size());
  const FltLightPoint lp = parse<FltLightPoint>(records().at(at));
  EXPECT_EQ(lp.surfaceMaterialCode, 21);
  EXPECT_EQ(lp.displayMode, 0);  // Raster
  EXPECT_FLOAT_EQ(lp.intensity, 1.5f);
  EXPECT_EQ(lp.fogPunchMode, 1);
  EXPECT_EQ(lp.directionality, 1);  // Uni-directional
  EXPECT_FLOAT_EQ(lp.horizontalLobeAngle, 60.0f);
  EXPECT_EQ(lp.calligraphicDrawOrder, 2);
  // no back color, medium randomising, perspective, flashing, high quality, dusk, night
  EXPECT_EQ(lp.flags, 0x40000000u | 33554432u | 0x00800000u | 0x00400000u | 262144u | 0x00008000u |
                          0x00004000u);
  EXPECT_DOUBLE_EQ(lp.axisZ, 1.0);

  ASSERT_EQ(records().at(at + 1).opcode, FltVector::kOpcode);
  const FltVector dir = parse<FltVector>(records().at(at + 1));
  EXPECT_DOUBLE_EQ(dir.j, -1.0);
  EXPECT_EQ(records().at(at + 2).opcode, kPush);
  ASSERT_EQ(records().at(at + 3).opcode, kVertexList);
  const std::vector<FltVertex> lamps = listVertices(records().at(at + 3));
  ASSERT_EQ(lamps.size(), 3u);
  // Each lamp is the centre of its marker box, turned from Y-up to Z-up.
  expectVertexAt(lamps[0], -4, 20, 0.1);
  expectVertexAt(lamps[1], 0, 20, 0.1);
  expectVertexAt(lamps[2], 4, 20, 0.1);
  EXPECT_EQ(records().at(at + 4).opcode, kPop);

  size_t fence = records().size();
  for (size_t i = 0; i < records().size(); ++i)
    if (records().at(i).opcode == FltFace::kOpcode && parse<FltFace>(records().at(i)).drawType == 9)
      fence = i;
  ASSERT_LT(fence + 3, records().size()) << "no light string face";
  expectColor(parse<FltFace>(records().at(fence)).primaryColorIndex, 0xFF, 0xD7, 0x00);
  ASSERT_EQ(records().at(fence + 1).opcode, FltVector::kOpcode);
  EXPECT_DOUBLE_EQ(parse<FltVector>(records().at(fence + 1)).i, 1.0);
  ASSERT_EQ(records().at(fence + 3).opcode, kVertexList);
  const std::vector<FltVertex> posts = listVertices(records().at(fence + 3));
  ASSERT_EQ(posts.size(), 2u);
  expectVertexAt(posts[0], 12, 3, 1);
  expectVertexAt(posts[1], 12, -3, 1);
}

TEST_F(ExampleSceneTest, TexturedFacesAndTheTexturePalette) {
  const FltTexture checker = parse<FltTexture>(palette(FltTexture::kOpcode, 0));
  const FltTexture gradient = parse<FltTexture>(palette(FltTexture::kOpcode, 1));
  EXPECT_EQ(checker.fileName, "checker.png");
  EXPECT_EQ(gradient.fileName, "gradient.png");
  EXPECT_NE(checker.patternIndex, gradient.patternIndex);

  // The images are copied beside the output, each with its attribute file.
  const fs::path out = gExport->dir / "out";
  const std::pair<const char*, int> sizes[] = {{"checker.png", 64}, {"gradient.png", 32}};
  for (const auto& [name, size] : sizes) {
    EXPECT_EQ(slurp(out / name), slurp(gExport->dir / "in" / name)) << name;
    const std::string attr = slurp(out / (std::string(name) + ".attr"));
    ASSERT_EQ(attr.size(), size_t(FltTextureAttr::kBaseLength)) << name;
    FltRecord buffer;
    buffer.assign(reinterpret_cast<const uint8_t*>(attr.data()), int(attr.size()));
    FltTextureAttr a;
    a.parse(buffer);
    EXPECT_EQ(a.texelsU, size) << name;
    EXPECT_EQ(a.texelsV, size) << name;
  }

  // The second image joins the first one's page: the layout is dumped beside the
  // output, under its stem, and the working directory stays as it was.
  const std::string layout = slurp(out / "town.layout.txt");
  EXPECT_NE(layout.find("tex #1, x:"), std::string::npos) << layout;
  EXPECT_NE(layout.find("gradient.png"), std::string::npos) << layout;
  EXPECT_FALSE(fs::exists(gExport->dir / "layout.txt"));

  int onChecker = 0, onGradient = 0;
  for (const Rec& r : records()) {
    if (r.opcode != FltFace::kOpcode) continue;
    const int16_t pattern = parse<FltFace>(r).texturePattern;
    onChecker += pattern == checker.patternIndex;
    onGradient += pattern == gradient.patternIndex;
  }
  EXPECT_EQ(onChecker, 6);   // the house's sides
  EXPECT_EQ(onGradient, 4);  // the roof's slopes
  for (const FltVertex& v : faceVertices(faceNamed("House_f0"))) EXPECT_TRUE(v.hasTexCoord());
}

TEST_F(ExampleSceneTest, ColoredFacesFlagsAndMaterial) {
  const FltFace panel = parse<FltFace>(records().at(faceNamed("Panel_f0")));
  expectColor(panel.primaryColorIndex, 0x8B, 0x45, 0x13);
  EXPECT_EQ(panel.flags & FltFace::kFlagNoColor, 0u);

  const FltFace ground = parse<FltFace>(records().at(faceNamed("Ground_f0")));
  EXPECT_EQ(ground.flags & 0xFC000000u, FltFace::kFlagTerrain | FltFace::kFlagFootprint);
  expectColor(ground.primaryColorIndex, 0x6B, 0x8E, 0x23);
  expectColor(ground.alternateColorIndex, 0x55, 0x6B, 0x2F);
  EXPECT_EQ(ground.surfaceMaterialCode, 3);
  EXPECT_EQ(ground.featureId, 7);
  EXPECT_EQ(ground.irMaterialCode, 12);
  // The grid's twelve triangles merge row by row: one convex polygon around its
  // middle vertex would turn concave there first.
  for (const char* row : {"Ground_f0", "Ground_f1", "Ground_f2"})
    EXPECT_EQ(faceVertices(faceNamed(row)).size(), 6u) << row;
  EXPECT_EQ(parse<FltFace>(records().at(faceNamed("Shadow_f0"))).flags & FltFace::kFlagHidden,
            FltFace::kFlagHidden);

  const FltFace sign = parse<FltFace>(records().at(faceNamed("Sign_f0")));
  EXPECT_EQ(sign.billboard, 2);  // Axial_Rotate
  ASSERT_EQ(sign.materialIndex, 0);
  const FltMaterial paint = parse<FltMaterial>(palette(FltMaterial::kOpcode));
  EXPECT_STREQ(paint.name, "Paint");
  EXPECT_NEAR(paint.diffuse[2], 0.8f, 1e-6);

  // The super face's child lies between push and pop subface right after it.
  const size_t deck = faceNamed("Deck_f0");
  size_t pushSub = deck;
  while (pushSub < records().size() && records().at(pushSub).opcode != kPushSubface) ++pushSub;
  ASSERT_LT(pushSub + 1, records().size());
  EXPECT_EQ(records().at(deck + 4).opcode, kVertexList);
  EXPECT_EQ(pushSub, deck + 6);  // face, long ID, comment, push, list, pop
  EXPECT_EQ(faceNamed("Decal_f0"), pushSub + 1);
  size_t popSub = pushSub;
  while (popSub < records().size() && records().at(popSub).opcode != kPopSubface) ++popSub;
  EXPECT_LT(popSub, records().size());
}

// Every face turns its front to where its vertex normals point, the mirrored ramp's
// included: a winding reversed by a negative scale would show its back.
TEST_F(ExampleSceneTest, FacesWindTowardsTheirNormals) {
  int checked = 0;
  for (size_t i = 0; i < records().size(); ++i) {
    if (records().at(i).opcode != FltFace::kOpcode || parse<FltFace>(records().at(i)).drawType >= 8)
      continue;
    const std::vector<FltVertex> v = faceVertices(i);
    if (v.size() < 3 || !v[0].hasNormal()) continue;
    double n[3] = {0, 0, 0};  // Newell's normal of the loop
    for (size_t k = 0; k < v.size(); ++k) {
      const FltVertex& a = v[k];
      const FltVertex& b = v[(k + 1) % v.size()];
      n[0] += (a.y - b.y) * (a.z + b.z);
      n[1] += (a.z - b.z) * (a.x + b.x);
      n[2] += (a.x - b.x) * (a.y + b.y);
    }
    EXPECT_GT(n[0] * v[0].normalI + n[1] * v[0].normalJ + n[2] * v[0].normalK, 0.0)
        << "face record " << i;
    ++checked;
  }
  EXPECT_EQ(checked, 33);  // every face of the scene but the light string
  EXPECT_EQ(faceVertices(faceNamed("Ramp_f0")).size(), 4u);
}

}  // namespace
