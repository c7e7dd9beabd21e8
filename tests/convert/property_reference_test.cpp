// The property vocabulary and the reference made from it: the keys it knows are
// those the comment text strips, the nearest-key search, and the reference's
// byte offsets read back from records filled through the tables.
#include "convert/property_reference.h"
#include "attributes/table_record.h"

#include <gtest/gtest.h>

#include <cstring>
#include <fstream>
#include <map>
#include <memory>
#include <regex>
#include <set>
#include <sstream>
#include <string>

#include "attributes/apply_attributes.h"
#include "attributes/attr_registry.h"
#include "convert/node_comment.h"
#include "convert/property_vocabulary.h"
#include "flt/opcodes.h"
#include "flt/record.h"
#include "host/memory_scene.h"

namespace {

std::set<std::string> vocabularyKeys() {
  std::set<std::string> keys;
  for (const VocabularyKey& k : propertyVocabulary()) keys.insert(k.key);
  return keys;
}

TEST(PropertyVocabularyTest, TablesAndOutsideKeysAreTheKeysTheCommentStrips) {
  std::set<std::string> stripped(std::begin(kFltPropertyKeys), std::end(kFltPropertyKeys));
  std::set<std::string> known = vocabularyKeys();
  // The wire attachments are no Flt keys: the comment keeps them.
  EXPECT_EQ(known.erase("wireinput") + known.erase("wireoutput"), 2u);
  EXPECT_EQ(known, stripped);
  for (const OutsideKey* key : outsideKeys()) {
    EXPECT_FALSE(std::string(key->fills).empty()) << key->key;
    EXPECT_FALSE(std::string(key->absent).empty()) << key->key;
  }
}

TEST(PropertyVocabularyTest, NearestKeyIgnoresCaseAndStopsAtTwoEdits) {
  EXPECT_EQ(editDistanceNoCase("FltLodMx", "FltLodMax"), 1u);
  EXPECT_EQ(editDistanceNoCase("fltlodmax", "FltLodMax"), 0u);
  EXPECT_EQ(editDistanceNoCase("", "abc"), 3u);
  EXPECT_EQ(editDistanceNoCase("kitten", "sitting"), 3u);
  const std::pair<const char*, const char*> cases[] = {
      {"FltLodMx", "FltLodMax"},         {"FLTLODMAX", "FltLodMax"},
      {"FltTerain", "FltTerrain"},       {"FltLodMinn", "FltLodMin"},
      {"FltSwichCurr", "FltSwitchCurr"}, {"FltLtPtDirectionType", "FltLtPtDirectonType"},
  };
  for (const auto& [typed, meant] : cases) {
    const char* nearest = nearestKey(typed);
    ASSERT_NE(nearest, nullptr) << typed;
    EXPECT_STREQ(nearest, meant) << typed;
  }
  // Equally near (X0, Y0, Z0 are one edit away): the first in table order.
  EXPECT_STREQ(nearestKey("FltClipQ0"), "FltClipX0");
  EXPECT_EQ(nearestKey("FltQwertyUiop"), nullptr);
  EXPECT_TRUE(isVocabularyKey("FltLightVtx"));
  EXPECT_FALSE(isVocabularyKey("fltlodmax"));
}

// The keys of each section of the text reference, by section title.
std::map<std::string, std::vector<std::string>> sectionKeys(const std::string& text) {
  std::map<std::string, std::vector<std::string>> sections;
  std::istringstream lines(text);
  std::string line, title;
  static const std::regex keyLine(R"(^  (\S+)(  "[^"]*")?: .*)");
  std::smatch m;
  while (std::getline(lines, line)) {
    if (!line.empty() && line[0] != ' ')
      title = line;
    else if (std::regex_match(line, m, keyLine))
      sections[title].push_back(m[1]);
  }
  return sections;
}

TEST(PropertyReferenceTest, ListsEveryTableRowAndOutsideKeyOnce) {
  std::string text;
  ASSERT_TRUE(propertyReference("", false, text));
  const auto sections = sectionKeys(text);
  ASSERT_EQ(sections.size(), kAttrTableSetCount + 1);
  size_t rows = 0;
  std::set<std::string> listed;
  for (const auto& [title, keys] : sections) {
    rows += keys.size();
    listed.insert(keys.begin(), keys.end());
    std::set<std::string> once(keys.begin(), keys.end());
    EXPECT_EQ(once.size(), keys.size()) << title;
  }
  EXPECT_EQ(rows, propertyVocabulary().size());
  EXPECT_EQ(listed, vocabularyKeys());
}

TEST(PropertyReferenceTest, KindIsAnyTextFltTypeTakes) {
  std::string lod, same, face;
  ASSERT_TRUE(propertyReference("LOD", false, lod));
  EXPECT_EQ(lod.rfind("Level of Detail (FltType = LOD)\n", 0), 0u) << lod;
  for (const char* kind : {"lod", "FLT_LOD", "flt_Lod"}) {
    ASSERT_TRUE(propertyReference(kind, false, same)) << kind;
    EXPECT_EQ(same, lod) << kind;
  }
  ASSERT_TRUE(propertyReference("face", false, face));
  EXPECT_NE(face.find("  FltFaceColor: "), std::string::npos);
  EXPECT_EQ(face.find("FltLodMin"), std::string::npos);
  std::string why;
  EXPECT_FALSE(propertyReference("LODD", false, why));
  EXPECT_NE(why.find("LODD names no record kind with properties; kinds: "), std::string::npos);
  EXPECT_FALSE(propertyReference("vertex_list", false, why));
}

// Absent values and notes a user relies on.
TEST(PropertyReferenceTest, SaysWhatAnAbsentKeyLeavesAndWhichKeysNoRecordReads) {
  std::string text;
  ASSERT_TRUE(propertyReference("", false, text));
  const auto entry = [&](const std::string& key, const std::string& section) {
    const size_t at = text.find(section);
    const size_t from = text.find("\n  " + key + " ", at);
    return text.substr(from + 1, text.find("\n  F", from + 1) - from);
  };
  EXPECT_NE(entry("FltLodMax", "Level of Detail").find("absent: 1\n"), std::string::npos);
  EXPECT_NE(entry("FltEllipsoid", "OpenFlight Header").find("absent: WGS 1984\n"),
            std::string::npos);
  // "WGS_84" is no entry of the list, so the table's text is not offered.
  EXPECT_EQ(entry("FltEllipsoid", "OpenFlight Header").find("suggest"), std::string::npos);
  EXPECT_NE(entry("FltObjNoDay", "Object (").find("read by no record"), std::string::npos);
  EXPECT_NE(entry("FltGrpLayer", "Group (").find("default path"), std::string::npos);
  EXPECT_NE(entry("FltLodMin", "Level of Detail").find("switch-in (far)"), std::string::npos);
}

// A value typed on a node lands in the bytes the reference names: every number key
// of every record kind, filled through the tables and written.
TEST(PropertyReferenceTest, FillsNamesTheBytesTheValueIsWrittenTo) {
  std::string text;
  ASSERT_TRUE(propertyReference("", false, text));
  std::istringstream lines(text);
  std::string line, key, kind;
  static const std::regex fills(R"(^      fills: bytes (\d+)-(\d+) \((32|64)-bit float\)$)");
  static const std::regex title(R"(^.*\((FltType = (\S+)|the node named (\S+))\)$)");
  int checked = 0;
  std::smatch m;
  while (std::getline(lines, line)) {
    if (std::regex_match(line, m, title)) kind = m[2].matched ? m[2] : m[3];
    if (line.rfind("  Flt", 0) == 0) key = line.substr(2, line.find_first_of(" :", 2) - 2);
    if (!std::regex_match(line, m, fills)) continue;
    int16_t opcode = 0;
    ASSERT_TRUE(opcodeFromName(kind.c_str(), &opcode)) << kind;
    const AttrTableSet* set = findAttrTableSet(opcode);
    ASSERT_NE(set, nullptr) << kind;
    const AttrDescriptor* row = findAttribute(set, key.c_str());
    if (!row) continue;  // read outside the tables
    MemoryScene scene;
    MemoryNode& node = scene.addNode("n").setUserText(key + " = 7.25\r\n");
    std::unique_ptr<FltRecordBase> record = newTableRecord(opcode);
    ASSERT_NE(record, nullptr) << kind;
    ASSERT_EQ(applyAttributes(&node, record.get(), set), 1) << key;
    FltRecord written;
    record->serialise(written, 1540);
    const size_t first = std::stoul(m[1]), last = std::stoul(m[2]);
    ASSERT_LT(last, written.length());
    uint64_t bits = 0;
    for (size_t i = first; i <= last; ++i) bits = bits << 8 | written.data()[i];
    double value = 0;
    if (last - first == 7) {
      std::memcpy(&value, &bits, 8);
    } else {
      uint32_t b = static_cast<uint32_t>(bits);
      float f;
      std::memcpy(&f, &b, 4);
      value = f;
    }
    EXPECT_EQ(value, 7.25) << kind << " " << key << " at " << first;
    ++checked;
  }
  // The DOF, light point, clip region, LOD, BSP and header numbers.
  EXPECT_GT(checked, 90) << checked;
}

TEST(PropertyReferenceTest, DocsPropertiesIsTheGeneratedMarkdown) {
  std::ifstream in(std::string(ZORVEL_SOURCE_DIR) + "/docs/properties.md", std::ios::binary);
  const std::string checkedIn((std::istreambuf_iterator<char>(in)),
                              std::istreambuf_iterator<char>());
  std::string generated;
  ASSERT_TRUE(propertyReference("", true, generated));
  EXPECT_TRUE(checkedIn == generated)
      << "docs/properties.md differs from the reference the tables give; write it again with "
         "build/bin/zorvel --list-properties-markdown > docs/properties.md";
}

}  // namespace
