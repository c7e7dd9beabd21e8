#pragma once
// A file's bytes mapped into memory whole, its pages read in at once: no copy, and
// no page fault for each page of it.

#include <cstddef>
#include <string>

class MappedFile {
 public:
  // An empty file maps to no bytes and no error.
  explicit MappedFile(const std::string& path);
  ~MappedFile() { release(); }
  MappedFile(const MappedFile&) = delete;
  MappedFile& operator=(const MappedFile&) = delete;

  // Unmaps the bytes before the object goes.
  void release();
  const unsigned char* data() const { return data_; }
  size_t size() const { return size_; }
  // Why the file could not be mapped, or empty.
  const std::string& error() const { return error_; }

 private:
  const unsigned char* data_ = nullptr;
  size_t size_ = 0;
  std::string error_;
};
