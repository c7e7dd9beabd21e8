#include "convert/palette_worker.h"

#include <algorithm>
#include <cassert>
#include <system_error>

#include "flt/vertex_palette.h"

PaletteWorker::~PaletteWorker() {
  if (!thread_.joinable()) return;
  finish();
  {
    std::lock_guard<std::mutex> lock(mutex_);
    quit_ = true;
  }
  changed_.notify_all();
  thread_.join();
}

bool PaletteWorker::worthwhile() {
  return std::thread::hardware_concurrency() > 1;
}

bool PaletteWorker::start(FltVertexPalette& palette, size_t count, CornerVertex vertex) {
  finish();
  if (!thread_.joinable()) {
    try {
      thread_ = std::thread(&PaletteWorker::run, this);
    } catch (const std::system_error&) {
      return false;
    }
  }
  palette_ = &palette;
  count_ = count;
  vertex_ = std::move(vertex);
  offsets_.resize(count);
  error_ = nullptr;
  stop_.store(false, std::memory_order_relaxed);
  done_.store(0, std::memory_order_relaxed);
  seen_ = 0;
  {
    // The lock hands everything above to the worker.
    std::lock_guard<std::mutex> lock(mutex_);
    jobWaiting_ = true;
    busy_ = true;
  }
  changed_.notify_all();
  return true;
}

int32_t PaletteWorker::offset(size_t k) {
  assert(k < count_);
  // The records of a corner take about as long as its vertex: a short spin
  // mostly finds it. Past that the caller sleeps, so that a machine busy with
  // other work (several exports at once) does not lose a core to the wait.
  for (unsigned spins = 0; seen_ <= k && spins < kSpins; ++spins)
    seen_ = done_.load(std::memory_order_acquire);
  if (seen_ <= k) {
    std::unique_lock<std::mutex> lock(mutex_);
    waiting_.store(true);
    changed_.wait(lock, [&] { return (seen_ = done_.load()) > k; });
    waiting_.store(false);
  }
  const int32_t offset = offsets_[k];
  if (offset == FltVertexPalette::kFull && error_) std::rethrow_exception(error_);
  return offset;
}

void PaletteWorker::publish(size_t done) {
  // Both sides' order of store then load sees to it that a sleeper is woken.
  done_.store(done);
  if (waiting_.load()) {
    std::lock_guard<std::mutex> lock(mutex_);  // the sleeper is inside its wait
    changed_.notify_all();
  }
}

void PaletteWorker::finish() {
  if (!thread_.joinable()) return;
  stop_.store(true, std::memory_order_relaxed);
  std::unique_lock<std::mutex> lock(mutex_);
  changed_.wait(lock, [this] { return !busy_; });
  vertex_ = nullptr;
}

void PaletteWorker::run() {
  std::unique_lock<std::mutex> lock(mutex_);
  for (;;) {
    changed_.wait(lock, [this] { return jobWaiting_ || quit_; });
    if (quit_) return;
    jobWaiting_ = false;
    lock.unlock();
    runJob();
    lock.lock();
    busy_ = false;
    changed_.notify_all();
  }
}

void PaletteWorker::runJob() {
  size_t k = 0;
  bool full = false;
  try {
    while (k < count_ && !full) {
      if (stop_.load(std::memory_order_relaxed)) return;
      const size_t end = std::min(count_, k + kBatch);
      for (; k < end && !full; ++k)
        full = (offsets_[k] = palette_->add(vertex_(k))) == FltVertexPalette::kFull;
      publish(k);
    }
  } catch (...) {
    error_ = std::current_exception();
  }
  // The caller stops at the first corner that failed; those after it fail too.
  std::fill(offsets_.begin() + std::ptrdiff_t(k), offsets_.end(), FltVertexPalette::kFull);
  publish(count_);
}
