#include "flt/dump_value.h"

#include <charconv>
#include <cmath>
#include <cstdio>

namespace {

template <class T>
std::string shortestText(T v) {
  if (!std::isfinite(v)) return std::isnan(v) ? "nan" : v < 0 ? "-inf" : "inf";
  char text[64];
  const T magnitude = std::fabs(v);
  const bool plain = magnitude == 0 || (magnitude >= T(1e-4) && magnitude < T(1e15));
  auto end = plain ? std::to_chars(text, text + sizeof text, v, std::chars_format::fixed).ptr
                   : std::to_chars(text, text + sizeof text, v).ptr;
  return std::string(text, end);
}

std::string hexText(uint32_t bits, int digits) {
  char text[16];
  std::snprintf(text, sizeof text, "0x%0*X", digits, static_cast<unsigned>(bits));
  return text;
}

std::string joined(const std::vector<std::string>& parts) {
  std::string out;
  for (const std::string& p : parts) out += (out.empty() ? "" : ",") + p;
  return out;
}

}  // namespace

std::string shortestNumber(double v) {
  return shortestText(v);
}

std::string shortestNumber(float v) {
  return shortestText(v);
}

FltDumpValue FltDumpValue::integer(long long v) {
  FltDumpValue value;
  value.text = std::to_string(v);
  return value;
}

FltDumpValue FltDumpValue::number(double v) {
  FltDumpValue value;
  value.text = shortestNumber(v);
  if (!std::isfinite(v)) value.kind = Kind::kWord;
  return value;
}

FltDumpValue FltDumpValue::number(float v) {
  FltDumpValue value;
  value.text = shortestNumber(v);
  if (!std::isfinite(v)) value.kind = Kind::kWord;
  return value;
}

FltDumpValue FltDumpValue::quoted(std::string text, size_t limit) {
  FltDumpValue value;
  value.kind = Kind::kText;
  value.text = std::move(text);
  value.limit = limit;
  return value;
}

FltDumpValue FltDumpValue::word(std::string text) {
  FltDumpValue value;
  value.kind = Kind::kWord;
  value.text = std::move(text);
  return value;
}

FltDumpValue FltDumpValue::hex(uint32_t bits, int digits) {
  FltDumpValue value;
  value.kind = Kind::kHex;
  value.bits = bits;
  value.digits = digits;
  return value;
}

FltDumpValue FltDumpValue::named(long long v, const char* name) {
  FltDumpValue value = integer(v);
  if (name) {
    value.kind = Kind::kNamed;
    value.names = {name};
  }
  return value;
}

FltDumpValue FltDumpValue::flags(uint32_t bits, std::vector<std::string> names) {
  FltDumpValue value;
  value.kind = Kind::kFlags;
  value.bits = bits;
  value.names = std::move(names);
  return value;
}

FltDumpValue FltDumpValue::tuple(std::vector<FltDumpValue> items) {
  FltDumpValue value;
  value.kind = Kind::kTuple;
  value.items = std::move(items);
  return value;
}

FltDumpValue FltDumpValue::point(double x, double y, double z) {
  return tuple({number(x), number(y), number(z)});
}

FltDumpValue FltDumpValue::list(std::vector<FltDumpValue> items, size_t limit) {
  FltDumpValue value;
  value.kind = Kind::kList;
  value.items = std::move(items);
  value.limit = limit;
  return value;
}

FltDumpValue FltDumpValue::missing() {
  FltDumpValue value;
  value.kind = Kind::kMissing;
  return value;
}

std::string dumpQuoted(const std::string& text, size_t maxLength) {
  std::string out = "\"";
  size_t shown = 0;
  for (unsigned char ch : text) {
    if (shown >= maxLength) return out + "\"...";
    switch (ch) {
      case '\n':
        out += "\\n";
        break;
      case '\r':
        out += "\\r";
        break;
      case '\t':
        out += "\\t";
        break;
      case '\\':
        out += "\\\\";
        break;
      case '"':
        out += "\\\"";
        break;
      default:
        if (ch < 0x20 || ch >= 0x7F) {
          char hex[8];
          std::snprintf(hex, sizeof hex, "\\x%02X", ch);
          out += hex;
        } else {
          out += static_cast<char>(ch);
        }
    }
    ++shown;
  }
  return out + "\"";
}

std::string jsonQuoted(const std::string& text) {
  std::string out = "\"";
  for (unsigned char ch : text) {
    if (ch == '"' || ch == '\\') {
      out += '\\';
      out += static_cast<char>(ch);
    } else if (ch == '\n') {
      out += "\\n";
    } else if (ch == '\t') {
      out += "\\t";
    } else if (ch < 0x20 || ch >= 0x7F) {
      char escaped[8];
      std::snprintf(escaped, sizeof escaped, "\\u%04X", ch);
      out += escaped;
    } else {
      out += static_cast<char>(ch);
    }
  }
  return out + "\"";
}

std::string dumpText(const FltDumpValue& v) {
  using K = FltDumpValue::Kind;
  switch (v.kind) {
    case K::kNumber:
    case K::kWord:
      return v.text;
    case K::kText:
      return dumpQuoted(v.text, v.limit);
    case K::kHex:
      return hexText(v.bits, v.digits);
    case K::kNamed:
      return v.text + "(" + v.names[0] + ")";
    case K::kFlags:
      return hexText(v.bits, 8) + (v.names.empty() ? "" : "(" + joined(v.names) + ")");
    case K::kTuple: {
      std::vector<std::string> parts;
      for (const FltDumpValue& item : v.items) parts.push_back(dumpText(item));
      return "(" + joined(parts) + ")";
    }
    case K::kList: {
      std::vector<std::string> parts;
      for (size_t i = 0; i < v.items.size() && i < v.limit; ++i)
        parts.push_back(dumpText(v.items[i]));
      if (v.items.size() > v.limit) parts.push_back("...");
      return joined(parts);
    }
    case K::kMissing:
      return "?";
  }
  return {};
}

std::string dumpJson(const FltDumpValue& v) {
  using K = FltDumpValue::Kind;
  switch (v.kind) {
    case K::kNumber:
      return v.text;
    case K::kText:
    case K::kWord:
      return jsonQuoted(v.text);
    case K::kHex:
      return std::to_string(v.bits);
    case K::kNamed:
      return "{\"value\":" + v.text + ",\"name\":" + jsonQuoted(v.names[0]) + "}";
    case K::kFlags: {
      std::vector<std::string> names;
      for (const std::string& n : v.names) names.push_back(jsonQuoted(n));
      return "{\"value\":" + std::to_string(v.bits) + ",\"names\":[" + joined(names) + "]}";
    }
    case K::kTuple:
    case K::kList: {
      // JSON holds the whole list: it is read by programs, not by eye.
      std::vector<std::string> parts;
      for (const FltDumpValue& item : v.items) parts.push_back(dumpJson(item));
      return "[" + joined(parts) + "]";
    }
    case K::kMissing:
      return "null";
  }
  return {};
}
