#include "plugin/option_lists.h"

#include <algorithm>
#include <cctype>
#include <sstream>

namespace {

const OptionListEntry* entriesOf(OptionList list) {
  switch (list) {
    case OptionList::kVersion:
      return kVersionEntries;
    case OptionList::kProjection:
      return kProjectionEntries;
    case OptionList::kEllipsoid:
      return kEllipsoidEntries;
    case OptionList::kUnits:
    default:
      return kUnitsEntries;
  }
}

// Case aside, and `_` as the attribute texts write a space.
std::string folded(const std::string& text) {
  std::string out = text;
  for (char& c : out)
    c = c == '_' ? ' ' : static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return out;
}

bool lessIgnoringCase(const std::string& a, const std::string& b) {
  return std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
    return std::tolower(static_cast<unsigned char>(x)) <
           std::tolower(static_cast<unsigned char>(y));
  });
}

bool startsWith(const std::string& text, const std::string& start) {
  return text.compare(0, start.size(), start) == 0;
}

// The folded forms a text may take to pick `entry`.
std::vector<std::string> keysOf(OptionList list, const std::string& entry) {
  std::vector<std::string> keys{folded(entry)};
  const std::string prefix = folded(kVersionPrefix);
  if (list == OptionList::kVersion && startsWith(keys[0], prefix))
    keys.push_back(keys[0].substr(prefix.size()));
  return keys;
}

}  // namespace

const char* optionListName(OptionList list) {
  switch (list) {
    case OptionList::kVersion:
      return "Version";
    case OptionList::kProjection:
      return "Projection";
    case OptionList::kEllipsoid:
      return "Ellipsoid";
    case OptionList::kUnits:
    default:
      return "Units";
  }
}

std::vector<std::string> optionListTexts(OptionList list) {
  std::vector<std::string> texts;
  for (const OptionListEntry* e = entriesOf(list); e->name; ++e) {
    if (list == OptionList::kVersion && e->value < kFirstListedVersion) continue;
    texts.emplace_back(e->name);
  }
  std::stable_sort(texts.begin(), texts.end(), lessIgnoringCase);
  return texts;
}

OptionListMatch matchOptionListText(OptionList list, const std::string& text) {
  const std::vector<std::string> texts = optionListTexts(list);
  OptionListMatch match;
  for (const std::string& entry : texts)
    if (entry == text) {
      match.entry = entry;
      return match;
    }
  const std::string typed = folded(text);
  if (typed.empty()) return match;
  // "14" names a version the dialog does not offer, not the start of "14.2".
  for (const OptionListEntry* e = entriesOf(list); e->name; ++e)
    for (const std::string& key : keysOf(list, e->name))
      if (key == typed && std::find(texts.begin(), texts.end(), e->name) == texts.end())
        return match;
  // A whole key wins over prefixes: "15.5" is not also the start of "15.5.1".
  std::vector<std::string> whole;
  for (const std::string& entry : texts) {
    bool isWhole = false, isPrefix = false;
    for (const std::string& key : keysOf(list, entry)) {
      isWhole = isWhole || key == typed;
      isPrefix = isPrefix || startsWith(key, typed);
    }
    if (isWhole) whole.push_back(entry);
    if (isPrefix) match.candidates.push_back(entry);
  }
  if (whole.size() == 1) {
    match.entry = whole[0];
    match.candidates.clear();
  } else if (whole.empty() && match.candidates.size() == 1) {
    match.entry = match.candidates[0];
    match.candidates.clear();
  }
  return match;
}

namespace {

// Prints `words` after `lead` (of `indent` columns), breaking lines between
// words at `width`; the lines after the first start with `indent` spaces.
void printWrapped(std::ostream& out, std::string line, const std::vector<std::string>& words,
                  size_t indent, size_t width) {
  for (const std::string& word : words) {
    const bool fresh = line.size() == indent;
    if (!fresh && line.size() + 1 + word.size() > width) {
      out << line << '\n';
      line.assign(indent, ' ');
    }
    line += (line.size() == indent ? "" : " ") + word;
  }
  out << line << '\n';
}

std::vector<std::string> wordsOf(const std::string& text) {
  std::vector<std::string> words;
  std::istringstream in(text);
  for (std::string word; in >> word;) words.push_back(word);
  return words;
}

}  // namespace

void printOptionListTexts(std::ostream& out, size_t width) {
  printWrapped(out, "",
               wordsOf("Accepted texts of the list fields: an entry in any case, with _ for a "
                       "space, or a prefix that fits only one entry; a version also without \"" +
                       std::string(kVersionPrefix) + "\" (15.4)."),
               0, width);
  const size_t indent = 14;
  for (OptionList list : kOptionLists) {
    std::string lead = std::string("  ") + optionListName(list) + ":";
    lead.resize(indent, ' ');
    std::vector<std::string> items = optionListTexts(list);
    for (size_t i = 0; i + 1 < items.size(); ++i) items[i] += ",";
    printWrapped(out, lead, items, indent, width);
  }
}
