#pragma once
// Helpers of the material and texture tests: file contents and the records of a
// written file.

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "flt/record.h"
#include "tests/support/big_endian.h"
#include "tests/support/temp_dir.h"

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
