#include "host/written_file_summary.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <vector>

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

// Read in large blocks, of which only the records' heads are looked at: through a
// FILE, each record's seek dropped the read buffer and cost two system calls,
// seconds for a file of a million faces; mapped, the whole file would count as
// the command's memory.
WrittenFileSummary summarizeWrittenFile(const std::string& path) {
  WrittenFileSummary s;
  const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
  struct stat st;
  if (fd < 0) return s;
  if (fstat(fd, &st) != 0) {
    close(fd);
    return s;
  }
  const uintmax_t size = uintmax_t(st.st_size);
  std::vector<unsigned char> block(size_t{1} << 20);
  uintmax_t at = 0, blockStart = 0, blockEnd = 0;
  bool broken = false;
  while (size - at >= 4) {
    if (at + 4 > blockEnd) {
      const ssize_t got = pread(fd, block.data(), block.size(), off_t(at));
      if (got < 4) {
        broken = true;
        break;
      }
      blockStart = at;
      blockEnd = at + uintmax_t(got);
    }
    const unsigned char* head = block.data() + (at - blockStart);
    const unsigned opcode = head[0] << 8 | head[1];
    const unsigned length = head[2] << 8 | head[3];
    // Not a record, or one cut short: the figures would mean nothing past it.
    if (length < 4 || length > size - at) {
      broken = true;
      break;
    }
    s.faces += opcode == kFace;
    s.textures += opcode == kTexture;
    s.materials += opcode == kMaterial;
    s.vertices += opcode >= kFirstVertex && opcode <= kLastVertex;
    s.bytes += length;
    at += length;
  }
  close(fd);
  s.readable = !broken && at == size;
  return s;
}

std::string describe(const WrittenFileSummary& s) {
  const uintmax_t kib = (s.bytes + 1023) / 1024;
  return count(s.faces, "face", "faces") + ", " + count(s.vertices, "vertex", "vertices") + ", " +
         count(s.materials, "material", "materials") + ", " +
         count(s.textures, "texture", "textures") + ", " + std::to_string(kib) + " KiB";
}
