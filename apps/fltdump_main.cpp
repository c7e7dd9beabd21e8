// fltdump: prints the record tree of an OpenFlight file, its records as JSON, a
// summary, or with --check validates it.
// Exit status: 0 sound, 1 faults found or not an OpenFlight file, 2 bad usage or an
// unreadable file.

#include <cstdio>
#include <cstring>
#include <string>

#include "flt/file_check.h"
#include "flt/file_dump.h"
#include "flt/file_reader.h"
#include "flt/file_summary.h"

namespace {

const char kUsage[] =
    "usage: fltdump [--vertices | --json | --summary | --check] FILE\n"
    "  (none)      the record tree, one record a line\n"
    "  --vertices  the tree, then the vertex records\n"
    "  --json      every record, vertices included, as one JSON array in file order\n"
    "  --summary   revision, records by kind, palettes, vertex kinds, bounds, check\n"
    "  --check     lengths, nesting and vertex offsets; exit 1 on a fault\n";

enum class Mode { kTree, kVertices, kJson, kSummary, kCheck };

struct ModeOption {
  const char* flag;
  Mode mode;
};

const ModeOption kModes[] = {{"--vertices", Mode::kVertices},
                             {"--json", Mode::kJson},
                             {"--summary", Mode::kSummary},
                             {"--check", Mode::kCheck}};

int writeFailed() {
  std::fprintf(stderr, "fltdump: cannot write the output\n");
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  Mode mode = Mode::kTree;
  bool modeGiven = false, optionsDone = false;
  const char* path = nullptr;
  for (int i = 1; i < argc; ++i) {
    const char* arg = argv[i];
    const ModeOption* option = nullptr;
    for (const ModeOption& m : kModes)
      if (!optionsDone && std::strcmp(arg, m.flag) == 0) option = &m;
    if (!optionsDone && std::strcmp(arg, "--") == 0) {
      optionsDone = true;
    } else if (!optionsDone && (std::strcmp(arg, "-h") == 0 || std::strcmp(arg, "--help") == 0)) {
      std::fputs(kUsage, stdout);
      return 0;
    } else if (option) {
      if (modeGiven && option->mode != mode) {
        std::fprintf(stderr, "fltdump: give one of --vertices, --json, --summary, --check\n%s",
                     kUsage);
        return 2;
      }
      mode = option->mode;
      modeGiven = true;
    } else if (!optionsDone && arg[0] == '-' && arg[1] != '\0') {
      std::fprintf(stderr, "fltdump: unknown option %s\n%s", arg, kUsage);
      return 2;
    } else if (path) {
      std::fprintf(stderr, "fltdump: more than one file given\n%s", kUsage);
      return 2;
    } else {
      path = arg;
    }
  }
  if (!path) {
    std::fprintf(stderr, "fltdump: no file given\n%s", kUsage);
    return 2;
  }

  FltFileReader reader;
  if (!reader.open(path)) {
    std::fprintf(stderr, "fltdump: %s\n", reader.error().c_str());
    return 2;
  }
  // Bytes of any other kind read as a run of nonsense records; say what they are.
  if (!startsWithHeader(path)) {
    std::fprintf(stderr, "fltdump: %s: not an OpenFlight file\n", path);
    return 1;
  }

  if (mode == Mode::kCheck) {
    const std::vector<FltFault> faults = checkFltRecords(reader);
    if (!reader.error().empty()) {
      std::fprintf(stderr, "fltdump: %s\n", reader.error().c_str());
      return 2;
    }
    for (const FltFault& fault : faults) std::printf("%s\n", formatFault(path, fault).c_str());
    if (std::fflush(stdout) != 0 || std::ferror(stdout)) return writeFailed();
    return hasFaults(faults) ? 1 : 0;
  }

  if (mode == Mode::kSummary) {
    const FltSummary summary = summariseFltFile(reader);
    if (!reader.error().empty()) {
      std::fprintf(stderr, "fltdump: %s\n", reader.error().c_str());
      return 2;
    }
    std::fputs(formatSummary(summary, path).c_str(), stdout);
    if (std::fflush(stdout) != 0 || std::ferror(stdout)) return writeFailed();
    return hasFaults(summary.faults) ? 1 : 0;
  }

  const bool clean = mode == Mode::kJson
                         ? dumpFltJson(reader, stdout)
                         : dumpFltRecords(reader, stdout, {mode == Mode::kVertices});
  if (std::fflush(stdout) != 0 || std::ferror(stdout)) return writeFailed();
  if (!reader.error().empty()) {
    std::fprintf(stderr, "fltdump: %s\n", reader.error().c_str());
    return 2;
  }
  if (!clean) {
    std::fprintf(stderr, "%s\n",
                 formatFault(path, FltFault{reader.faultOffset(), reader.fault()}).c_str());
    return 1;
  }
  return 0;
}
