#pragma once
// A record kind lists its fields once, in a template over the direction: serialise
// runs the list with an FltFieldWriter, parse with an FltFieldReader, so the two sides
// cannot drift apart. Each field takes the width of its type; arrays take their
// elements in order. Where the sides differ on purpose, the list says so through
// kReads.

#include <cstdint>
#include <type_traits>

#include "flt/record.h"

class FltFieldWriter {
 public:
  static constexpr bool kReads = false;
  explicit FltFieldWriter(FltRecord& record) : record_(record) {}

  template <class... T>
  FltFieldWriter& operator()(const T&... fields) {
    (put(fields), ...);
    return *this;
  }
  FltFieldWriter& text(const char* text, int width) {
    record_.writeText(text, width);
    return *this;
  }
  FltFieldWriter& skip(int n) {
    record_.skip(n);
    return *this;
  }
  // A double the record keeps as a 4-byte float.
  FltFieldWriter& asFloat(double v) { return (*this)(static_cast<float>(v)); }

 private:
  template <class T>
  void put(const T& v) {
    if constexpr (std::is_array_v<T>) {
      for (const auto& element : v) put(element);
    } else {
      static_assert(std::is_arithmetic_v<T>, "record fields are numbers");
      if constexpr (sizeof(T) == 1) {
        record_.write8(static_cast<uint8_t>(v));
      } else if constexpr (sizeof(T) == 2) {
        record_.write16(static_cast<uint16_t>(v));
      } else if constexpr (sizeof(T) == 4) {
        record_.write32(v);
      } else {
        static_assert(sizeof(T) == 8, "record fields are 1, 2, 4 or 8 bytes wide");
        record_.write64(v);
      }
    }
  }

  FltRecord& record_;
};

class FltFieldReader {
 public:
  static constexpr bool kReads = true;
  explicit FltFieldReader(FltRecord& record) : record_(record) {}

  template <class... T>
  FltFieldReader& operator()(T&... fields) {
    (get(fields), ...);
    return *this;
  }
  FltFieldReader& text(char* text, int width) {
    record_.readText(text, width);
    return *this;
  }
  // Reading never grows the record: past its end every field reads as zero.
  FltFieldReader& skip(int n) {
    record_.seek(record_.cursor() + n);
    return *this;
  }
  FltFieldReader& asFloat(double& v) {
    float stored = 0;
    (*this)(stored);
    v = stored;
    return *this;
  }

 private:
  template <class T>
  void get(T& v) {
    if constexpr (std::is_array_v<T>) {
      for (auto& element : v) get(element);
    } else {
      static_assert(std::is_arithmetic_v<T>, "record fields are numbers");
      if constexpr (sizeof(T) == 1) {
        record_.read8(v);
      } else if constexpr (sizeof(T) == 2) {
        record_.read16(v);
      } else if constexpr (sizeof(T) == 4) {
        record_.read32(v);
      } else {
        record_.read64(v);
      }
    }
  }

  FltRecord& record_;
};
