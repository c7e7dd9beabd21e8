#include "host/written_file_summary.h"

#include <cstdio>
#include <memory>

namespace {

// Record opcodes, as the file stores them; the host reads the file, not the
// plug-in's record classes.
constexpr unsigned kFace = 5;
constexpr unsigned kTexture = 64;
constexpr unsigned kMaterial = 113;
constexpr unsigned kFirstVertex = 68, kLastVertex = 71;

std::string count(long n, const char* one, const char* many) {
  return std::to_string(n) + " " + (n == 1 ? one : many);
}

}  // namespace

WrittenFileSummary summarizeWrittenFile(const std::string& path) {
  WrittenFileSummary s;
  std::unique_ptr<std::FILE, int (*)(std::FILE*)> f(std::fopen(path.c_str(), "rb"), std::fclose);
  if (!f) return s;
  unsigned char head[4];
  while (std::fread(head, 1, 4, f.get()) == 4) {
    const unsigned opcode = head[0] << 8 | head[1];
    const unsigned length = head[2] << 8 | head[3];
    if (length < 4) return s;  // not a record: the figures would mean nothing
    s.faces += opcode == kFace;
    s.textures += opcode == kTexture;
    s.materials += opcode == kMaterial;
    s.vertices += opcode >= kFirstVertex && opcode <= kLastVertex;
    s.bytes += length;
    if (std::fseek(f.get(), long(length) - 4, SEEK_CUR) != 0) return s;
  }
  s.readable = true;
  return s;
}

std::string describe(const WrittenFileSummary& s) {
  const uintmax_t kib = (s.bytes + 1023) / 1024;
  return count(s.faces, "face", "faces") + ", " + count(s.vertices, "vertex", "vertices") + ", " +
         count(s.materials, "material", "materials") + ", " +
         count(s.textures, "texture", "textures") + ", " + std::to_string(kib) + " KiB";
}
