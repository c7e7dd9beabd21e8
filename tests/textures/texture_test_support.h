#pragma once
// Helpers of the material and texture tests: a working directory of their own, file
// contents, big-endian reads and the records of a written file.

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "flt/record.h"

// A fresh temporary directory as the working directory; the previous one comes
// back and the directory is removed afterwards.
class ScopedWorkDir {
 public:
  ScopedWorkDir() : previous_(std::filesystem::current_path()) {
    std::string pattern = std::filesystem::temp_directory_path() / "zorvel_tex_XXXXXX";
    if (mkdtemp(pattern.data())) path_ = pattern;
    EXPECT_FALSE(path_.empty());
    std::filesystem::current_path(path_);
  }
  ~ScopedWorkDir() {
    std::error_code ec;
    std::filesystem::current_path(previous_, ec);
    std::filesystem::remove_all(path_, ec);
  }
  const std::string& path() const { return path_; }

 private:
  std::filesystem::path previous_;
  std::string path_;
};

inline std::vector<uint8_t> bytesOf(const FltRecord& r) {
  return {r.data(), r.data() + r.length()};
}

inline std::vector<uint8_t> fileBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

inline std::string fileText(const std::string& path) {
  std::vector<uint8_t> b = fileBytes(path);
  return {b.begin(), b.end()};
}

inline uint32_t be32(const std::vector<uint8_t>& b, size_t at) {
  return uint32_t{b[at]} << 24 | uint32_t{b[at + 1]} << 16 | uint32_t{b[at + 2]} << 8 | b[at + 3];
}

inline float beFloat(const std::vector<uint8_t>& b, size_t at) {
  uint32_t bits = be32(b, at);
  float f;
  std::memcpy(&f, &bits, 4);
  return f;
}

// The records of a written file, in order, split by the lengths in their heads.
inline std::vector<std::vector<uint8_t>> fileRecords(const std::string& path) {
  std::vector<uint8_t> all = fileBytes(path);
  std::vector<std::vector<uint8_t>> out;
  for (size_t at = 0, n; at + 4 <= all.size(); at += n) {
    n = all[at + 2] << 8 | all[at + 3];
    if (n < 4 || at + n > all.size()) break;
    out.emplace_back(all.begin() + at, all.begin() + at + n);
  }
  return out;
}

inline std::vector<uint16_t> fileOpcodes(const std::string& path) {
  std::vector<uint16_t> out;
  for (const auto& r : fileRecords(path)) out.push_back(static_cast<uint16_t>(r[0] << 8 | r[1]));
  return out;
}
