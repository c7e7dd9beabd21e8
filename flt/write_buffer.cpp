#include "flt/write_buffer.h"

#include <unistd.h>

#include <cerrno>

bool WriteBuffer::writeAll(const void* bytes, size_t n) {
  const auto* p = static_cast<const uint8_t*>(bytes);
  while (n > 0) {
    const ssize_t written = ::write(fd_, p, n);
    if (written < 0 && errno == EINTR) continue;
    if (written < 0) return false;
    p += written;
    n -= static_cast<size_t>(written);
  }
  return true;
}
