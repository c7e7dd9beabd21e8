#pragma once
// Bytes on their way to a file descriptor, gathered in one block that is reused
// all export long: records are small and many, and neither stdio's per-call
// cost nor fresh memory for each is wanted on that path.

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <vector>

class WriteBuffer {
 public:
  static constexpr size_t kCapacity = size_t{1} << 20;

  // Writes go to `fd` from now on; what is held for an earlier one is dropped.
  void target(int fd) {
    fd_ = fd;
    held_ = 0;
    if (block_.empty()) block_.resize(kCapacity);
  }
  // False, errno set, when a write to the file failed.
  [[nodiscard]] bool append(const void* bytes, size_t n) {
    if (held_ + n > block_.size() && !flush()) return false;
    if (n > block_.size()) return writeAll(bytes, n);
    std::memcpy(block_.data() + held_, bytes, n);
    held_ += n;
    return true;
  }
  [[nodiscard]] bool flush() {
    const size_t n = held_;
    held_ = 0;
    return writeAll(block_.data(), n);
  }
  // Bytes appended and not yet written.
  size_t held() const { return held_; }
  // Frees the block once no file is written any more.
  void release() {
    std::vector<uint8_t>().swap(block_);
    held_ = 0;
    fd_ = -1;
  }

 private:
  bool writeAll(const void* bytes, size_t n);

  int fd_ = -1;
  size_t held_ = 0;
  std::vector<uint8_t> block_;
};
