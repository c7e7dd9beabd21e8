#pragma once
// What the command says it wrote, read back from the file itself, so that the
// figures are the file's and not what the export meant to write.

#include <cstdint>
#include <string>

struct WrittenFileSummary {
  long faces = 0;
  long vertices = 0;
  long materials = 0;
  long textures = 0;
  uintmax_t bytes = 0;
  bool readable = false;
};

WrittenFileSummary summarizeWrittenFile(const std::string& path);

// "412 faces, 1020 vertices, 3 materials, 2 textures, 120 KiB"
std::string describe(const WrittenFileSummary& s);
