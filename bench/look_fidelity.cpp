// Compares exports with their sources as tests/support/look_compare.h does and
// prints the counts, one line per pair (bench/look_fidelity.sh adds them up):
//
//   bench_look_fidelity [--up-axis=z] SCENE FILE.flt [SCENE FILE.flt ...]
//
// Misses are described on standard error when VERBOSE is set.
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "tests/support/look_compare.h"

int main(int argc, char** argv) {
  LookOptions options;
  int first = 1;
  if (argc > 1 && std::strcmp(argv[1], "--up-axis=z") == 0) {
    options.upToZ = false;
    first = 2;
  }
  if ((argc - first) < 2 || (argc - first) % 2 != 0) {
    std::fprintf(stderr, "usage: bench_look_fidelity [--up-axis=z] SCENE FILE.flt...\n");
    return 2;
  }
  const bool verbose = std::getenv("VERBOSE") != nullptr;
  int status = 0;
  for (int i = first; i + 1 < argc; i += 2) {
    const LookTally t = compareLook(argv[i], argv[i + 1], options);
    if (!t.error.empty()) {
      std::fprintf(stderr, "%s\n", t.error.c_str());
      status = 1;
      continue;
    }
    std::printf(
        "skipped %ld triangles %ld found %ld facing %ld colour %ld %ld light %ld %ld sides %ld %ld "
        "uv %ld %ld normals %ld %ld "
        "faces %ld lit %ld twosided %ld polygons %ld concave %ld area %.9g %.9g %s\n",
        t.skipped, t.triangles, t.found, t.facing, t.colorMatched, t.colorChecked, t.lightMatched,
        t.lightChecked, t.sidesMatched, t.sidesChecked, t.uvMatched, t.uvChecked, t.normalsMatched,
        t.normalsChecked, t.faces, t.litFaces, t.twoSidedFaces, t.polygons, t.concave,
        t.writtenArea, t.sourceArea, argv[i]);
    if (verbose)
      for (const std::string& m : t.misses) std::fprintf(stderr, "  %s\n", m.c_str());
  }
  return status;
}
