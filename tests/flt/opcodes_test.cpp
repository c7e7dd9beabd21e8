// Opcode names both ways and the shared sorted search.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "flt/opcodes.h"
#include "flt/sorted_search.h"

TEST(Opcodes, NamesAreFoundWhateverTheirCaseAndPrefix) {
  const std::pair<const char*, int16_t> known[] = {{"lod", 73},
                                                   {"Lod", 73},
                                                   {"flt_lod", 73},
                                                   {"FLT_LOD", 73},
                                                   {"group", 2},
                                                   {"push_level", 10},
                                                   {"Vertex_W_Texture_And_Normal", 70}};
  for (auto [name, expected] : known) {
    int16_t opcode = 0;
    EXPECT_EQ(opcodeFromName(name, &opcode), 1) << name;
    EXPECT_EQ(opcode, expected) << name;
  }
  // Far longer than any name: rejected without touching memory past the buffer.
  const std::string huge(100000, 'a'), nearLimit = "FLT_" + std::string(123, 'G');
  int16_t opcode = 42;
  for (const char* name : {"lodx", "XFLT_GROUP", "", "FLT_", static_cast<const char*>(nullptr),
                           huge.c_str(), nearLimit.c_str()})
    EXPECT_EQ(opcodeFromName(name, &opcode), 0) << (name ? name : "null");
  EXPECT_EQ(opcode, 42);
}

TEST(Opcodes, NamesAndCategoriesOfOpcodes) {
  EXPECT_STREQ(opcodeName(70), "FLT_VERTEX_W_TEXTURE_AND_NORMAL");
  EXPECT_STREQ(opcodeName(71), "FLT_VERTEX_W_TEXTURE");
  EXPECT_STREQ(opcodeName(0), "FLT_END_OF_FILE");
  EXPECT_STREQ(opcodeName(126), "FLT_CURVE_NODE");
  for (int unknown : {3, -1, 1000}) EXPECT_STREQ(opcodeName(unknown), "UNDEFINED") << unknown;
  EXPECT_EQ(opcodeCategory(98), 1);
  EXPECT_EQ(opcodeCategory(2), 2);
  EXPECT_EQ(opcodeCategory(33), 3);
  EXPECT_EQ(opcodeCategory(10), 0);
}

TEST(SortedSearch, FindsOrGivesTheInsertionPosition) {
  const std::vector<int> v = {2, 4, 6, 8, 10};
  for (int key = 1; key <= 11; ++key) {
    FltSearchResult r = sortedSearch(v.size(), [&](size_t i) { return v[i] - key; });
    EXPECT_EQ(r.found, key % 2 == 0) << key;
    EXPECT_EQ(r.position, static_cast<size_t>(key / 2 - (key % 2 == 0))) << key;
  }
  EXPECT_EQ(sortedSearch(0, [](size_t) { return 0; }).position, 0u);
}
