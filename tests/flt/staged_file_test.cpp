// Files that get their name only when the export succeeds.
#include "flt/staged_file.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "flt/file_stage.h"
#include "tests/support/temp_dir.h"

namespace fs = std::filesystem;

namespace {

std::string text(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

std::vector<std::string> listing(const std::string& folder) {
  std::vector<std::string> names;
  for (const auto& e : fs::directory_iterator(folder)) names.push_back(e.path().filename());
  std::sort(names.begin(), names.end());
  return names;
}

mode_t modeOf(const std::string& path) {
  struct stat st;
  return stat(path.c_str(), &st) == 0 ? st.st_mode & 07777 : 0;
}

TEST(StagedFileTest, NamedOnlyByCommitKeepingModeAndSymlink) {
  ScopedWorkDir dir;
  fs::create_directories("out");
  {
    StagedFile f;
    ASSERT_TRUE(f.open("out/new.flt")) << f.error();
    std::fputs("new", f.stream());
    EXPECT_EQ(listing("out"), std::vector<std::string>{}) << "no name before the commit";
    ASSERT_TRUE(f.commit()) << f.error();
    EXPECT_EQ(text("out/new.flt"), "new");
    const mode_t mask = umask(0);
    umask(mask);
    EXPECT_EQ(modeOf("out/new.flt"), 0666 & ~mask);
  }
  {
    // Dropped, or never committed: the old file stays and nothing is left.
    StagedFile f;
    ASSERT_TRUE(f.open("out/new.flt"));
    std::fputs("lost", f.stream());
    f.discard();
    StagedFile g;
    ASSERT_TRUE(g.open("out/new.flt"));
    std::fputs("lost too", g.stream());
  }
  EXPECT_EQ(text("out/new.flt"), "new");
  EXPECT_EQ(listing("out"), std::vector<std::string>{"new.flt"});

  // A read-only file is replaced as read-only; a symlink keeps linking to the new file.
  std::ofstream("out/target.flt") << "old";
  fs::permissions("out/target.flt", fs::perms(0444));
  fs::create_symlink("target.flt", "out/link.flt");
  StagedFile f;
  ASSERT_TRUE(f.open("out/link.flt"));
  EXPECT_EQ(f.target(), "out/target.flt");
  std::fputs("replaced", f.stream());
  ASSERT_TRUE(f.commit()) << f.error();
  EXPECT_TRUE(fs::is_symlink("out/link.flt"));
  EXPECT_EQ(text("out/link.flt"), "replaced");
  EXPECT_EQ(modeOf("out/target.flt"), 0444u);
  EXPECT_EQ(listing("out"), (std::vector<std::string>{"link.flt", "new.flt", "target.flt"}));
}

TEST(StagedFileTest, FailuresSayWhyAndLeaveNothing) {
  ScopedWorkDir dir;
  StagedFile f;
  EXPECT_FALSE(f.open("missing/x.flt"));
  EXPECT_EQ(f.error(), "cannot write missing/x.flt: No such file or directory");
  EXPECT_EQ(f.reason(), "No such file or directory");

  // The folder goes away before the commit.
  fs::create_directories("gone");
  FileStage stage;
  std::string why;
  StagedFile* staged = stage.add("gone/a.png", why);
  ASSERT_NE(staged, nullptr) << why;
  if (!listing("gone").empty()) GTEST_SKIP() << "no unnamed files here: the folder holds one";
  fs::remove("gone");
  const std::vector<std::string> errors = stage.commit();
  ASSERT_EQ(errors.size(), 1u);
  EXPECT_EQ(errors[0].rfind("cannot write gone/a.png: ", 0), 0u) << errors[0];
  EXPECT_FALSE(fs::exists("gone"));
}

}  // namespace
