// fltdump: prints the record tree of an OpenFlight file, or with --check validates it.
// Exit status: 0 sound, 1 faults found, 2 bad usage or an unreadable file.

#include <cstdio>
#include <cstring>
#include <string>

#include "flt/file_check.h"
#include "flt/file_dump.h"
#include "flt/file_reader.h"

namespace {

const char kUsage[] = "usage: fltdump [--check] FILE\n";

}  // namespace

int main(int argc, char** argv) {
  bool check = false;
  bool optionsDone = false;
  const char* path = nullptr;
  for (int i = 1; i < argc; ++i) {
    const char* arg = argv[i];
    if (!optionsDone && std::strcmp(arg, "--") == 0) {
      optionsDone = true;
    } else if (!optionsDone && (std::strcmp(arg, "-h") == 0 || std::strcmp(arg, "--help") == 0)) {
      std::fputs(kUsage, stdout);
      return 0;
    } else if (!optionsDone && std::strcmp(arg, "--check") == 0) {
      check = true;
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

  if (check) {
    FltCheckResult result = checkFltFile(path);
    if (!result.readable) {
      std::fprintf(stderr, "fltdump: %s\n", result.error.c_str());
      return 2;
    }
    for (const FltFault& fault : result.faults)
      std::printf("%s\n", formatFault(path, fault).c_str());
    if (std::fflush(stdout) != 0) {
      std::fprintf(stderr, "fltdump: cannot write the report\n");
      return 2;
    }
    return result.faults.empty() ? 0 : 1;
  }

  FltFileReader reader;
  if (!reader.open(path)) {
    std::fprintf(stderr, "fltdump: %s\n", reader.error().c_str());
    return 2;
  }
  bool clean = dumpFltRecords(reader, stdout);
  if (std::fflush(stdout) != 0 || std::ferror(stdout)) {
    std::fprintf(stderr, "fltdump: cannot write the dump\n");
    return 2;
  }
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
