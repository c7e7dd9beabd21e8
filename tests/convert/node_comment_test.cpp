// Node comment text: removal of property-key lines and the comment record it becomes.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "convert/node_comment.h"
#include "flt/file_reader.h"
#include "flt/output_file.h"
#include "flt/text_record.h"
#include "host/memory_scene.h"

namespace fs = std::filesystem;

namespace {

std::string stripped(std::string text) {
  stripFltKeys(text);
  return text;
}

TEST(NodeCommentTest, KeyLinesAreRemovedAndFreeTextKept) {
  EXPECT_EQ(stripped("FltType = LOD\r\nTree near the gate\r\n"), "Tree near the gate\r\n");
  EXPECT_EQ(stripped("FltType = LOD\r\nFltLodMin = 5\r\nFltHidden = Yes\r\n"), "");
  EXPECT_EQ(stripped("near FltLodMax the gate\r\nnext\r\n"), "near next\r\n");
  EXPECT_EQ(stripped("  FltHidden = Yes\r\nafter\r\n"), "  after\r\n");
  EXPECT_EQ(stripped("wireinput = 3\r\nwireoutput = 4\r\n"), "wireinput = 3\r\nwireoutput = 4\r\n");
  // A carriage return without a line feed goes alone; the next line joins.
  EXPECT_EQ(stripped("a FltTerrain = Yes\rb\r\n"), "a b\r\n");
  // Every occurrence, also inside values; keys are case-sensitive.
  EXPECT_EQ(stripped("x FltSmc=1\r\ny FltSmc=2\r\nfltsmc=3\r\n"), "x y fltsmc=3\r\n");
  EXPECT_EQ(stripped("FltHidden = Yes\r\n\r\nlast\r\n"), "\r\nlast\r\n");
}

TEST(NodeCommentTest, KeyWithoutCarriageReturnTakesTheRestOfTheText) {
  EXPECT_EQ(stripped("free\r\nFltType = LOD"), "free\r\n");
  EXPECT_EQ(stripped("one\nFltType = LOD\ntwo\n"), "one\n");
}

// A removal can join the text before it and after it into a new occurrence of the same
// key; it is removed too, as a fresh search from the start would find it.
TEST(NodeCommentTest, KeysFormedByARemovalAreRemovedToo) {
  EXPECT_EQ(stripped("FltFltType = x\r\nType = y\r\nkeep\r\n"), "keep\r\n");
  EXPECT_EQ(stripped("Flt"), "Flt");
  std::string big;
  for (int i = 0; i < 20000; ++i) big += "FltSmc = 1\r\nline\r\n";
  std::string expected;
  for (int i = 0; i < 20000; ++i) expected += "line\r\n";
  EXPECT_EQ(stripped(big), expected);
}

// The removal rule taken literally: search the whole text again after every removal.
std::string strippedSlowly(std::string text) {
  for (const char* key : kFltPropertyKeys) {
    for (size_t at; !text.empty() && (at = text.find(key)) != std::string::npos;) {
      size_t cr = text.find('\r', at);
      size_t end = cr == std::string::npos ? text.size() : cr + 1;
      if (end < text.size() && text[end] == '\n') ++end;
      text.erase(at, end - at);
    }
  }
  return text;
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

TEST(NodeCommentTest, NoKeyContainsAnother) {
  for (const char* a : kFltPropertyKeys)
    for (const char* b : kFltPropertyKeys)
      if (a != b) {
        EXPECT_EQ(std::string(a).find(b), std::string::npos) << a << " holds " << b;
      }
}

class NodeCommentFileTest : public ::testing::Test {
 protected:
  // The comment records of a file written with `write`.
  template <class Write>
  std::vector<std::string> commentsOf(Write write) {
    fs::path path = fs::path(testing::TempDir()) / "node_comment_test.flt";
    FltOutputFile file;
    EXPECT_NE(file.open(path.string(), 1560), 0);
    write(file);
    EXPECT_EQ(file.close(), 1);
    FltFileReader reader;
    EXPECT_TRUE(reader.open(path.string()));
    std::vector<std::string> comments;
    while (reader.next()) {
      if (reader.opcode() != FltComment::kOpcode) continue;
      FltComment comment;
      comment.readFrom(reader);
      comments.push_back(comment.text());
    }
    fs::remove(path);
    return comments;
  }
  MemoryScene scene_;
};

TEST_F(NodeCommentFileTest, CommentRecordCarriesTheStrippedTextEvenWhenEmpty) {
  MemoryNode& a = scene_.addNode("a").setUserText("FltType = LOD\r\nTree near the gate\r\n");
  MemoryNode& b = scene_.addNode("b").setUserText("FltHidden = Yes\r\n");
  MemoryNode& c = scene_.addNode("c");
  int results[3] = {};
  auto comments = commentsOf([&](FltOutputFile& file) {
    results[0] = writeNodeComment(a, file);
    results[1] = writeNodeComment(b, file);
    results[2] = writeNodeComment(c, file);
  });
  EXPECT_EQ(results[0], 1);
  EXPECT_EQ(results[1], 1);
  EXPECT_EQ(results[2], 0);
  EXPECT_EQ(comments, (std::vector<std::string>{"Tree near the gate\r\n", ""}));
}

TEST_F(NodeCommentFileTest, LongUserTextIsCutToOneRecord) {
  MemoryNode& n = scene_.addNode("n").setUserText(std::string(40000, 'c') + "\r\n");
  auto comments = commentsOf([&](FltOutputFile& file) { EXPECT_EQ(writeNodeComment(n, file), 1); });
  ASSERT_EQ(comments.size(), 1u);
  EXPECT_EQ(comments[0], std::string(FltTextRecord::kMaxText, 'c'));
}

}  // namespace
