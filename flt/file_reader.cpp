#include "flt/file_reader.h"

#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "flt/header.h"

bool FltFileReader::open(const std::string& path) {
  close();
  path_ = path;
  error_.clear();
  std::FILE* f = std::fopen(path.c_str(), "rb");
  if (!f) {
    error_ = "cannot open " + path + ": " + std::strerror(errno);
    return false;
  }
  // fopen accepts a directory; reading it would only fail later with a vaguer reason.
  struct stat st;
  if (fstat(fileno(f), &st) == 0 && S_ISDIR(st.st_mode)) {
    std::fclose(f);
    error_ = "cannot open " + path + ": " + std::strerror(EISDIR);
    return false;
  }
  file_ = f;
  return true;
}

void FltFileReader::close() {
  if (file_) std::fclose(file_);
  file_ = nullptr;
  record_.release();
  bytes_.clear();
  opcode_ = 0;
  length_ = 0;
  offset_ = position_ = 0;
  index_ = -1;
  version_ = kDefaultVersion;
  faulted_ = ended_ = false;
  faultOffset_ = 0;
  fault_.clear();
}

void FltFileReader::setFault(int64_t offset, const std::string& what) {
  faulted_ = true;
  ended_ = true;
  faultOffset_ = offset;
  fault_ = what;
}

size_t FltFileReader::readFully(uint8_t* dst, size_t n) {
  size_t got = std::fread(dst, 1, n, file_);
  position_ += static_cast<int64_t>(got);
  return got;
}

bool FltFileReader::next() {
  if (!file_ || ended_) return false;
  const int64_t start = position_;
  uint8_t head[4];
  size_t got = readFully(head, 4);
  if (got < 4) {
    ended_ = true;
    if (std::ferror(file_)) {
      error_ = "cannot read " + path_ + ": " + std::strerror(errno);
      setFault(start, "read error: " + std::string(std::strerror(errno)));
    } else if (got > 0) {
      setFault(start,
               "record head cut short: only " + std::to_string(got) + " bytes left in the file");
    }
    return false;
  }
  const uint16_t opcode = static_cast<uint16_t>(head[0] << 8 | head[1]);
  const int length = head[2] << 8 | head[3];
  if (length < 4) {
    setFault(start, "record length " + std::to_string(length) + " of opcode " +
                        std::to_string(opcode) + " is below 4");
    return false;
  }
  bytes_.resize(static_cast<size_t>(length));
  std::memcpy(bytes_.data(), head, 4);
  got = readFully(bytes_.data() + 4, bytes_.size() - 4);
  if (got < bytes_.size() - 4) {
    if (std::ferror(file_)) {
      error_ = "cannot read " + path_ + ": " + std::strerror(errno);
      setFault(start, "read error: " + std::string(std::strerror(errno)));
    } else {
      setFault(start, "record length " + std::to_string(length) + " of opcode " +
                          std::to_string(opcode) + " runs past the end of the file (only " +
                          std::to_string(got + 4) + " bytes left)");
    }
    return false;
  }
  opcode_ = opcode;
  length_ = length;
  offset_ = start;
  ++index_;
  record_.assign(bytes_.data(), std::min(length, FltRecord::kMaxLength));
  // Layouts of later records depend on the revision the header announces.
  if (index_ == 0 && opcode == FltHeader::kOpcode && length >= 16) {
    version_ = static_cast<int32_t>(static_cast<uint32_t>(bytes_[12]) << 24 |
                                    static_cast<uint32_t>(bytes_[13]) << 16 |
                                    static_cast<uint32_t>(bytes_[14]) << 8 | bytes_[15]);
  }
  return true;
}
