// Times whole exports of generated scenes through OpenZorvel, at half, full and
// double size, and prints the double/full ratios.
//
//   bench_export_core [scale]   scale multiplies every scene's triangle count (default 1)
//
// Each run builds and exports its scene in a child process of its own, so that the
// peak memory of one run does not hide the next one's.

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "bench/scene_generators.h"
#include "flt/opcodes.h"
#include "host/memory_scene.h"
#include "plugin/open_zorvel.h"
#include "tests/support/test_host.h"

namespace fs = std::filesystem;

namespace {

struct RunResult {
  int ok = 0;
  long long triangles = 0;
  long long faces = 0;
  long long outputBytes = 0;
  double wallSeconds = 0;
  double cpuSeconds = 0;
  long long rssBeforeKb = 0;
  long long peakRssKb = 0;
};

double cpuSeconds() {
  rusage u{};
  getrusage(RUSAGE_SELF, &u);
  return u.ru_utime.tv_sec + u.ru_stime.tv_sec + (u.ru_utime.tv_usec + u.ru_stime.tv_usec) * 1e-6;
}

long long peakRssKb() {
  rusage u{};
  getrusage(RUSAGE_SELF, &u);
  return u.ru_maxrss;
}

long long currentRssKb() {
  std::ifstream statm("/proc/self/statm");
  long long pages = 0, resident = 0;
  statm >> pages >> resident;
  return resident * (sysconf(_SC_PAGESIZE) / 1024);
}

// Walks the file's records in order (every record, nested or not, starts with its
// opcode and length) and counts the face records.
long long countFaces(const fs::path& path) {
  int16_t faceOpcode = 0;
  if (!opcodeFromName("FACE", &faceOpcode)) return -1;
  std::ifstream in(path, std::ios::binary);
  std::vector<char> data((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  long long faces = 0;
  size_t at = 0;
  while (at + 4 <= data.size()) {
    const auto byte = [&](size_t i) {
      return static_cast<unsigned>(static_cast<uint8_t>(data[i]));
    };
    const unsigned opcode = byte(at) << 8 | byte(at + 1);
    const unsigned length = byte(at + 2) << 8 | byte(at + 3);
    if (length < 4) return -1;
    if (opcode == static_cast<unsigned>(faceOpcode)) ++faces;
    at += length;
  }
  return at == data.size() ? faces : -1;
}

RunResult runExport(const std::string& scene, int size, const fs::path& dir) {
  RunResult r;
  MemoryScene memory;
  if (scene == "terrain") {
    makeTerrainScene(memory, size);
    r.triangles = 2LL * size * size;
  } else {
    makeCityScene(memory, size);
    r.triangles = 12LL * size;
  }
  const fs::path out = dir / (scene + "_" + std::to_string(size) + ".flt");
  TestHost host(memory);
  TestExportInterface ei;
  OpenZorvel exporter;

  r.rssBeforeKb = currentRssKb();
  const double cpu0 = cpuSeconds();
  const auto wall0 = std::chrono::steady_clock::now();
  const int result = exporter.doExport(out.string().c_str(), &ei, &host, true, 0);
  r.wallSeconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - wall0).count();
  r.cpuSeconds = cpuSeconds() - cpu0;
  r.peakRssKb = peakRssKb();

  for (const std::string& e : ei.errors) std::fprintf(stderr, "export error: %s\n", e.c_str());
  std::error_code ec;
  r.outputBytes = static_cast<long long>(fs::file_size(out, ec));
  r.ok = result == 1 && ei.errors.empty() && !ec;
  r.faces = r.ok ? countFaces(out) : -1;
  fs::remove(out, ec);
  return r;
}

// Runs one export in a child process and collects its figures through a pipe.
bool runInChild(const std::string& scene, int size, const fs::path& dir, RunResult& r) {
  int fds[2];
  if (pipe(fds) != 0) return false;
  std::fflush(stdout);
  const pid_t pid = fork();
  if (pid < 0) return false;
  if (pid == 0) {
    close(fds[0]);
    const RunResult child = runExport(scene, size, dir);
    const bool sent = write(fds[1], &child, sizeof child) == static_cast<ssize_t>(sizeof child);
    _exit(sent ? 0 : 1);
  }
  close(fds[1]);
  const bool got = read(fds[0], &r, sizeof r) == static_cast<ssize_t>(sizeof r);
  close(fds[0]);
  int status = 0;
  waitpid(pid, &status, 0);
  return got && WIFEXITED(status) && WEXITSTATUS(status) == 0 && r.ok;
}

void printRun(const std::string& scene, int size, const RunResult& r) {
  std::printf("%-8s %7d %10lld %10lld %9.3f %9.3f %12lld %10.1f %10.1f\n", scene.c_str(), size,
              r.triangles, r.faces, r.wallSeconds, r.cpuSeconds, r.outputBytes,
              (r.peakRssKb - r.rssBeforeKb) / 1024.0, r.peakRssKb / 1024.0);
}

}  // namespace

int main(int argc, char** argv) {
  const double scale = argc > 1 ? std::atof(argv[1]) : 1.0;
  if (!(scale > 0)) {
    std::fprintf(stderr, "usage: bench_export_core [scale > 0]\n");
    return 2;
  }
  char pattern[] = "/tmp/zorvel_bench_XXXXXX";
  if (!mkdtemp(pattern)) {
    std::perror("mkdtemp");
    return 1;
  }
  const fs::path dir = pattern;
  // Exports go into the working directory.
  fs::current_path(dir);

  std::printf("%-8s %7s %10s %10s %9s %9s %12s %10s %10s\n", "scene", "size", "triangles", "faces",
              "wall_s", "cpu_s", "out_bytes", "rss_up_MB", "peak_MB");
  int failures = 0;
  for (const std::string scene : {"terrain", "city"}) {
    RunResult runs[3];
    const double factors[3] = {0.5, 1.0, 2.0};
    for (int k = 0; k < 3; ++k) {
      const double f = scale * factors[k];
      const int size = scene == "terrain" ? static_cast<int>(std::lround(700 * std::sqrt(f)))
                                          : static_cast<int>(std::lround(20000 * f));
      if (!runInChild(scene, size, dir, runs[k])) {
        std::printf("%-8s %7d FAILED\n", scene.c_str(), size);
        ++failures;
        continue;
      }
      printRun(scene, size, runs[k]);
    }
    const RunResult& full = runs[1];
    const RunResult& twice = runs[2];
    if (full.ok && twice.ok)
      std::printf(
          "%-8s double/full: triangles %.2f  wall %.2f  cpu %.2f  output %.2f  rss_up %.2f\n",
          scene.c_str(), double(twice.triangles) / full.triangles,
          twice.wallSeconds / full.wallSeconds, twice.cpuSeconds / full.cpuSeconds,
          double(twice.outputBytes) / full.outputBytes,
          double(twice.peakRssKb - twice.rssBeforeKb) / (full.peakRssKb - full.rssBeforeKb));
  }
  std::error_code ec;
  fs::current_path(dir.parent_path(), ec);
  fs::remove_all(dir, ec);
  return failures ? 1 : 0;
}
