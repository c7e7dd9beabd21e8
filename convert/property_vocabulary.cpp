#include "convert/property_vocabulary.h"

#include <algorithm>
#include <cctype>
#include <unordered_set>

#include "attributes/attr_registry.h"
#include "attributes/face_colors.h"
#include "attributes/node_kind.h"
#include "attributes/vector_property.h"
#include "convert/light_point_converter.h"
#include "convert/node_comment.h"

namespace {

char lower(char c) {
  return static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
}

}  // namespace

const std::vector<const OutsideKey*>& outsideKeys() {
  static const std::vector<const OutsideKey*> keys = {
      &kNodeKindKey,   &kFaceColorKeys[0], &kFaceColorKeys[1], &kVectorKeys[0],
      &kVectorKeys[1], &kVectorKeys[2],    &kLightVertexKey,   &kImporterVersionKey};
  return keys;
}

const std::vector<VocabularyKey>& propertyVocabulary() {
  static const std::vector<VocabularyKey> keys = [] {
    std::vector<VocabularyKey> all;
    for (size_t i = 0; i < kAttrTableSetCount; ++i) {
      const AttrTableSet& set = kAttrTableSets[i];
      for (const AttrDescriptor* table : {set.secondary, set.primary})
        for (const AttrDescriptor* row = table; row && !row->isEnd(); ++row)
          all.push_back({row->key, &set, row, nullptr});
    }
    for (const OutsideKey* key : outsideKeys()) all.push_back({key->key, nullptr, nullptr, key});
    return all;
  }();
  return keys;
}

bool isVocabularyKey(std::string_view key) {
  static const std::unordered_set<std::string_view> known = [] {
    std::unordered_set<std::string_view> keys;
    for (const VocabularyKey& k : propertyVocabulary()) keys.insert(k.key);
    return keys;
  }();
  return known.count(key) > 0;
}

bool equalsNoCase(std::string_view a, std::string_view b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(),
                                            [](char x, char y) { return lower(x) == lower(y); });
}

size_t editDistanceNoCase(std::string_view a, std::string_view b) {
  std::vector<size_t> row(b.size() + 1);
  for (size_t j = 0; j <= b.size(); ++j) row[j] = j;
  for (size_t i = 1; i <= a.size(); ++i) {
    size_t diagonal = row[0];
    row[0] = i;
    for (size_t j = 1; j <= b.size(); ++j) {
      const size_t above = row[j];
      const size_t cost = lower(a[i - 1]) == lower(b[j - 1]) ? 0 : 1;
      row[j] = std::min({row[j] + 1, row[j - 1] + 1, diagonal + cost});
      diagonal = above;
    }
  }
  return row[b.size()];
}

const char* nearestKey(std::string_view key) {
  const char* best = nullptr;
  size_t bestDistance = 3;
  for (const VocabularyKey& k : propertyVocabulary()) {
    const size_t d = editDistanceNoCase(key, k.key);
    if (d < bestDistance) {
      bestDistance = d;
      best = k.key;
    }
  }
  return best;
}
