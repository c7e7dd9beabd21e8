// Texture path rules: the output directory, joining, resolution with and without copying,
// and the copy itself.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "tests/textures/texture_test_support.h"
#include "textures/texture_path.h"

namespace fs = std::filesystem;

namespace {

std::string resolved(const TexturePathContext& paths, std::string path) {
  paths.resolveTexturePath(path);
  return path;
}

TEST(TexturePath, OutputDirectoryAndJoin) {
  EXPECT_EQ(textureOutputDirectory("C:\\out\\scene.flt"), "C:\\out");
  EXPECT_EQ(textureOutputDirectory("/tmp/out/scene.flt"), "/tmp/out");
  // The root keeps its separator; a bare name has no directory of its own.
  EXPECT_EQ(textureOutputDirectory("/scene.flt"), "/");
  EXPECT_EQ(textureOutputDirectory("scene.flt"), "");

  EXPECT_EQ(joinTexturePath("/out", "wood.bmp"), "/out/wood.bmp");
  EXPECT_EQ(joinTexturePath("/out/", "/wood.bmp"), "/out/wood.bmp");
  EXPECT_EQ(joinTexturePath("C:\\out", "\\wood.bmp"), "C:\\out\\wood.bmp");
  EXPECT_EQ(joinTexturePath("", "wood.bmp"), "wood.bmp");
}

TEST(TexturePath, ResolutionFollowsTheCopyOptionAndTheOutputDirectory) {
  TexturePathContext paths;
  paths.setUp("/work", "C:\\out\\scene.flt");
  paths.setCopyTextures(true);
  EXPECT_TRUE(paths.copyApplies());
  EXPECT_EQ(resolved(paths, "D:\\maps\\wood.bmp"), "C:/out/wood.bmp");

  paths.setCopyTextures(false);
  EXPECT_FALSE(paths.copyApplies());
  EXPECT_EQ(resolved(paths, "D:\\maps\\wood.bmp"), "D:/maps/wood.bmp");

  // Output in the working directory, named or bare: copies go there too.
  paths.setUp("/work", "/work/scene.flt");
  paths.setCopyTextures(true);
  EXPECT_TRUE(paths.copyApplies());
  EXPECT_EQ(resolved(paths, "/maps\\wood.bmp"), "/work/wood.bmp");
  paths.setUp("/work", "scene.flt");
  EXPECT_EQ(resolved(paths, "/maps\\wood.bmp"), "/work/wood.bmp");
  // The root as output directory: images beside the file, not below its name.
  paths.setUp("/work", "/scene.flt");
  EXPECT_EQ(resolved(paths, "/maps/wood.bmp"), "/wood.bmp");
}

TEST(TexturePath, CopiesReplaceOnlyWhenTheStageCommitsAndReportFailures) {
  ScopedWorkDir dir;
  fs::create_directories("maps");
  fs::create_directories("out");
  std::ofstream("maps/wood.bmp") << "new image";
  std::ofstream("out/wood.bmp") << "old image";
  const std::string out = (fs::path(dir.path()) / "out").string();

  TexturePathContext paths;
  paths.setUp(dir.path(), out + "/scene.flt");
  paths.setCopyTextures(true);
  std::string target = "maps/wood.bmp";
  paths.resolveTexturePath(target);
  EXPECT_EQ(target, out + "/wood.bmp");
  std::string error;
  const WarningSink warn = [&error](const std::string& text) { error = text; };
  FileStage stage;
  EXPECT_TRUE(paths.copyTexture("maps/wood.bmp", target, stage, warn)) << error;
  EXPECT_EQ(fileText(target), "old image") << "replaced only when the export succeeds";
  stage.discard();
  EXPECT_EQ(fileText(target), "old image");
  EXPECT_EQ(std::distance(fs::directory_iterator("out"), {}), 1) << "nothing left behind";
  EXPECT_TRUE(paths.copyTexture("maps/wood.bmp", target, stage, warn)) << error;
  EXPECT_TRUE(stage.commit().empty());
  EXPECT_EQ(fileText(target), "new image");

  // A Windows-style source name still finds the file.
  std::ofstream("maps/stone.bmp") << "stone";
  target = "maps\\stone.bmp";
  paths.resolveTexturePath(target);
  EXPECT_TRUE(paths.copyTexture("maps\\stone.bmp", target, stage, warn)) << error;
  EXPECT_TRUE(stage.commit().empty());
  EXPECT_EQ(fileText(out + "/stone.bmp"), "stone");

  // An image already where it belongs is left alone, not copied onto itself.
  EXPECT_TRUE(paths.copyTexture(target, target, stage, warn)) << error;
  EXPECT_TRUE(stage.empty());
  EXPECT_EQ(fileText(target), "stone");

  EXPECT_FALSE(paths.copyTexture("maps/none.bmp", out + "/none.bmp", stage, warn));
  EXPECT_NE(error.find("maps/none.bmp"), std::string::npos) << error;
  EXPECT_TRUE(stage.empty());
}

TEST(TexturePath, PlainFileNamesStayInTheirFolder) {
  EXPECT_EQ(plainFileName("../../x/secret.png"), "secret.png");
  EXPECT_EQ(plainFileName("C:\\maps\\..\\wood.bmp"), "wood.bmp");
  EXPECT_EQ(plainFileName(".."), "texture");
  EXPECT_EQ(plainFileName("a/."), "texture");
  EXPECT_EQ(plainFileName(".hidden.png"), "hidden.png");
  EXPECT_EQ(plainFileName(std::string("ba\x01\x1b"
                                      "d\x7f.png")),
            "bad.png");
  EXPECT_EQ(plainFileName("/"), "texture");
}

}  // namespace
