// Opcode names both ways and the shared sorted search.
#include <gtest/gtest.h>

#include <vector>

#include "flt/opcodes.h"
#include "flt/sorted_search.h"

TEST(Opcodes, NamesAreFoundWhateverTheirCaseAndPrefix) {
  for (const char* name : {"lod", "Lod", "flt_lod", "FLT_LOD"}) {
    int16_t opcode = 0;
    EXPECT_EQ(opcodeFromName(name, &opcode), 1) << name;
    EXPECT_EQ(opcode, 73) << name;
  }
  int16_t opcode = 0;
  EXPECT_EQ(opcodeFromName("group", &opcode), 1);
  EXPECT_EQ(opcode, 2);
  EXPECT_EQ(opcodeFromName("push_level", &opcode), 1);
  EXPECT_EQ(opcode, 10);
  EXPECT_EQ(opcodeFromName("Vertex_W_Texture_And_Normal", &opcode), 1);
  EXPECT_EQ(opcode, 70);
}

TEST(Opcodes, UnknownNamesAreNotFound) {
  int16_t opcode = 42;
  EXPECT_EQ(opcodeFromName("lodx", &opcode), 0);
  EXPECT_EQ(opcodeFromName("XFLT_GROUP", &opcode), 0);
  EXPECT_EQ(opcodeFromName("", &opcode), 0);
  EXPECT_EQ(opcodeFromName("FLT_", &opcode), 0);
  EXPECT_EQ(opcodeFromName(nullptr, &opcode), 0);
  EXPECT_EQ(opcode, 42);
  // Far longer than any name: rejected without touching memory past the buffer.
  std::string huge(100000, 'a');
  EXPECT_EQ(opcodeFromName(huge.c_str(), &opcode), 0);
  std::string nearLimit = "FLT_" + std::string(123, 'G');
  EXPECT_EQ(opcodeFromName(nearLimit.c_str(), &opcode), 0);
}

TEST(Opcodes, NamesOfOpcodes) {
  EXPECT_STREQ(opcodeName(70), "FLT_VERTEX_W_TEXTURE_AND_NORMAL");
  EXPECT_STREQ(opcodeName(71), "FLT_VERTEX_W_TEXTURE");
  EXPECT_STREQ(opcodeName(0), "FLT_END_OF_FILE");
  EXPECT_STREQ(opcodeName(126), "FLT_CURVE_NODE");
  EXPECT_STREQ(opcodeName(3), "UNDEFINED");
  EXPECT_STREQ(opcodeName(-1), "UNDEFINED");
  EXPECT_STREQ(opcodeName(1000), "UNDEFINED");
  EXPECT_EQ(opcodeCategory(98), 1);
  EXPECT_EQ(opcodeCategory(2), 2);
  EXPECT_EQ(opcodeCategory(33), 3);
  EXPECT_EQ(opcodeCategory(10), 0);
}

TEST(SortedSearch, FindsOrGivesTheInsertionPosition) {
  const std::vector<int> v = {2, 4, 6, 8, 10};
  auto search = [&](int key) {
    return sortedSearch(v.size(), [&](size_t i) { return v[i] - key; });
  };
  for (size_t i = 0; i < v.size(); ++i) {
    FltSearchResult r = search(v[i]);
    EXPECT_TRUE(r.found);
    EXPECT_EQ(r.position, i);
  }
  const int keys[] = {1, 3, 5, 7, 9, 11};
  for (size_t i = 0; i < 6; ++i) {
    FltSearchResult r = search(keys[i]);
    EXPECT_FALSE(r.found) << keys[i];
    EXPECT_EQ(r.position, i) << keys[i];
  }
  EXPECT_EQ(sortedSearch(0, [](size_t) { return 0; }).position, 0u);
}
