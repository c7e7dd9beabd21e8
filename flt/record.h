#pragma once
// One OpenFlight record under construction: a growable byte block with a cursor.
// Multi-byte fields are always stored big-endian; records are padded to 8 bytes
// except vertex lists.

#include <cstddef>
#include <cstdint>

class FltRecord {
 public:
  // Length, cursor and growth arithmetic are signed 16-bit in the format's tools.
  static constexpr int kMaxLength = 32767;

  FltRecord() = default;
  ~FltRecord() { release(); }
  FltRecord(const FltRecord&) = delete;
  FltRecord& operator=(const FltRecord&) = delete;
  FltRecord(FltRecord&& other) noexcept;
  FltRecord& operator=(FltRecord&& other) noexcept;

  void release();

  // Grows the block (doubling from 32) when needed; lengths past kMaxLength are
  // refused and mark the record as overflowed.
  void setLength(int n);

  uint16_t opcode() const { return opcode_; }
  uint16_t length() const { return length_; }
  int cursor() const { return cursor_; }
  int capacity() const { return capacity_; }
  const uint8_t* data() const { return data_; }
  // Set once a write would have passed kMaxLength; such a record must not be written.
  bool overflowed() const { return overflowed_; }

  void seek(int pos);
  void seekBody() { seek(4); }
  // skip and readBytes answer how many bytes they moved over; most callers need
  // not know, since a read past the end gives zeros and a write grows the record.
  int skip(int n);
  void alignTo8();

  void writeBytes(const void* src, int n);
  int readBytes(void* dst, int n);

  FltRecord& write8(uint8_t v) { return putField(&v, 1); }
  FltRecord& write16(uint16_t v) { return putField(&v, 2); }
  template <class T>
  FltRecord& write32(T v) {
    static_assert(sizeof(T) == 4, "write32 takes a 4-byte value");
    return putField(&v, 4);
  }
  template <class T>
  FltRecord& write64(T v) {
    static_assert(sizeof(T) == 8, "write64 takes an 8-byte value");
    return putField(&v, 8);
  }
  template <class T>
  FltRecord& read8(T& v) {
    static_assert(sizeof(T) == 1, "read8 takes a 1-byte value");
    return getField(&v, 1);
  }
  template <class T>
  FltRecord& read16(T& v) {
    static_assert(sizeof(T) == 2, "read16 takes a 2-byte value");
    return getField(&v, 2);
  }
  template <class T>
  FltRecord& read32(T& v) {
    static_assert(sizeof(T) == 4, "read32 takes a 4-byte value");
    return getField(&v, 4);
  }
  template <class T>
  FltRecord& read64(T& v) {
    static_assert(sizeof(T) == 8, "read64 takes an 8-byte value");
    return getField(&v, 8);
  }

  // Fixed-width text field: the text cut or zero-filled to exactly `width` bytes.
  void writeText(const char* text, int width);
  // Reads a fixed-width text field into dst[width + 1], always zero-terminated.
  void readText(char* dst, int width);

  void begin(uint16_t opcode);
  void finish();

  // Loads a whole record (head included) read from a file, for the parse side.
  void assign(const uint8_t* bytes, int n);

 private:
  // Fields written inside the block's capacity take the inline path; growth,
  // the length limit and overflow go through putFieldSlow.
  FltRecord& putField(const void* v, int width) {
    const int end = cursor_ + width;
    if (end > capacity_ || end > kMaxLength) return putFieldSlow(v, width);
    storeBigEndian(v, data_ + cursor_, width);
    cursor_ = static_cast<int16_t>(end);
    if (end > length_) length_ = static_cast<uint16_t>(end);
    return *this;
  }
  static void storeBigEndian(const void* src, uint8_t* dst, int width) {
    const auto* s = static_cast<const uint8_t*>(src);
#if defined(__BYTE_ORDER__) && __BYTE_ORDER__ == __ORDER_BIG_ENDIAN__
    for (int i = 0; i < width; ++i) dst[i] = s[i];
#else
    for (int i = 0; i < width; ++i) dst[i] = s[width - 1 - i];
#endif
  }
  FltRecord& putFieldSlow(const void* v, int width);
  FltRecord& getField(void* v, int width);

  uint16_t opcode_ = 0;
  uint16_t length_ = 0;
  int16_t cursor_ = 0;
  int32_t capacity_ = 0;
  uint8_t* data_ = nullptr;
  uint8_t scratch_[8] = {};
  bool overflowed_ = false;
};
