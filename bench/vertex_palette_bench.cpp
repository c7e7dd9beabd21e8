// Adding face corners to the vertex palette: 3,000,000 corners over 1,000,000
// distinct textured vertices with normals, each vertex used by three corners, the
// repeats arriving both soon after and long after the first use.
#include <benchmark/benchmark.h>
#include <sys/resource.h>

#include <cstdint>

#include "flt/vertex.h"
#include "flt/vertex_palette.h"

namespace {

constexpr int64_t kDistinct = 1000000;
constexpr int64_t kCorners = 3 * kDistinct;
constexpr int kGrid = 1000;

// Vertex n of a 1000 x 1000 grid with uneven heights; cheap to make, so that the
// timing is the palette's.
void makeVertex(int64_t n, FltVertex& v) {
  v.reset();
  double gx = static_cast<double>(n % kGrid), gy = static_cast<double>(n / kGrid);
  v.x = gx;
  v.y = gy;
  v.z = static_cast<double>((n * 2654435761u) % 1000) * 0.001;
  v.setNormal(0.0, 0.0, 1.0);
  v.setTexCoord(static_cast<float>(gx / kGrid), static_cast<float>(gy / kGrid));
}

double peakRssMiB() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return usage.ru_maxrss / 1024.0;  // ru_maxrss is in KiB on Linux
}

// Before any palette exists, to tell the palette's memory from the program's.
const double kRssAtStart = peakRssMiB();

void addCorners(benchmark::State& state) {
  FltVertex v;
  for (auto _ : state) {
    FltVertexPalette palette;
    palette.setVersion(1540);
    int64_t sum = 0;
    // Corner c of triangle t uses vertices t, t + 1 and t + 500000 (mod 1,000,000).
    for (int64_t t = 0; t < kDistinct; ++t) {
      makeVertex(t, v);
      sum += palette.add(v);
      makeVertex((t + 1) % kDistinct, v);
      sum += palette.add(v);
      makeVertex((t + kDistinct / 2) % kDistinct, v);
      sum += palette.add(v);
    }
    benchmark::DoNotOptimize(sum);
    if (palette.count() != static_cast<size_t>(kDistinct)) state.SkipWithError("wrong count");
  }
  state.counters["corners_per_second"] = benchmark::Counter(
      static_cast<double>(kCorners), benchmark::Counter::kIsIterationInvariantRate);
  state.counters["peak_rss_MiB"] = peakRssMiB();
  state.counters["rss_at_start_MiB"] = kRssAtStart;
}

BENCHMARK(addCorners)->Unit(benchmark::kMillisecond)->MinTime(2.0);

}  // namespace

BENCHMARK_MAIN();
