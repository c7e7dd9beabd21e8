#pragma once
// A second thread that adds a node's corners to the vertex palette, in their
// order, while the calling thread writes the face records that point at them.
//
// A palette offset depends only on the order in which vertices arrive, so the
// file is the same, byte for byte, as when one thread does both. Making a corner's
// vertex and finding it in the palette is half of a large node's work; the other
// half, the records, can then run beside it on a second core.
//
// Between start() and finish() the palette belongs to the worker; the two threads
// share only the offsets, published up to a count.

#include <atomic>
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <exception>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

#include "flt/vertex.h"

class FltVertexPalette;

class PaletteWorker {
 public:
  // Makes corner k's vertex. It runs on the worker thread, so it may only read
  // what the calling thread leaves alone until finish().
  using CornerVertex = std::function<FltVertex(size_t)>;

  PaletteWorker() = default;
  ~PaletteWorker();
  PaletteWorker(const PaletteWorker&) = delete;
  PaletteWorker& operator=(const PaletteWorker&) = delete;

  // False on a machine of one core, where the worker would only take turns.
  static bool worthwhile();

  // Starts adding corners 0 .. count - 1 to the palette. A job still running is
  // finished first. False when no thread can be had: nothing was started then.
  [[nodiscard]] bool start(FltVertexPalette& palette, size_t count, CornerVertex vertex);
  // Corner k's offset (k < count of the job), once the worker has it: what the
  // palette's add returned, kFull from the first corner that did not fit on.
  // What add threw is thrown here, for that corner and every later one.
  [[nodiscard]] int32_t offset(size_t k);
  // Stops the job where it is and waits for it; the palette is the caller's again.
  void finish();

 private:
  static constexpr size_t kBatch = 64;     // corners between two publications
  static constexpr unsigned kSpins = 256;  // looks at the count before sleeping

  void run();
  void runJob();
  void publish(size_t done);

  std::thread thread_;
  std::mutex mutex_;
  std::condition_variable changed_;
  bool jobWaiting_ = false;
  bool busy_ = false;
  bool quit_ = false;

  FltVertexPalette* palette_ = nullptr;
  size_t count_ = 0;
  CornerVertex vertex_;
  std::vector<int32_t> offsets_;
  std::exception_ptr error_;  // written before the last publication
  std::atomic<bool> stop_{false};
  std::atomic<size_t> done_{0};       // offsets_[0, done_) are final
  std::atomic<bool> waiting_{false};  // the caller sleeps on changed_
  size_t seen_ = 0;                   // the caller's last look at done_
};
