#include "flt/record.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <utility>
#include "flt/vertex_list.h"

FltRecord::FltRecord(FltRecord&& other) noexcept {
  *this = std::move(other);
}

FltRecord& FltRecord::operator=(FltRecord&& other) noexcept {
  if (this != &other) {
    release();
    opcode_ = other.opcode_;
    length_ = other.length_;
    cursor_ = other.cursor_;
    capacity_ = other.capacity_;
    data_ = other.data_;
    overflowed_ = other.overflowed_;
    other.data_ = nullptr;
    other.release();
  }
  return *this;
}

void FltRecord::release() {
  std::free(data_);
  data_ = nullptr;
  opcode_ = 0;
  length_ = 0;
  cursor_ = 0;
  capacity_ = 0;
  std::memset(scratch_, 0, sizeof scratch_);
  overflowed_ = false;
}

void FltRecord::setLength(int n) {
  if (n < 0) n = 0;
  if (n > kMaxLength) {
    overflowed_ = true;
    n = kMaxLength;
  }
  if (n > capacity_) {
    int32_t capacity = capacity_ == 0 ? 32 : capacity_;
    while (capacity < n) capacity *= 2;
    auto* block = static_cast<uint8_t*>(std::malloc(static_cast<size_t>(capacity)));
    if (!block) std::abort();
    if (data_) std::memcpy(block, data_, length_);
    std::free(data_);
    data_ = block;
    capacity_ = capacity;
  }
  length_ = static_cast<uint16_t>(n);
  if (cursor_ > length_) cursor_ = static_cast<int16_t>(length_);
}

void FltRecord::seek(int pos) {
  cursor_ = static_cast<int16_t>(std::clamp(pos, 0, static_cast<int>(length_)));
}

namespace {

// Most reserved fields and paddings are a few bytes: two 8-byte stores where the
// block has room past them, rather than a call to memset for each.
void zero(uint8_t* at, int n, int room) {
  static constexpr uint8_t kZeros[16] = {};
  if (n <= 16 && room >= 16)
    std::memcpy(at, kZeros, 16);
  else
    std::memset(at, 0, static_cast<size_t>(n));
}

}  // namespace

int FltRecord::skip(int n) {
  if (n < 1) return 0;
  // Reserved fields inside what the block holds: zeros in place, no resizing.
  const int end = cursor_ + n;
  if (end <= capacity_ && end <= kMaxLength) {
    if (end > length_) {
      zero(data_ + length_, end - length_, capacity_ - length_);
      length_ = static_cast<uint16_t>(end);
    }
    cursor_ = static_cast<int16_t>(end);
    return n;
  }
  int existing = std::min(n, length_ - cursor_);
  cursor_ = static_cast<int16_t>(cursor_ + existing);
  int grow = n - existing;
  if (grow > 0) {
    int start = cursor_;
    setLength(start + grow);
    int added = length_ - start;
    if (added > 0) std::memset(data_ + start, 0, added);
    cursor_ = static_cast<int16_t>(length_);
    return existing + added;
  }
  return existing;
}

void FltRecord::alignTo8() {
  int r = cursor_ % 8;
  if (r != 0) skip(8 - r);
}

void FltRecord::writeBytes(const void* src, int n) {
  if (n < 1) return;
  if (cursor_ + n > length_) setLength(cursor_ + n);
  n = std::min(n, length_ - cursor_);  // cut at the record limit
  if (n > 0) std::memcpy(data_ + cursor_, src, n);
  cursor_ = static_cast<int16_t>(cursor_ + n);
}

int FltRecord::readBytes(void* dst, int n) {
  if (n < 1) return 0;
  std::memset(dst, 0, n);
  int count = std::min(n, length_ - cursor_);
  if (count > 0) std::memcpy(dst, data_ + cursor_, count);
  cursor_ = static_cast<int16_t>(cursor_ + count);
  return count;
}

void FltRecord::writeText(const char* text, int width) {
  if (width < 1) return;
  // As strncpy into the field: the text up to its end, then zeros over the rest.
  static const uint8_t kZeros[64] = {};
  const int n = text ? static_cast<int>(strnlen(text, static_cast<size_t>(width))) : 0;
  writeBytes(text, n);
  for (int rest = width - n; rest > 0; rest -= static_cast<int>(sizeof kZeros))
    writeBytes(kZeros, std::min(rest, static_cast<int>(sizeof kZeros)));
}

void FltRecord::readText(char* dst, int width) {
  readBytes(dst, width);
  dst[width] = '\0';
}

FltRecord& FltRecord::putFieldSlow(const void* v, int width) {
  storeBigEndian(v, scratch_, width);
  writeBytes(scratch_, width);
  return *this;
}

FltRecord& FltRecord::getField(void* v, int width) {
  readBytes(scratch_, width);
  storeBigEndian(scratch_, static_cast<uint8_t*>(v), width);
  return *this;
}

void FltRecord::begin(uint16_t opcode) {
  length_ = 0;
  cursor_ = 0;
  overflowed_ = false;
  write16(opcode);
  write16(4);
  opcode_ = opcode;
}

void FltRecord::finish() {
  // Every record but the first: the padding fits the block, the length goes in place.
  const int padded = (length_ + 7) & ~7;
  if (length_ >= 4 && opcode_ != FltVertexList::kOpcode && padded <= capacity_ &&
      padded <= kMaxLength) {
    zero(data_ + length_, padded - length_, capacity_ - length_);
    length_ = static_cast<uint16_t>(padded);
    data_[2] = static_cast<uint8_t>(length_ >> 8);
    data_[3] = static_cast<uint8_t>(length_);
    cursor_ = 4;
    return;
  }
  seek(length_);
  if (opcode_ != FltVertexList::kOpcode) alignTo8();
  // An overflowed record ends at the last multiple of 8 below the limit.
  if (length_ % 8 != 0 && opcode_ != FltVertexList::kOpcode) setLength(length_ - length_ % 8);
  seek(2);
  write16(length_);
}

void FltRecord::assign(const uint8_t* bytes, int n) {
  length_ = 0;
  cursor_ = 0;
  overflowed_ = false;
  writeBytes(bytes, n);
  uint16_t opcode = 0;
  seek(0);
  read16(opcode);
  opcode_ = opcode;
  seek(0);
}
