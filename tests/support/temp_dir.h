#pragma once
// Temporary folders of the tests: a fresh one that is removed with everything in
// it afterwards, and one that is also the working directory while it lives.

#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <string>
#include <system_error>

class TempDir {
 public:
  explicit TempDir(const std::string& tag = "zorvel") {
    std::string pattern = (std::filesystem::temp_directory_path() / (tag + "_XXXXXX")).string();
    if (mkdtemp(pattern.data())) path_ = pattern;
    EXPECT_FALSE(path_.empty()) << "no temporary folder for " << tag;
  }
  ~TempDir() {
    std::error_code ec;
    if (!path_.empty()) std::filesystem::remove_all(path_, ec);
  }
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;

  const std::string& path() const { return path_; }

 private:
  std::string path_;
};

// The previous working directory comes back before the folder goes.
class ScopedWorkDir : public TempDir {
 public:
  explicit ScopedWorkDir(const std::string& tag = "zorvel_work")
      : TempDir(tag), previous_(std::filesystem::current_path()) {
    if (!path().empty()) std::filesystem::current_path(path());
  }
  ~ScopedWorkDir() {
    std::error_code ec;
    std::filesystem::current_path(previous_, ec);
  }

 private:
  std::filesystem::path previous_;
};
