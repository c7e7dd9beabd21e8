#pragma once
// One field of a dumped record, kept typed so that the text dump and the JSON dump
// show the same fields under the same names: the text as `key=value`, JSON as a
// number, string, array or a small object for named values and flags.

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

struct FltDumpValue {
  enum class Kind {
    kNumber,   // text holds the digits, valid as JSON too
    kText,     // quoted; the text dump cuts it after `limit` characters
    kWord,     // unquoted in the text dump (a bit string, a hex colour), a string in JSON
    kHex,      // 0x and `digits` hex digits; a number in JSON
    kNamed,    // number(name): an enumerated value and its name
    kFlags,    // 0xXXXXXXXX(name,name): a bit set and the names of its bits
    kTuple,    // (a,b,c)
    kList,     // a,b,c; the text dump lists the first `limit` items, then "..."
    kMissing,  // ? in text, null in JSON
  };

  Kind kind = Kind::kNumber;
  std::string text;
  uint32_t bits = 0;
  int digits = 8;
  size_t limit = 0;
  std::vector<std::string> names;
  std::vector<FltDumpValue> items;

  static FltDumpValue integer(long long v);
  static FltDumpValue number(double v);
  // A field stored as a single-precision float: printed as the float, so that the
  // text reads back to the very value stored.
  static FltDumpValue number(float v);
  static FltDumpValue quoted(std::string text, size_t limit = 60);
  static FltDumpValue word(std::string text);
  static FltDumpValue hex(uint32_t bits, int digits = 8);
  static FltDumpValue named(long long v, const char* name);
  static FltDumpValue flags(uint32_t bits, std::vector<std::string> names);
  static FltDumpValue tuple(std::vector<FltDumpValue> items);
  static FltDumpValue point(double x, double y, double z);
  static FltDumpValue list(std::vector<FltDumpValue> items, size_t limit);
  static FltDumpValue missing();
};

using FltDumpField = std::pair<std::string, FltDumpValue>;

// The shortest text that reads back as the same value; plain digits where that stays
// short ("100000", not "1e+05"), exponents only for the very large or small.
std::string shortestNumber(double v);
std::string shortestNumber(float v);

// The text in double quotes with backslash escapes, on one line, cut after about
// maxLength characters with "..." behind the closing quote.
std::string dumpQuoted(const std::string& text, size_t maxLength = 60);
// The text as a JSON string, whole; bytes outside ASCII as \u00XX (the file's
// texts have no declared encoding).
std::string jsonQuoted(const std::string& text);

std::string dumpText(const FltDumpValue& value);
std::string dumpJson(const FltDumpValue& value);
