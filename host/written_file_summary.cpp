#include "host/written_file_summary.h"

#include "host/mapped_file.h"

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

// Mapped and walked in memory: through a FILE, each record's seek dropped the read
// buffer and cost two system calls, seconds for a file of a million faces.
WrittenFileSummary summarizeWrittenFile(const std::string& path) {
  WrittenFileSummary s;
  const MappedFile file(path);
  if (!file.error().empty()) return s;
  const unsigned char* at = file.data();
  const unsigned char* const end = at + file.size();
  while (end - at >= 4) {
    const unsigned opcode = at[0] << 8 | at[1];
    const unsigned length = at[2] << 8 | at[3];
    // Not a record, or one cut short: the figures would mean nothing past it.
    if (length < 4 || length > size_t(end - at)) return s;
    s.faces += opcode == kFace;
    s.textures += opcode == kTexture;
    s.materials += opcode == kMaterial;
    s.vertices += opcode >= kFirstVertex && opcode <= kLastVertex;
    s.bytes += length;
    at += length;
  }
  s.readable = at == end;
  return s;
}

std::string describe(const WrittenFileSummary& s) {
  const uintmax_t kib = (s.bytes + 1023) / 1024;
  return count(s.faces, "face", "faces") + ", " + count(s.vertices, "vertex", "vertices") + ", " +
         count(s.materials, "material", "materials") + ", " +
         count(s.textures, "texture", "textures") + ", " + std::to_string(kib) + " KiB";
}
