#include "host/obj_text.h"

#include <algorithm>
#include <cstring>

#include "host/utf8.h"

namespace {

bool isBlank(char c) {
  return c == ' ' || c == '\t';
}

bool isLineSpace(char c) {
  return isBlank(c) || c == '\r';
}

std::string trimmed(const char* begin, const char* end) {
  while (begin < end && isLineSpace(*begin)) ++begin;
  while (end > begin && isLineSpace(end[-1])) --end;
  return std::string(begin, end);
}

// Whether the line [at, end) is `word` followed by a blank or nothing.
bool startsWord(const char* at, const char* end, const char* word) {
  const size_t n = std::strlen(word);
  return size_t(end - at) >= n && std::memcmp(at, word, n) == 0 &&
         (at + n == end || isLineSpace(at[n]));
}

// Unpaired surrogates and all: names keep their bytes' meaning as far as they have one.
std::string fromUtf16(std::string_view bytes, bool bigEndian) {
  std::string out;
  out.reserve(bytes.size() / 2);
  for (size_t i = 2; i + 1 < bytes.size(); i += 2) {
    const unsigned char a = bytes[i], b = bytes[i + 1];
    unsigned unit = bigEndian ? (a << 8 | b) : (b << 8 | a);
    if (unit >= 0xD800 && unit < 0xDC00 && i + 3 < bytes.size()) {
      const unsigned char c = bytes[i + 2], d = bytes[i + 3];
      const unsigned low = bigEndian ? (c << 8 | d) : (d << 8 | c);
      if (low >= 0xDC00 && low < 0xE000) {
        const unsigned code = 0x10000 + ((unit - 0xD800) << 10) + (low - 0xDC00);
        out += char(0xF0 | code >> 18);
        out += char(0x80 | (code >> 12 & 0x3F));
        out += char(0x80 | (code >> 6 & 0x3F));
        out += char(0x80 | (code & 0x3F));
        i += 2;
        continue;
      }
    }
    appendUtf8(out, unit);
  }
  return out;
}

// UTF-16 text as UTF-8 in `owned`, which `bytes` then views; a UTF-8 mark is skipped.
void decode(std::string_view& bytes, std::string& owned) {
  const bool big =
      bytes.size() >= 2 && (unsigned char)bytes[0] == 0xFE && (unsigned char)bytes[1] == 0xFF;
  const bool little =
      bytes.size() >= 2 && (unsigned char)bytes[0] == 0xFF && (unsigned char)bytes[1] == 0xFE;
  if (big || little) {
    owned = fromUtf16(bytes, big);
    bytes = owned;
  } else if (bytes.substr(0, 3) == "\xEF\xBB\xBF") {
    bytes.remove_prefix(3);
  }
}

// Numbers on a `v` line after the keyword: three for a position, six with a colour.
int numberCount(const char* at, const char* end) {
  int count = 0;
  while (at < end) {
    while (at < end && isLineSpace(*at)) ++at;
    if (at == end) break;
    ++count;
    while (at < end && !isLineSpace(*at)) ++at;
  }
  return count;
}

}  // namespace

ObjText prepareObjText(std::string_view source) {
  ObjText result;
  decode(source, result.text);

  // A material line and what stands in its place.
  struct Edit {
    size_t begin, end;
    std::string with;
  };
  std::vector<Edit> edits;
  bool sawObjectOrFace = false, sawVertex = false;

  const char* const base = source.data();
  const char* const last = base + source.size();
  for (const char* line = base; line < last;) {
    const char* end = static_cast<const char*>(std::memchr(line, '\n', last - line));
    if (!end) end = last;
    const char* at = line;
    while (at < end && isBlank(*at)) ++at;
    if (at < end) {
      switch (*at) {
        case 'u':
          if (size_t(end - at) >= 6 && std::memcmp(at, "usemtl", 6) == 0) {
            std::string with;
            // An empty `usemtl` keeps the material; "usemtlx" is no material line.
            if (startsWord(at, end, "usemtl")) {
              const std::string name = trimmed(at + 6, end);
              if (!name.empty()) {
                auto& names = result.materialNames;
                const size_t number = std::find(names.begin(), names.end(), name) - names.begin();
                if (number == names.size()) names.push_back(name);
                with = "usemtl " + std::to_string(number);
              }
            }
            edits.push_back({size_t(line - base), size_t(end - base), std::move(with)});
          }
          break;
        case 'm':
          if (startsWord(at, end, "mtllib")) {
            if (std::string name = trimmed(at + 6, end); !name.empty())
              result.libraries.push_back(std::move(name));
            edits.push_back({size_t(line - base), size_t(end - base), {}});
          }
          break;
        case 'o':
        case 'g':
        case 'f':
        case 'l':
        case 'p':
          if (!sawObjectOrFace && at + 1 < end && isBlank(at[1])) {
            sawObjectOrFace = true;
            result.facesBeforeObject = *at != 'o' && *at != 'g';
          }
          break;
        case 'v':
          if (!sawVertex && at + 1 < end && isBlank(at[1])) {
            sawVertex = true;
            result.firstVertexColored = numberCount(at + 1, end) >= 6;
          }
          break;
        default:
          break;
      }
    }
    line = end + 1;
  }

  result.rewritten = !result.text.empty();
  if (edits.empty()) {
    if (!result.rewritten) result.original = source;
    return result;
  }
  std::string text;
  text.reserve(source.size() + 16);
  text += "mtllib ";
  text += kAllLibraries;
  text += '\n';
  size_t from = 0;
  for (const Edit& e : edits) {
    text.append(source, from, e.begin - from);
    text += e.with;
    from = e.end;
  }
  text.append(source, from, std::string::npos);
  result.text = std::move(text);
  result.rewritten = true;
  return result;
}
