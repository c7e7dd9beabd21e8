// Host materials and bitmap textures as palette entries: the material fields, the
// texture entries, paths with and without copying, one copy per image, and images
// that are missing or collide; DDS and KTX images as well as the common kinds.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "flt/file_summary.h"
#include "flt/material_palette.h"
#include "flt/texture_list.h"
#include "host/mesh_builders.h"
#include "tests/convert/export_test_support.h"
#include "tests/support/texture_headers.h"

namespace fs = std::filesystem;

namespace {

std::string readFile(const fs::path& path) {
  std::stringstream s;
  s << std::ifstream(path, std::ios::binary).rdbuf();
  return s.str();
}

void writeFile(const std::string& path, const std::vector<unsigned char>& bytes) {
  std::ofstream(path, std::ios::binary)
      .write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
}

class NoiseMap : public TextureMap {
 public:
  ClassId classId() const override { return {0x1234, 0}; }
  Matrix3 uvTransform() const override { return {}; }
  uint32_t textureTiling() const override { return 0; }
};

const FltTexture& entryOf(ConverterExport& ex, int patternIndex) {
  const FltTextureList& list = ex.file.textures();
  for (int i = 0; i < list.entryCount(); ++i)
    if (list.entry(i).patternIndex == patternIndex) return list.entry(i);
  ADD_FAILURE() << "no texture entry with pattern index " << patternIndex;
  return list.entry(0);
}

}  // namespace

TEST(MaterialConverter, StandardMaterialsBecomeOneEntryEach) {
  ConverterExport ex;
  MemoryStandardMaterial& m = ex.scene.addStandardMaterial("a_long_material");  // 15 characters
  m.specularColor = {1.0f, 0.5f, 0.25f};
  m.shininessValue = 0.5f;
  m.shininessStrengthValue = 0.5f;
  m.selfIlluminationValue = 0.7f;
  m.opacityValue = 0.8f;
  MemoryStandardMaterial& other = ex.scene.addStandardMaterial("other").setDiffuse({0, 0, 1});
  MemoryMultiMaterial& multi = ex.scene.addMultiMaterial("multi").addSubMaterial(&m);
  EXPECT_EQ(ex.materials.materialIndexOf(&m), 0);
  EXPECT_EQ(ex.materials.materialIndexOf(&other), 1);
  EXPECT_EQ(ex.materials.materialIndexOf(&m), 0);
  EXPECT_EQ(ex.materials.materialIndexOf(&multi), -1);
  EXPECT_EQ(ex.materials.materialIndexOf(nullptr), -1);
  const FltMaterialPalette& palette = ex.file.materials();
  ASSERT_EQ(palette.materialCount(), 2);
  const FltMaterial& f = palette.material(0);
  EXPECT_STREQ(f.name, "a_long_mate");
  EXPECT_FLOAT_EQ(f.diffuse[0], 0.588f);
  EXPECT_FLOAT_EQ(f.specular[0], 0.5f);
  EXPECT_FLOAT_EQ(f.specular[2], 0.125f);
  EXPECT_FLOAT_EQ(f.emissive[1], 0.7f);
  EXPECT_FLOAT_EQ(f.shininess, 64.0f);
  EXPECT_FLOAT_EQ(f.alpha, 0.8f);
  ex.finish();
}

TEST(TextureSource, EntriesTakeSizeAndWrappingFromTheMapAndPathsAsGivenOrCopied) {
  // Copying off, and copying on with the output in the working directory.
  for (bool copy : {false, true}) {
    ConverterExport ex(copy ? "" : "out", copy);
    fs::create_directories("maps");
    writeImage("maps/wood.ppm", 64, 32);
    writeImage("maps/wood2.ppm", 64, 32);
    MemoryBitmapTexture& u =
        ex.scene.addBitmapTexture("maps/wood.ppm").setTiling(TextureMap::kTileU);
    MemoryBitmapTexture& none = ex.scene.addBitmapTexture("maps/wood2.ppm").setTiling(0);
    NoiseMap noise;
    EXPECT_EQ(ex.textures.textureIndexOf(&noise), -1);
    EXPECT_EQ(ex.textures.textureIndexOf(nullptr), -1);
    EXPECT_EQ(ex.textures.textureIndexOf(&ex.scene.addBitmapTexture("")), -1);
    EXPECT_EQ(ex.textures.textureIndexOf(&u), 0);
    EXPECT_EQ(ex.textures.textureIndexOf(&none), 1);
    const FltTextureAttr& a = entryOf(ex, 0).attributes;
    EXPECT_EQ(std::vector<int>({a.texelsU, a.texelsV, a.fileFormat, a.minFilter}),
              std::vector<int>({64, 32, -1, 1}));
    EXPECT_DOUBLE_EQ(a.realWorldSizeV, 10.0);
    const FltTextureAttr& b = entryOf(ex, 1).attributes;
    EXPECT_EQ(std::vector<int>({a.repetitionU, a.repetitionV, a.repetitionType}),
              std::vector<int>({0, 1, 0}));
    EXPECT_EQ(std::vector<int>({b.repetitionU, b.repetitionV, b.repetitionType}),
              std::vector<int>({1, 1, 1}));
    EXPECT_EQ(entryOf(ex, 0).key(), copy ? ex.dir.path() + "/wood.ppm" : "maps/wood.ppm");
    ex.finish();
    EXPECT_FALSE(fs::exists("maps/wood.ppm.attr") || fs::exists("maps/wood2.ppm.attr"));
    if (copy) {
      EXPECT_TRUE(fs::exists("wood.ppm") && fs::exists("wood.ppm.attr"));
      EXPECT_TRUE(ex.warnings.empty()) << ex.warnings[0];
      continue;
    }
    EXPECT_FALSE(fs::exists("out/wood.ppm") || fs::exists("wood.ppm"));
    // Images outside the output folder get no attribute file, and one warning says so.
    ASSERT_EQ(ex.warnings.size(), 1u);
    EXPECT_NE(ex.warnings[0].find("beside maps/wood.ppm, maps/wood2.ppm:"), std::string::npos)
        << ex.warnings[0];
  }
}

TEST(TextureSource, CopiesGoOnceBesideTheOutputAndProblemsOnlyWarn) {
  ConverterExport ex("out", true);
  fs::create_directories("maps");
  writeImage("maps/wood.ppm", 16, 16);
  // Two maps of one image, as two materials would hold them.
  MemoryBitmapTexture& first = ex.scene.addBitmapTexture("maps/wood.ppm");
  MemoryBitmapTexture& second = ex.scene.addBitmapTexture(ex.dir.path() + "/maps/wood.ppm");
  const std::string out = ex.dir.path() + "/out";
  EXPECT_EQ(ex.textures.textureIndexOf(&first), 0);
  EXPECT_FALSE(fs::exists(out + "/wood.ppm")) << "copies are put in place with the output";
  EXPECT_TRUE(ex.file.stage().holds(out + "/wood.ppm"));
  const size_t staged = ex.file.stage().size();
  EXPECT_EQ(ex.textures.textureIndexOf(&second), 0);
  EXPECT_EQ(ex.file.stage().size(), staged) << "copied once";
  EXPECT_EQ(entryOf(ex, 0).key(), out + "/wood.ppm");
  EXPECT_EQ(entryOf(ex, 0).fileName, "wood.ppm");

  // An image the host's loader finds in a search folder is copied from there.
  fs::create_directories("more");
  writeImage("more/stone.ppm", 8, 8);
  ex.scene.bitmapManager().addSearchFolder("more");
  EXPECT_EQ(ex.textures.textureIndexOf(&ex.scene.addBitmapTexture("stone.ppm")), 1);
  EXPECT_TRUE(ex.file.stage().holds(out + "/stone.ppm"));
  EXPECT_TRUE(ex.warnings.empty()) << ex.warnings[0];

  // A missing image: one warning, none more for the copy that cannot happen, and
  // the faces still name its entry.
  MemoryBitmapTexture& gone = ex.scene.addBitmapTexture("maps/gone.ppm");
  MemoryStandardMaterial& mat = ex.scene.addStandardMaterial("m").setDiffuseMap(&gone);
  EXPECT_EQ(ex.mesh.convertNode(&ex.scene.addNode("n").setMesh(makeQuadMesh()).setMaterial(&mat)),
            1);
  ASSERT_EQ(ex.warnings.size(), 1u);
  EXPECT_NE(ex.warnings[0].find("maps/gone.ppm"), std::string::npos);
  EXPECT_EQ(entryOf(ex, 2).width(), 0);

  // Two images of one file name get names of their own beside the output.
  fs::create_directories("a");
  fs::create_directories("b");
  writeImage("a/bark.ppm", 4, 4);
  writeImage("b/bark.ppm", 8, 8);
  EXPECT_EQ(ex.textures.textureIndexOf(&ex.scene.addBitmapTexture("a/bark.ppm")), 3);
  EXPECT_EQ(ex.textures.textureIndexOf(&ex.scene.addBitmapTexture("b/bark.ppm")), 4);
  EXPECT_EQ(ex.textures.textureIndexOf(&ex.scene.addBitmapTexture("a/../b/bark.ppm")), 4);
  EXPECT_EQ(entryOf(ex, 4).fileName, "bark_1.ppm");
  EXPECT_EQ(entryOf(ex, 4).width(), 8);
  EXPECT_EQ(ex.warnings.size(), 1u);
  EXPECT_EQ(writtenRecords<FltFace>(ex.finish(), "FACE")[0].texturePattern, 2);
  EXPECT_EQ(readFile(out + "/wood.ppm"), readFile("maps/wood.ppm"));
  EXPECT_EQ(readFile(out + "/stone.ppm"), readFile("more/stone.ppm"));
  EXPECT_EQ(readFile("out/bark_1.ppm"), readFile("b/bark.ppm"));
  EXPECT_EQ(readFile("out/bark.ppm"), readFile("a/bark.ppm"));
}

// Scene files name any file as an image: only images are copied, never over a file
// that is no image, and attribute files go only beside images in the output folder.
TEST(TextureSource, NamesFromTheSceneWriteNothingOutsideTheOutputFolder) {
  for (bool copy : {false, true}) {
    ConverterExport ex("out", copy);
    const std::string out = ex.dir.path() + "/out";
    fs::create_directories("victim");
    std::ofstream("victim/secret.txt") << "not an image";
    std::ofstream("victim/scene.bin") << "the scene's own data";
    std::ofstream(out + "/scene.bin") << "beside the output";
    writeImage("victim/wood.ppm", 4, 4);
    writeImage(out + "/here.ppm", 2, 2);
    std::ofstream(out + "/here.ppm.attr") << "a file of the user's";
    // An image the scene's reader read (here as a part of the scene) is the scene's own.
    writeImage("victim/part.ppm", 4, 4);
    writeImage(out + "/part.ppm", 2, 2);
    ex.textures.setKeptFiles({out + "/part.ppm"});
    for (const char* name : {"victim/secret.txt", "../victim/scene.bin", "victim/wood.ppm",
                             "out/here.ppm", "victim/gone.ppm", "victim/part.ppm"})
      ex.textures.textureIndexOf(&ex.scene.addBitmapTexture(name));
    ex.finish();
    EXPECT_EQ(readFile(out + "/part.ppm"), "P6 2 2 255\n") << "the reader's file stays";
    EXPECT_FALSE(fs::exists(out + "/part.ppm.attr"));
    // Nothing beside the source images, copied or not.
    for (const char* name : {"victim/secret.txt.attr", "victim/scene.bin.attr",
                             "victim/wood.ppm.attr", "victim/gone.ppm.attr"})
      EXPECT_FALSE(fs::exists(name)) << name;
    EXPECT_EQ(readFile("victim/scene.bin"), "the scene's own data");
    EXPECT_EQ(readFile(out + "/scene.bin"), "beside the output");
    EXPECT_FALSE(fs::exists(out + "/secret.txt"));
    // An image this export copied gets its attribute file; another one's is kept.
    EXPECT_EQ(fs::exists(out + "/wood.ppm") && fs::exists(out + "/wood.ppm.attr"), copy);
    EXPECT_EQ(readFile(out + "/here.ppm.attr"), "a file of the user's");
    bool keptNamed = false;
    for (const std::string& w : ex.warnings)
      keptNamed |= w.rfind("kept texture attribute file ", 0) == 0 &&
                   w.find("out/here.ppm.attr:") != std::string::npos;
    EXPECT_TRUE(keptNamed) << ::testing::PrintToString(ex.warnings);
  }
}

// Compressed GPU textures: their size reaches the palette and the attribute file,
// and one in the output folder counts as an image that a copy may replace.
TEST(TextureSource, DdsAndKtxImagesGetTheirSizeAndCopyLikeAnyImage) {
  ConverterExport ex("out", true);
  const std::string out = ex.dir.path() + "/out";
  fs::create_directories("maps");
  std::vector<unsigned char> ground = ddsHeader(256, 128, true);
  ground.resize(ground.size() + 256 * 128 / 2, 0x33);  // the BC1 blocks
  writeFile("maps/ground.dds", ground);
  writeFile("maps/sky.ktx2", ktx2Header(1024, 512));
  writeFile(out + "/sky.ktx2", ktx2Header(16, 16));  // an older copy
  writeFile("maps/wall.ktx", ktx1Header(64, 32, true));
  // Cut short in the output folder: no image, so kept.
  std::vector<unsigned char> cutShort = ddsHeader(64, 64);
  cutShort.resize(100);
  writeFile(out + "/wall.ktx", cutShort);

  for (const char* name : {"maps/ground.dds", "maps/sky.ktx2", "maps/wall.ktx"})
    ex.textures.textureIndexOf(&ex.scene.addBitmapTexture(name));
  const auto size = [&](int pattern) {
    const FltTextureAttr& a = entryOf(ex, pattern).attributes;
    return std::to_string(a.texelsU) + " x " + std::to_string(a.texelsV);
  };
  EXPECT_EQ(size(0), "256 x 128");
  EXPECT_EQ(size(1), "1024 x 512");
  EXPECT_EQ(size(2), "64 x 32");
  ex.finish();
  EXPECT_EQ(readFile(out + "/ground.dds"), readFile("maps/ground.dds"));
  EXPECT_EQ(readFile(out + "/sky.ktx2"), readFile("maps/sky.ktx2"));
  EXPECT_EQ(readFile(out + "/wall.ktx").size(), 100u);
  // The kept file is told, and that it alone gets no attribute file.
  ASSERT_EQ(ex.warnings.size(), 2u) << ::testing::PrintToString(ex.warnings);
  EXPECT_NE(ex.warnings[0].find("kept " + out + "/wall.ktx: it is no image"), std::string::npos)
      << ex.warnings[0];
  EXPECT_NE(ex.warnings[1].find("beside " + out + "/wall.ktx:"), std::string::npos)
      << ex.warnings[1];
  EXPECT_TRUE(fs::exists(out + "/ground.dds.attr") && fs::exists(out + "/sky.ktx2.attr"));

  // The summary reads the sizes back from the attribute files beside the copies.
  FltFileReader reader;
  ASSERT_TRUE(reader.open(ex.path));
  std::vector<std::string> summarised;
  for (const FltTextureSummary& t : summariseFltFile(reader).textures)
    summarised.push_back(fs::path(t.file).filename().string() + " " + std::to_string(t.width) +
                         " x " + std::to_string(t.height));
  EXPECT_EQ(summarised, (std::vector<std::string>{"ground.dds 256 x 128", "sky.ktx2 1024 x 512",
                                                  "wall.ktx 0 x 0"}));
}
