// Writes one benchmark scene as an OBJ file, for the command benchmark.
//   bench_make_scene terrain|city SIZE OUT.obj   (a city named OUT.glb is binary glTF)

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "bench/scene_generators.h"

namespace {
bool endsWith(const std::string& s, const std::string& tail) {
  return s.size() >= tail.size() && s.compare(s.size() - tail.size(), tail.size(), tail) == 0;
}
}  // namespace

int main(int argc, char** argv) {
  if (argc != 4) {
    std::fprintf(stderr, "usage: %s terrain|city SIZE OUT.obj|OUT.glb\n", argv[0]);
    return 2;
  }
  const std::string kind = argv[1];
  char* end = nullptr;
  const long size = std::strtol(argv[2], &end, 10);
  if (*end != '\0' || size <= 0 || size > 100000000) {
    std::fprintf(stderr, "Error: bad size '%s'\n", argv[2]);
    return 2;
  }
  bool written = false;
  if (kind == "terrain")
    written = writeTerrainObj(argv[3], static_cast<int>(size));
  else if (kind == "city")
    written = endsWith(argv[3], ".glb") ? writeCityGlb(argv[3], static_cast<int>(size))
                                        : writeCityObj(argv[3], static_cast<int>(size));
  else {
    std::fprintf(stderr, "Error: unknown scene '%s' (terrain or city)\n", argv[1]);
    return 2;
  }
  if (!written) {
    std::fprintf(stderr, "Error writing %s\n", argv[3]);
    return 1;
  }
  return 0;
}
