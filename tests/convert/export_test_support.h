#pragma once
// Support of the tests that export: a working directory of their own, and the
// written file read back through the records' own parse side, record by record:
// the scene's records as short tokens ("GROUP g2", "LONG_ID Box_g", "PUSH",
// "VERTEX_LIST 1"), their bytes, and the vertices.

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstring>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "flt/file_check.h"
#include "flt/file_reader.h"
#include "flt/header.h"
#include "flt/opcodes.h"
#include "flt/record.h"
#include "flt/vertex.h"

// A fresh temporary directory as the working directory for one test.
class ExportWorkDir {
 public:
  ExportWorkDir() : previous_(std::filesystem::current_path()) {
    std::string pattern = std::filesystem::temp_directory_path() / "zorvel_walk_XXXXXX";
    if (mkdtemp(pattern.data())) path_ = pattern;
    EXPECT_FALSE(path_.empty());
    std::filesystem::current_path(path_);
  }
  ~ExportWorkDir() {
    std::error_code ec;
    std::filesystem::current_path(previous_, ec);
    std::filesystem::remove_all(path_, ec);
  }
  ExportWorkDir(const ExportWorkDir&) = delete;
  ExportWorkDir& operator=(const ExportWorkDir&) = delete;
  const std::string& path() const { return path_; }

 private:
  std::filesystem::path previous_;
  std::string path_;
};

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
    const std::vector<uint8_t>& b = bytes.at(index);
    for (size_t at = 4; at + 4 <= b.size(); at += 4) {
      int32_t offset = int32_t(uint32_t(b[at]) << 24 | uint32_t(b[at + 1]) << 16 |
                               uint32_t(b[at + 2]) << 8 | b[at + 3]);
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
  if (name == "PUSH_LEVEL") return "PUSH";
  if (name == "POP_LEVEL") return "POP";
  auto textAt = [&](size_t from, size_t width) {
    std::string text;
    for (size_t i = from; i < b.size() && i < from + width && b[i]; ++i) text += char(b[i]);
    std::string shown;
    for (char c : text) shown += c == '\r' ? std::string() : c == '\n' ? "|" : std::string(1, c);
    return shown;
  };
  switch (opcode) {
    case 2:
    case 4:
    case 5:
    case 14:
    case 55:
    case 73:
    case 96:
    case 98:
    case 111:
      return name + " " + textAt(4, 8);
    case 31:
    case 33:
      return name + " " + textAt(4, b.size());
    case 63:
      return name + " " + textAt(4, 200);
    case 72:
      return name + " " + std::to_string((b.size() - 4) / 4);
    default:
      return name;
  }
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
  std::vector<std::string> tokens;
  std::vector<std::vector<uint8_t>> bytes;
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
    if (opcode == 10) body = true;
    if (!body) continue;
    tokens.push_back(fltToken(opcode, reader.bytes()));
    bytes.push_back(reader.bytes());
  }
  EXPECT_FALSE(reader.faulted()) << reader.fault();
  const std::vector<std::string> head = {"PUSH", "GROUP g1", "PUSH"};
  if (tokens.size() < 5 || !std::equal(head.begin(), head.end(), tokens.begin()) ||
      tokens[tokens.size() - 1] != "POP" || tokens[tokens.size() - 2] != "POP") {
    ADD_FAILURE() << "the scene is not inside the export's frame";
    return out;
  }
  out.tokens.assign(tokens.begin() + 3, tokens.end() - 2);
  out.bytes.assign(bytes.begin() + 3, bytes.end() - 2);
  return out;
}
