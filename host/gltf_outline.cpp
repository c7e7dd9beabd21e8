#include "host/gltf_outline.h"

#include <assimp/scene.h>

#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <string>

#include "host/utf8.h"

namespace {

// One member of a node's extras, typed as Assimp's JSON reader types it.
struct Member {
  enum Kind { kNull, kString, kDouble, kUnsigned, kNegative, kBool, kNested } kind = kNull;
  std::string key;
  std::string text;
  double real = 0;
  uint64_t whole = 0;
  int64_t negative = 0;
  bool flag = false;
};

// A cursor over the document: values not wanted are skipped by their brackets and
// strings, and only the extras are read in full. Every read stays in the text.
class Scanner {
 public:
  Scanner(std::string_view text, int maxDepth)
      : at_(text.data()), end_(text.data() + text.size()), maxDepth_(maxDepth) {
    if (text.size() >= 3 && std::memcmp(at_, "\xEF\xBB\xBF", 3) == 0) at_ += 3;
  }

  char peek() {
    while (at_ < end_ && (*at_ == ' ' || *at_ == '\t' || *at_ == '\n' || *at_ == '\r')) ++at_;
    return at_ < end_ ? *at_ : '\0';
  }
  bool take(char c) {
    if (peek() != c) return false;
    ++at_;
    return true;
  }

  // Calls each(key) with the cursor before the member's value, which it consumes.
  template <class Each>
  bool members(Each&& each) {
    if (!take('{') || !enter(1)) return false;
    if (!take('}')) {
      do {
        std::string key;
        if (peek() != '"' || !string(&key) || !take(':') || !each(key)) return false;
      } while (take(','));
      if (!take('}')) return false;
    }
    --depth_;
    return true;
  }
  template <class Each>
  bool elements(Each&& each) {
    if (!take('[') || !enter(1)) return false;
    if (!take(']')) {
      do {
        if (!each()) return false;
      } while (take(','));
      if (!take(']')) return false;
    }
    --depth_;
    return true;
  }
  int deepest() const { return deepest_; }

  bool skip() {
    const char c = peek();
    if (c == '"') return string(nullptr);
    if (c != '{' && c != '[') {
      const char* start = at_;
      while (at_ < end_ && !std::strchr(",}] \t\r\n", *at_)) ++at_;
      return at_ > start;
    }
    // Brackets and strings only: tinygltf's parser judges the rest.
    const int outer = depth_;
    while (at_ < end_) {
      const char d = *at_;
      if (d == '"') {
        if (!string(nullptr)) return false;
        continue;
      }
      ++at_;
      if ((d == '{' || d == '[') && !enter(1)) return false;
      if ((d == '}' || d == ']') && --depth_ == outer) return true;
    }
    return false;
  }

  bool value(Member& m) {
    switch (peek()) {
      case '"':
        m.kind = Member::kString;
        return string(&m.text);
      case '{':
      case '[':
        m.kind = Member::kNested;
        return skip();
      case 't':
        m.kind = Member::kBool;
        m.flag = true;
        return word("true");
      case 'f':
        m.kind = Member::kBool;
        return word("false");
      case 'n':
        return word("null");
      default:
        return number(m);
    }
  }

 private:
  bool enter(int levels) {
    depth_ += levels;
    if (depth_ > deepest_) deepest_ = depth_;
    return depth_ <= maxDepth_;
  }

  bool word(const char* w) {
    const size_t n = std::strlen(w);
    if (size_t(end_ - at_) < n || std::memcmp(at_, w, n) != 0) return false;
    at_ += n;
    return true;
  }

  bool hex4(uint32_t& cp) {
    if (end_ - at_ < 4) return false;
    cp = 0;
    for (int i = 0; i < 4; ++i) {
      const char c = *at_++;
      const int d = c >= '0' && c <= '9'   ? c - '0'
                    : c >= 'a' && c <= 'f' ? c - 'a' + 10
                    : c >= 'A' && c <= 'F' ? c - 'A' + 10
                                           : -1;
      if (d < 0) return false;
      cp = cp << 4 | unsigned(d);
    }
    return true;
  }

  // At the opening quote; `out` null only skips.
  bool string(std::string* out) {
    ++at_;
    while (at_ < end_) {
      const char c = *at_++;
      if (c == '"') return true;
      if (c != '\\') {
        if (out) *out += c;
        continue;
      }
      if (at_ >= end_) return false;
      const char e = *at_++;
      char plain = 0;
      switch (e) {
        case '"':
        case '\\':
        case '/':
          plain = e;
          break;
        case 'b':
          plain = '\b';
          break;
        case 'f':
          plain = '\f';
          break;
        case 'n':
          plain = '\n';
          break;
        case 'r':
          plain = '\r';
          break;
        case 't':
          plain = '\t';
          break;
        case 'u': {
          uint32_t cp = 0;
          if (!hex4(cp)) return false;
          if (cp >= 0xD800 && cp < 0xDC00) {
            uint32_t low = 0;
            if (end_ - at_ < 2 || at_[0] != '\\' || at_[1] != 'u') return false;
            at_ += 2;
            if (!hex4(low) || low < 0xDC00 || low >= 0xE000) return false;
            cp = 0x10000 + ((cp - 0xD800) << 10) + (low - 0xDC00);
          } else if (cp >= 0xDC00 && cp < 0xE000) {
            return false;
          }
          if (out) appendUtf8(*out, cp);
          continue;
        }
        default:
          return false;
      }
      if (out) *out += plain;
    }
    return false;
  }

  // Integers that fit 64 bits stay integers, unsigned unless negative ("-0" is
  // unsigned too); the rest are doubles.
  bool number(Member& m) {
    const char* start = at_;
    const bool minus = at_ < end_ && *at_ == '-';
    if (minus) ++at_;
    uint64_t whole = 0;
    bool overflow = false;
    const char* digits = at_;
    for (; at_ < end_ && *at_ >= '0' && *at_ <= '9'; ++at_) {
      const unsigned d = unsigned(*at_ - '0');
      if (whole > (UINT64_MAX - d) / 10) overflow = true;
      whole = whole * 10 + d;
    }
    if (at_ == digits) return false;
    bool real = false;
    while (at_ < end_ && (*at_ == '.' || *at_ == 'e' || *at_ == 'E' || *at_ == '+' || *at_ == '-' ||
                          (*at_ >= '0' && *at_ <= '9'))) {
      real = true;
      ++at_;
    }
    if (!real && !overflow && (!minus || whole == 0)) {
      m.kind = Member::kUnsigned;
      m.whole = whole;
      return true;
    }
    if (!real && !overflow && whole <= uint64_t{1} << 63) {
      m.kind = Member::kNegative;
      m.negative = int64_t(0 - whole);
      return true;
    }
    m.kind = Member::kDouble;
    const auto [end, ec] = std::from_chars(start, at_, m.real);
    if (ec == std::errc::result_out_of_range) m.real = minus ? -HUGE_VAL : HUGE_VAL;
    return end == at_ || ec == std::errc::result_out_of_range;
  }

  const char* at_;
  const char* end_;
  int maxDepth_;
  int depth_ = 0;
  int deepest_ = 0;
};

// Assimp's reading of one value: what it cannot type adds nothing.
void set(aiMetadata& meta, unsigned at, const Member& m) {
  switch (m.kind) {
    case Member::kString:
      meta.Set(at, m.key, aiString(m.text));
      break;
    case Member::kDouble:
      meta.Set(at, m.key, m.real);
      break;
    case Member::kUnsigned:
      meta.Set(at, m.key, m.whole);
      break;
    case Member::kNegative:
      meta.Set(at, m.key, static_cast<int32_t>(m.negative));
      break;
    case Member::kBool:
      meta.Set(at, m.key, m.flag);
      break;
    case Member::kNested:
      meta.Set(at, m.key, aiMetadata());
      break;
    case Member::kNull:
      break;
  }
}

bool readNode(Scanner& s, std::unique_ptr<aiMetadata>& out) {
  std::vector<Member> extras;
  bool seenExtras = false, seenExtensions = false, anyExtras = false, anyExtensions = false;
  const bool ok = s.members([&](const std::string& key) {
    // The first member of a name counts, and only when it is an object.
    if (key == "extras" && !seenExtras) {
      seenExtras = true;
      if (s.peek() == '{')
        return s.members([&](const std::string& name) {
          anyExtras = true;
          Member m;
          m.key = name;
          if (!s.value(m)) return false;
          if (m.kind != Member::kNull) extras.push_back(std::move(m));
          return true;
        });
    }
    if (key == "extensions" && !seenExtensions) {
      seenExtensions = true;
      anyExtensions = s.peek() == '{';
      if (anyExtensions) {
        bool any = false;
        const bool read = s.members([&](const std::string&) {
          any = true;
          return s.skip();
        });
        anyExtensions = any;
        return read;
      }
    }
    return s.skip();
  });
  if (!ok) return false;
  out.reset();
  if (!anyExtras && !anyExtensions) return true;
  const unsigned n = unsigned(extras.size()) + (anyExtensions ? 1 : 0);
  out = std::make_unique<aiMetadata>();
  if (n == 0) return true;
  out->mNumProperties = n;
  out->mKeys = new aiString[n]();
  out->mValues = new aiMetadataEntry[n]();
  unsigned at = 0;
  if (anyExtensions) out->Set(at++, "extensions", aiMetadata());
  for (const Member& m : extras) set(*out, at++, m);
  return true;
}

}  // namespace

bool outlineGltf(std::string_view json, int maxDepth, GltfOutline& outline) {
  Scanner s(json, maxDepth);
  outline = GltfOutline();
  const bool ok = s.members([&](const std::string& key) {
    if (s.peek() != '[' || outline.arrays.count(key)) return s.skip();
    // A member named twice counts once, the first, as the parser takes it.
    size_t& length = outline.arrays[key];
    const bool nodes = key == "nodes";
    return s.elements([&] {
      ++length;
      if (!nodes) return s.skip();
      outline.nodeMetadata.emplace_back();
      return s.peek() == '{' ? readNode(s, outline.nodeMetadata.back()) : s.skip();
    });
  });
  outline.depth = s.deepest();
  return ok;
}
