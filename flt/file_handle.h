#pragma once
// An owned C stream. close() says whether everything written reached the file;
// the destructor closes silently, for paths that have failed already or only read.

#include <cstdio>
#include <utility>

class FileHandle {
 public:
  FileHandle() = default;
  explicit FileHandle(std::FILE* stream) : stream_(stream) {}
  ~FileHandle() { reset(); }
  FileHandle(FileHandle&& other) noexcept : stream_(std::exchange(other.stream_, nullptr)) {}
  FileHandle& operator=(FileHandle&& other) noexcept {
    if (this != &other) {
      reset();
      stream_ = std::exchange(other.stream_, nullptr);
    }
    return *this;
  }
  FileHandle(const FileHandle&) = delete;
  FileHandle& operator=(const FileHandle&) = delete;

  // Null, with errno set, when the file cannot be opened.
  static FileHandle open(const char* path, const char* mode) {
    return FileHandle(std::fopen(path, mode));
  }

  std::FILE* get() const { return stream_; }
  explicit operator bool() const { return stream_ != nullptr; }

  // Flushes and closes; false (errno from the step that failed) when a write
  // failed before or the flush or the close fails now. False also when not open.
  [[nodiscard]] bool close() {
    if (!stream_) return false;
    std::FILE* f = std::exchange(stream_, nullptr);
    bool ok = std::fflush(f) == 0 && !std::ferror(f);
    if (std::fclose(f) != 0) ok = false;
    return ok;
  }
  // Closes without a word; nothing it could report would change what follows.
  void reset() {
    if (stream_) std::fclose(std::exchange(stream_, nullptr));
  }

 private:
  std::FILE* stream_ = nullptr;
};
