#include "host/user_text.h"

#include <cctype>
#include <charconv>
#include <cmath>

namespace {

std::string_view trim(std::string_view s) {
  auto blank = [](char c) { return c == ' ' || c == '\t'; };
  while (!s.empty() && blank(s.front())) s.remove_prefix(1);
  while (!s.empty() && blank(s.back())) s.remove_suffix(1);
  return s;
}

bool equalsNoCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    if (std::tolower(static_cast<unsigned char>(a[i])) !=
        std::tolower(static_cast<unsigned char>(b[i])))
      return false;
  }
  return true;
}

// from_chars takes no leading '+'; a modelling host's number entry does.
std::string_view dropPlus(std::string_view s) {
  if (s.size() > 1 && s[0] == '+' && s[1] != '-' && s[1] != '+') s.remove_prefix(1);
  return s;
}

}  // namespace

std::optional<std::string_view> findUserProperty(std::string_view text, std::string_view key) {
  key = trim(key);
  size_t pos = 0;
  while (pos < text.size()) {
    size_t end = text.find_first_of("\r\n", pos);
    if (end == std::string_view::npos) end = text.size();
    const std::string_view line = text.substr(pos, end - pos);
    const size_t eq = line.find('=');
    if (eq != std::string_view::npos && trim(line.substr(0, eq)) == key)
      return trim(line.substr(eq + 1));
    pos = end + 1;
  }
  return std::nullopt;
}

std::optional<int> parseWholeInt(std::string_view text) {
  text = dropPlus(trim(text));
  int value = 0;
  const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (text.empty() || ec != std::errc() || end != text.data() + text.size()) return std::nullopt;
  return value;
}

std::optional<float> parseWholeFloat(std::string_view text) {
  text = dropPlus(trim(text));
  float value = 0.0f;
  const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (text.empty() || ec != std::errc() || end != text.data() + text.size() ||
      !std::isfinite(value))
    return std::nullopt;
  return value;
}

std::optional<bool> parseBoolWord(std::string_view text) {
  text = trim(text);
  for (const char* yes : {"true", "yes", "on"})
    if (equalsNoCase(text, yes)) return true;
  for (const char* no : {"false", "no", "off"})
    if (equalsNoCase(text, no)) return false;
  if (const auto n = parseWholeInt(text)) return *n != 0;
  return std::nullopt;
}

std::string normalizeLineEnds(std::string_view text) {
  std::string out;
  out.reserve(text.size() + text.size() / 16 + 2);
  for (size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    if (c == '\r') {
      if (i + 1 < text.size() && text[i + 1] == '\n') ++i;
      out += "\r\n";
    } else if (c == '\n') {
      out += "\r\n";
    } else {
      out += c;
    }
  }
  if (!out.empty() && out.back() != '\n') out += "\r\n";
  return out;
}
