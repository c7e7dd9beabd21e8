#include "host/mapped_file.h"

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

MappedFile::MappedFile(const std::string& path) {
  const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
  struct stat st;
  if (fd < 0 || fstat(fd, &st) != 0) {
    error_ = std::strerror(errno);
  } else if (st.st_size > 0) {
    void* p = mmap(nullptr, size_t(st.st_size), PROT_READ, MAP_PRIVATE | MAP_POPULATE, fd, 0);
    if (p == MAP_FAILED) {
      error_ = std::strerror(errno);
    } else {
      data_ = static_cast<const unsigned char*>(p);
      size_ = size_t(st.st_size);
    }
  }
  if (fd >= 0) close(fd);
}

void MappedFile::release() {
  if (data_) munmap(const_cast<unsigned char*>(data_), size_);
  data_ = nullptr;
  size_ = 0;
}
