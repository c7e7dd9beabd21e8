#include "host/huge_pages.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <string>

namespace {

constexpr off_t kLargeInput = off_t{8} << 20;
constexpr char kTunable[] = "glibc.malloc.hugetlb";

bool namesLargeFile(char** argv) {
  for (char** arg = argv + 1; *arg; ++arg) {
    struct stat st;
    if (**arg != '-' && stat(*arg, &st) == 0 && S_ISREG(st.st_mode) && st.st_size >= kLargeInput)
      return true;
  }
  return false;
}

}  // namespace

void restartWithHugePagesForLargeInputs(char** argv) {
  const char* given = std::getenv("GLIBC_TUNABLES");
  const std::string tunables = given ? given : "";
  if (tunables.find(kTunable) != std::string::npos || !namesLargeFile(argv)) return;
  const std::string value = (tunables.empty() ? "" : tunables + ":") + kTunable + "=1";
  if (setenv("GLIBC_TUNABLES", value.c_str(), 1) != 0) return;
  execv("/proc/self/exe", argv);
  // Not restarted (no /proc): go on as we are, without the setting.
  if (given)
    setenv("GLIBC_TUNABLES", tunables.c_str(), 1);
  else
    unsetenv("GLIBC_TUNABLES");
}
