#pragma once
// A strict reader of JSON for the tests of the JSON dump: the whole grammar, no
// extensions, and an error with its offset instead of a guess.

#include <cstdlib>
#include <cstring>
#include <string>
#include <utility>
#include <vector>

struct Json {
  enum class Kind { kNull, kBool, kNumber, kString, kArray, kObject } kind = Kind::kNull;
  bool boolean = false;
  std::string text;  // a number's digits or a string's decoded bytes
  std::vector<Json> items;
  std::vector<std::pair<std::string, Json>> members;  // in the order written

  const Json* member(const std::string& key) const {
    for (const auto& [k, v] : members)
      if (k == key) return &v;
    return nullptr;
  }
  double number() const { return std::strtod(text.c_str(), nullptr); }
};

class JsonReader {
 public:
  // False with error() set unless the text is one JSON value and nothing else but space.
  bool read(const std::string& text, Json& out) {
    s_ = &text;
    at_ = 0;
    error_.clear();
    if (!value(out, 0)) return false;
    space();
    return at_ == s_->size() || fail("text after the value");
  }
  const std::string& error() const { return error_; }

 private:
  bool fail(const std::string& what) {
    if (error_.empty()) error_ = what + " at offset " + std::to_string(at_);
    return false;
  }
  char peek() const { return at_ < s_->size() ? (*s_)[at_] : '\0'; }
  void space() {
    while (at_ < s_->size() &&
           (peek() == ' ' || peek() == '\n' || peek() == '\t' || peek() == '\r'))
      ++at_;
  }
  bool literal(const char* word) {
    for (const char* c = word; *c; ++c, ++at_)
      if (peek() != *c) return fail(std::string("expected ") + word);
    return true;
  }
  bool digits() {
    const size_t start = at_;
    while (peek() >= '0' && peek() <= '9') ++at_;
    return at_ > start || fail("expected a digit");
  }
  bool number(Json& out) {
    const size_t start = at_;
    if (peek() == '-') ++at_;
    if (peek() == '0') {
      ++at_;
    } else if (!digits()) {
      return false;
    }
    if (peek() == '.' && (++at_, !digits())) return false;
    if (peek() == 'e' || peek() == 'E') {
      ++at_;
      if (peek() == '+' || peek() == '-') ++at_;
      if (!digits()) return false;
    }
    out.kind = Json::Kind::kNumber;
    out.text = s_->substr(start, at_ - start);
    return true;
  }
  bool string(std::string& out) {
    ++at_;  // the opening quote
    for (;;) {
      if (at_ >= s_->size()) return fail("unclosed string");
      const unsigned char c = static_cast<unsigned char>((*s_)[at_++]);
      if (c == '"') return true;
      if (c < 0x20) return fail("control character in a string");
      if (c != '\\') {
        out += static_cast<char>(c);
        continue;
      }
      const char e = peek();
      ++at_;
      const char* plain = "\"\\/bfnrt";
      const char* meant = "\"\\/\b\f\n\r\t";
      if (const char* p = e ? std::strchr(plain, e) : nullptr) {
        out += meant[p - plain];
      } else if (e == 'u' && at_ + 4 <= s_->size()) {
        const std::string hex = s_->substr(at_, 4);
        if (hex.find_first_not_of("0123456789abcdefABCDEF") != std::string::npos)
          return fail("bad \\u escape");
        const long code = std::strtol(hex.c_str(), nullptr, 16);
        if (code > 0xFF) return fail("\\u escape beyond one byte, not made by the dump");
        out += static_cast<char>(code);
        at_ += 4;
      } else {
        return fail("bad escape");
      }
    }
  }
  bool value(Json& out, int depth) {
    if (depth > 64) return fail("nested too deep");
    space();
    const char c = peek();
    if (c == '{') {
      out.kind = Json::Kind::kObject;
      ++at_;
      space();
      if (peek() == '}') return ++at_, true;
      for (;;) {
        space();
        std::string key;
        if (peek() != '"' || !string(key)) return fail("expected a key");
        space();
        if (peek() != ':') return fail("expected :");
        ++at_;
        Json member;
        if (!value(member, depth + 1)) return false;
        out.members.emplace_back(std::move(key), std::move(member));
        space();
        if (peek() == '}') return ++at_, true;
        if (peek() != ',') return fail("expected , or }");
        ++at_;
      }
    }
    if (c == '[') {
      out.kind = Json::Kind::kArray;
      ++at_;
      space();
      if (peek() == ']') return ++at_, true;
      for (;;) {
        Json item;
        if (!value(item, depth + 1)) return false;
        out.items.push_back(std::move(item));
        space();
        if (peek() == ']') return ++at_, true;
        if (peek() != ',') return fail("expected , or ]");
        ++at_;
      }
    }
    if (c == '"') {
      out.kind = Json::Kind::kString;
      return string(out.text);
    }
    if (c == 't' || c == 'f') {
      out.kind = Json::Kind::kBool;
      out.boolean = c == 't';
      return literal(c == 't' ? "true" : "false");
    }
    if (c == 'n') return literal("null");
    return number(out);
  }

  const std::string* s_ = nullptr;
  size_t at_ = 0;
  std::string error_;
};
