#include "host/user_properties.h"

#include <assimp/scene.h>

#include <charconv>
#include <cstring>

#include "host/user_text.h"

namespace {

constexpr const char* kFbxUserText = "UserProperties";
constexpr const char* kGltfUserText = "userText";

template <typename T>
std::string shortest(T value) {
  char buf[64];
  const auto [end, ec] = std::to_chars(buf, buf + sizeof buf, value);
  return ec == std::errc() ? std::string(buf, end) : std::string();
}

// One line per property: a line break inside a key or value would start another.
std::string oneLine(std::string s) {
  for (char& c : s)
    if (c == '\r' || c == '\n') c = ' ';
  return s;
}

std::string unescapeFbxText(const std::string& s) {
  static const struct {
    const char* escape;
    char c;
  } kEscapes[] = {{"&cr;", '\r'}, {"&lf;", '\n'}, {"&quot;", '"'}};
  std::string out;
  out.reserve(s.size());
  for (size_t i = 0; i < s.size();) {
    bool replaced = false;
    for (const auto& e : kEscapes) {
      const size_t n = std::strlen(e.escape);
      if (s.compare(i, n, e.escape) == 0) {
        out += e.c;
        i += n;
        replaced = true;
        break;
      }
    }
    if (!replaced) out += s[i++];
  }
  return out;
}

bool isUserEntry(const std::string& key, UserPropertyStyle style) {
  return style == UserPropertyStyle::kGltfExtras || key.compare(0, 3, "Flt") == 0;
}

}  // namespace

std::optional<std::string> metadataValueText(const aiMetadataEntry& entry) {
  if (!entry.mData) return std::nullopt;
  switch (entry.mType) {
    case AI_BOOL:
      return *static_cast<const bool*>(entry.mData) ? "Yes" : "No";
    case AI_INT32:
      return shortest(*static_cast<const int32_t*>(entry.mData));
    case AI_UINT64:
      return shortest(*static_cast<const uint64_t*>(entry.mData));
    case AI_FLOAT:
      return shortest(*static_cast<const float*>(entry.mData));
    case AI_DOUBLE:
      return shortest(*static_cast<const double*>(entry.mData));
    case AI_AISTRING: {
      const auto* s = static_cast<const aiString*>(entry.mData);
      return std::string(s->C_Str(), s->length);
    }
    default:
      return std::nullopt;
  }
}

std::string userTextFromMetadata(const aiMetadata* metadata, UserPropertyStyle style) {
  if (!metadata || !metadata->mKeys || !metadata->mValues) return {};
  const char* textKey = style == UserPropertyStyle::kGltfExtras ? kGltfUserText : kFbxUserText;

  std::string text;
  unsigned taken = metadata->mNumProperties;
  for (unsigned i = 0; i < metadata->mNumProperties; ++i) {
    const aiMetadataEntry& entry = metadata->mValues[i];
    if (std::strcmp(metadata->mKeys[i].C_Str(), textKey) == 0 && entry.mType == AI_AISTRING &&
        entry.mData) {
      const auto* s = static_cast<const aiString*>(entry.mData);
      text.assign(s->C_Str(), s->length);
      if (style == UserPropertyStyle::kFbxText) text = unescapeFbxText(text);
      taken = i;
      break;
    }
  }
  if (!text.empty() && text.back() != '\n' && text.back() != '\r') text += '\n';

  for (unsigned i = 0; i < metadata->mNumProperties; ++i) {
    const std::string key(metadata->mKeys[i].C_Str(), metadata->mKeys[i].length);
    if (i == taken || !isUserEntry(key, style)) continue;
    std::optional<std::string> value = metadataValueText(metadata->mValues[i]);
    if (!value) continue;
    if (style == UserPropertyStyle::kFbxText) *value = unescapeFbxText(*value);
    text += oneLine(key) + " = " + oneLine(*value) + "\n";
  }
  return normalizeLineEnds(text);
}
