// Node comment text: removal of property-key lines and the comment record it becomes.
#include "convert/node_comment.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "flt/text_record.h"
#include "tests/convert/export_test_support.h"

namespace {

std::string stripped(std::string text) {
  stripFltKeys(text);
  return text;
}

// The removal rule taken literally: search the whole text again after every removal.
std::string strippedSlowly(std::string text) {
  for (const char* key : kFltPropertyKeys)
    for (size_t at; !text.empty() && (at = text.find(key)) != std::string::npos;) {
      size_t cr = text.find('\r', at);
      size_t end = cr == std::string::npos ? text.size() : cr + 1;
      text.erase(at, end - at + (end < text.size() && text[end] == '\n'));
    }
  return text;
}

TEST(NodeCommentTest, KeyLinesAreRemovedAndFreeTextKept) {
  const std::pair<std::string, std::string> cases[] = {
      {"FltType = LOD\r\nTree near the gate\r\n", "Tree near the gate\r\n"},
      {"FltType = LOD\r\nFltLodMin = 5\r\nFltHidden = Yes\r\n", ""},
      {"near FltLodMax the gate\r\nnext\r\n", "near next\r\n"},
      {"  FltHidden = Yes\r\nafter\r\n", "  after\r\n"},
      {"wireinput = 3\r\nwireoutput = 4\r\n", "wireinput = 3\r\nwireoutput = 4\r\n"},
      // A carriage return without a line feed goes alone; the next line joins.
      {"a FltTerrain = Yes\rb\r\n", "a b\r\n"},
      // Every occurrence, also inside values; keys are case-sensitive.
      {"x FltSmc=1\r\ny FltSmc=2\r\nfltsmc=3\r\n", "x y fltsmc=3\r\n"},
      {"FltHidden = Yes\r\n\r\nlast\r\n", "\r\nlast\r\n"},
      // Without a carriage return after it, a key takes the rest of the text.
      {"free\r\nFltType = LOD", "free\r\n"},
      {"one\nFltType = LOD\ntwo\n", "one\n"},
      // A removal can join the text around it into a new occurrence: it goes too.
      {"FltFltType = x\r\nType = y\r\nkeep\r\n", "keep\r\n"},
      {"Flt", "Flt"},
  };
  for (const auto& [text, expected] : cases) EXPECT_EQ(stripped(text), expected) << text;
  std::string big, expected;
  for (int i = 0; i < 20000; ++i) big += "FltSmc = 1\r\nline\r\n", expected += "line\r\n";
  EXPECT_EQ(stripped(big), expected);
  // A key inside another would be a cut-off duplicate in the table.
  for (const char* a : kFltPropertyKeys)
    for (const char* b : kFltPropertyKeys)
      EXPECT_TRUE(a == b || !std::strstr(a, b)) << a << " holds " << b;
}

TEST(NodeCommentTest, OnePassRemovalMatchesTheLiteralRule) {
  const char* pieces[] = {"Flt", "Type", "FltType", "Smc", "FltSmc", "Lod", "Max",    " = 1",
                          "\r",  "\n",   "\r\n",    "x",   "Fl",     "t",   "FltLodM"};
  unsigned seed = 12345;
  for (int round = 0; round < 3000; ++round) {
    std::string text;
    for (int i = 0; i < 12; ++i) {
      seed = seed * 1103515245u + 12345u;
      text += pieces[(seed >> 16) % std::size(pieces)];
    }
    ASSERT_EQ(stripped(text), strippedSlowly(text)) << text;
  }
}

// The record holds the stripped text even when nothing is left, and at most one
// record's worth of a long text.
TEST(NodeCommentTest, CommentRecordCarriesTheStrippedText) {
  ConverterExport ex;
  const MemoryNode* nodes[] = {
      &ex.scene.addNode("a").setUserText("FltType = LOD\r\nTree near the gate\r\n"),
      &ex.scene.addNode("b").setUserText("FltHidden = Yes\r\n"),
      &ex.scene.addNode("c"),
      &ex.scene.addNode("long").setUserText(std::string(40000, 'c') + "\r\n"),
  };
  std::vector<int> results;
  for (const MemoryNode* n : nodes) results.push_back(writeNodeComment(*n, ex.file));
  EXPECT_EQ(results, (std::vector<int>{1, 1, 0, 1}));
  std::vector<std::string> texts;
  for (const FltComment& c : writtenRecords<FltComment>(ex.finish(), "COMMENT"))
    texts.push_back(c.text());
  EXPECT_EQ(texts, (std::vector<std::string>{"Tree near the gate\r\n", "",
                                             std::string(FltTextRecord::kMaxText, 'c')}));
}

}  // namespace
