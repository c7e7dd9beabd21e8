// The read side of fltdump on arbitrary bytes: the record walk, the check, the summary
// and both dumps must end cleanly whatever the file holds.
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <sstream>
#include <string>

#include "flt/file_check.h"
#include "flt/file_dump.h"
#include "flt/file_reader.h"
#include "flt/file_summary.h"

namespace {

// The reader takes a path, so every input goes to one file in a folder of our own:
// texture names in the input then resolve inside it, never beside real files.
const std::string& inputPath() {
  static const std::string path = [] {
    const char* tmp = std::getenv("TMPDIR");
    std::string pattern = std::string(tmp && *tmp ? tmp : "/tmp") + "/zorvel-fuzz-XXXXXX";
    if (!::mkdtemp(pattern.data())) std::abort();
    static std::string folder = pattern;
    std::atexit([] {
      ::unlink((folder + "/input.flt").c_str());
      ::rmdir(folder.c_str());
    });
    return pattern + "/input.flt";
  }();
  return path;
}

bool writeInput(const uint8_t* data, size_t size) {
  std::FILE* f = std::fopen(inputPath().c_str(), "wb");
  if (!f) return false;
  const bool written = std::fwrite(data, 1, size, f) == size;
  return std::fclose(f) == 0 && written;
}

// A reader that stopped short of the end must say why; one that ran on must not pass it.
void expectStop(const FltFileReader& reader, size_t size) {
  if (reader.position() > static_cast<int64_t>(size)) std::abort();
  if (!reader.faulted() && reader.error().empty() &&
      reader.position() != static_cast<int64_t>(size))
    std::abort();
}

template <class Use>
void withReader(size_t size, Use use) {
  FltFileReader reader;
  if (!reader.open(inputPath())) std::abort();
  use(reader);
  expectStop(reader, size);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (!writeInput(data, size)) std::abort();
  const std::string& path = inputPath();

  withReader(size, [](FltFileReader& reader) {
    int64_t records = 0;
    while (reader.next()) {
      if (reader.index() != records++) std::abort();
      if (static_cast<int>(reader.bytes().size()) != reader.length()) std::abort();
    }
  });

  const FltCheckResult check = checkFltFile(path);
  if (!check.readable) std::abort();
  for (const FltFault& fault : check.faults) {
    if (fault.offset < 0 || fault.offset > static_cast<int64_t>(size)) std::abort();
    static_cast<void>(formatFault(path, fault));
  }
  if (check.faults.size() > kMaxListedFaults + 1) std::abort();
  static_cast<void>(startsWithHeader(path));

  withReader(size, [&](FltFileReader& reader) {
    const FltSummary summary = summariseFltFile(reader);
    int64_t counted = 0;
    for (const auto& kind : summary.kinds) counted += kind.second;
    if (counted != summary.records) std::abort();
    static_cast<void>(formatSummary(summary, path));
  });

  // One text dump a run, the listing of vertices or not by the size, which halves the
  // cost of the dumps; the JSON lists every vertex anyway.
  withReader(size, [&](FltFileReader& reader) {
    std::ostringstream out;
    static_cast<void>(dumpFltRecords(reader, out, {size % 2 == 1}));
  });
  withReader(size, [](FltFileReader& reader) {
    std::ostringstream out;
    static_cast<void>(dumpFltJson(reader, out));
    const std::string json = out.str();
    if (json.empty() || json.front() != '[') std::abort();
  });
  return 0;
}
