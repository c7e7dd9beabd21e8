// Attribute tables and property readers: every row against its record's layout, the
// storing rules the layout does not show, and the face-color, switch-mask and kind readers.
#include <gtest/gtest.h>

#include <cstring>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "attributes/apply_attributes.h"
#include "attributes/attr_registry.h"
#include "attributes/face_colors.h"
#include "attributes/node_kind.h"
#include "attributes/switch_masks.h"
#include "attributes/table_record.h"
#include "attributes/vector_property.h"
#include "convert/node_comment.h"
#include "flt/bsp.h"
#include "flt/clip_region.h"
#include "flt/color_palette.h"
#include "flt/dof.h"
#include "flt/external_ref.h"
#include "flt/face.h"
#include "flt/group.h"
#include "flt/header.h"
#include "flt/light_point.h"
#include "flt/lod.h"
#include "flt/object.h"
#include "flt/record.h"
#include "flt/switch.h"
#include "flt/text_record.h"
#include "host/memory_object.h"
#include "host/memory_scene.h"
#include "host/mesh_builders.h"

namespace {

std::vector<uint8_t> bytesOf(const FltRecordBase& record) {
  FltRecord r;
  record.serialise(r, 1560);
  return {r.data(), r.data() + r.length()};
}

// Where each row's value is written in the record, row by row; -1 for rows storing nothing.
// Keyed by opcode, and true for the face's secondary table.
const std::map<std::pair<int, bool>, std::vector<int>> kWrittenAt = {
    {{1, false}, {12, 62, 92, 268, 220, 228, 236, 244, -1}},
    {{5, false}, {12, 36, 32, 34, 48, 44, 44, 44, -1, 25, -1, -1, -1, -1}},
    {{5, true}, {18}},
    {{73, false}, {16, 24, 64, 40, 48, 56, 36, 32, 34, -1}},
    {{111, false}, {12,  14,  16,  20,  24,  28,  32,  36,  40,  44,  48,  52,  56,  60,  64,  68,
                    72,  76,  80,  84,  88,  92,  96,  100, 104, 108, 112, 116, 120, 124, 128, 132,
                    136, 136, 136, 136, 136, 136, 136, 136, 136, 136, 136, 136, 140, 144, 148, -1}},
    {{63, false}, {4, 208, 208, 208, 208, 208, 208, -1}},
    {{2, false}, {12, 20, 22, 24, 26, 16, 16, 16, 16, 16, -1}},
    {{4, false}, {16, 18, 24, 12, 12, 12, 12, 12, 12, 20, 22, -1}},
    {{14, false},
     {16,  24,  32,  40,  48,  56,  64,  72,  80,  168, 176, 376, 152, 160, 136, 144, 376, 120, 128,
      104, 112, 376, 88,  96,  360, 368, 376, 344, 352, 328, 336, 376, 312, 320, 296, 304, 376, 280,
      288, 232, 240, 376, 216, 224, 200, 208, 376, 184, 192, 264, 272, 376, 248, 256, -1}},
    {{55, false}, {16, 24, 32, 40, -1}},
    {{96, false}, {16, 24, -1, -1, -1}},
    {{98, false}, {24, 32, 40, 48, 56, 64, 72, 80, 88, 96, 104, 112, 18, 19, 20, 21, 22, -1}},
};

// Property texts to try for a row, the first that changes the record counts.
std::vector<std::string> candidateTexts(const AttrDescriptor& d) {
  switch (d.type) {
    case AttrType::kText:
      return {"abc_d"};
    case AttrType::kInteger:
      return {"90"};
    case AttrType::kFloat:
      return {"-123.5"};  // the sign byte differs from every default
    case AttrType::kEnumeration: {
      std::vector<std::string> texts;
      for (const AttrEnumEntry* e = d.enumeration; e->name; ++e) {
        texts.push_back(e->name);
        for (char& c : texts.back())
          if (c == ' ') c = '_';
      }
      return texts;
    }
    default:
      return {};
  }
}

class AttributesTest : public ::testing::Test {
 protected:
  MemoryNode& node(const std::string& text) { return scene_.addNode("n").setUserText(text); }
  MemoryScene scene_;
};

// Every table of the registry, applied row by row to a fresh record: each row reaches the
// member written at its listed offset, with a target that suits its encoding. Each table
// closes with the comment row, and its keys and the comment key list agree.
TEST_F(AttributesTest, EveryRowStoresWhereItsRecordWritesIt) {
  const std::set<std::string> readersOwn = {"FltType",     "FltImporterVersion", "FltFaceColor",
                                            "FltAltColor", "FltVectorX",         "FltVectorY",
                                            "FltVectorZ",  "FltLightVtx"};
  const std::set<std::string> listed(std::begin(kFltPropertyKeys), std::end(kFltPropertyKeys));
  ASSERT_EQ(listed.size(), kFltPropertyKeyCount);
  std::set<std::string> inTables;
  size_t tables = 0;
  for (size_t s = 0; s < kAttrTableSetCount; ++s) {
    const AttrTableSet& set = kAttrTableSets[s];
    EXPECT_EQ(findAttrTableSet(set.opcode), &set);
    for (bool secondary : {false, true}) {
      const AttrDescriptor* table = secondary ? set.secondary : set.primary;
      if (!table) continue;
      auto found = kWrittenAt.find({set.opcode, secondary});
      ASSERT_NE(found, kWrittenAt.end()) << set.name;
      ++tables;
      const std::vector<int>& offsets = found->second;
      size_t rows = 0;
      while (!table[rows].isEnd()) ++rows;
      ASSERT_EQ(rows, offsets.size()) << set.name;
      EXPECT_TRUE(rows == 1 || std::string(table[rows - 1].key) == "FltComment") << set.name;
      for (size_t i = 0; i < rows; ++i) {
        const AttrDescriptor& d = table[i];
        SCOPED_TRACE(d.key);
        const std::string key = d.key;
        inTables.insert(key);
        EXPECT_TRUE(listed.count(key) || key == "wireinput" || key == "wireoutput");
        EXPECT_NE(d.type, AttrType::kBoolean);
        EXPECT_EQ(d.target.isNone(), offsets[i] < 0);
        EXPECT_EQ(d.encoding == AttrEncoding::kNothing, offsets[i] < 0);
        if (offsets[i] < 0) continue;

        bool changed = false;
        for (const std::string& text : candidateTexts(d)) {
          std::unique_ptr<FltRecordBase> before = newTableRecord(set.opcode);
          std::unique_ptr<FltRecordBase> after = newTableRecord(set.opcode);
          ASSERT_EQ(applyAttribute(node(std::string(d.key) + " = " + text + "\r\n"), *after, d), 1);
          std::vector<uint8_t> a = bytesOf(*before), b = bytesOf(*after);
          ASSERT_EQ(a.size(), b.size());
          std::vector<size_t> diffs;
          for (size_t k = 0; k < a.size(); ++k)
            if (a[k] != b[k]) diffs.push_back(k);
          if (diffs.empty()) continue;
          changed = true;
          size_t width = d.target.kind == AttrTargetKind::kText ? 200 : d.target.width;
          EXPECT_GE(diffs.front(), static_cast<size_t>(offsets[i]));
          EXPECT_LT(diffs.back(), offsets[i] + width);
          if (d.target.kind == AttrTargetKind::kFloat || d.target.kind == AttrTargetKind::kDouble) {
            EXPECT_EQ(diffs.front(), static_cast<size_t>(offsets[i]));  // sign/exponent byte
          }
          break;
        }
        EXPECT_TRUE(changed);
      }
    }
  }
  EXPECT_EQ(tables, kWrittenAt.size());
  for (const std::string& key : listed)
    EXPECT_NE(inTables.count(key) != 0, readersOwn.count(key) != 0) << key;
}

TEST_F(AttributesTest, MaskedBooleansKeepTheOtherBitsOfTheirFlagsWord) {
  FltFace face;
  face.flags = FltFace::kFlagTerrain | FltFace::kFlagFootprint | 0x1;
  EXPECT_EQ(applyAttributes(&node("FltHidden = Yes\r\n"), &face), 1);
  EXPECT_EQ(face.flags, FltFace::kFlagTerrain | FltFace::kFlagFootprint | FltFace::kFlagHidden | 1);
  EXPECT_EQ(applyAttributes(&node("FltHidden = No\r\nFltTerrain = No\r\n"), &face), 1);
  EXPECT_EQ(face.flags, FltFace::kFlagFootprint | 1u);

  FltLightPoint lp;
  lp.flags = 0x00004000;
  EXPECT_TRUE(
      applyAttributes(&node("FltLtPtQuality = High\r\nFltLtPtRandomize = Medium\r\n"), &lp));
  EXPECT_EQ(lp.flags, 262144u | 33554432u | 0x00004000u);

  FltLod lod;
  lod.flags = 0x80000001;
  EXPECT_TRUE(applyAttributes(&node("FltLodFrozen = Yes\r\n"), &lod));
  EXPECT_EQ(lod.flags, 0x84000001u);
  EXPECT_TRUE(applyAttributes(&node("FltLodFrozen = No\r\n"), &lod));
  EXPECT_EQ(lod.flags, 0x80000001u);
}

TEST_F(AttributesTest, ValuesAreReadStrictlyAndCutToTheirMember) {
  // Booleans and enumerations take only exact names, underscores standing for spaces.
  FltLightPoint lp;
  EXPECT_EQ(applyAttributes(&node("FltLtPtFlashing = 1\r\nFltLtPtVisDay = yes\r\n"), &lp), 0);
  EXPECT_EQ(lp.flags, 0u);
  EXPECT_TRUE(applyAttributes(&node("FltLtPtDisableFade = Yes\r\n"), &lp));
  EXPECT_EQ(lp.fadingMode, 1);  // no mask: the whole member
  FltHeader header;
  header.ellipsoid = 3;
  EXPECT_EQ(applyAttributes(&node("FltEllipsoid = WGS_84\r\n"), &header), 0);
  EXPECT_EQ(header.ellipsoid, 3);
  EXPECT_TRUE(applyAttributes(&node("FltUnits = Nautical_Miles\r\nFltOriginLat = 37.123456789\r\n"),
                              &header));
  EXPECT_EQ(header.vertexUnits, 8);
  // Doubles are widened from the float reading.
  EXPECT_EQ(header.originLat, static_cast<double>(37.123456789f));
  EXPECT_NE(header.originLat, 37.123456789);

  // Integers are cut to their member's width.
  FltGroup group;
  EXPECT_TRUE(applyAttributes(&node("FltGrpLayer = 300\r\nFltGrpSpecial1 = 70000\r\n"), &group));
  EXPECT_EQ(group.layerCode, 44);
  EXPECT_EQ(group.specialEffectId1, 4464);
  FltObject object;
  EXPECT_TRUE(applyAttributes(&node("FltObjSpecial1 = -3\r\n"), &object));
  EXPECT_EQ(object.specialEffectId1, -3);

  // A path keeps its underscores and is cut to its field; absent override keys keep the flags.
  FltExternalRef ref;
  ref.flags = 0x12345678;
  EXPECT_TRUE(applyAttributes(&node("FltXRefFilename = my_model.flt\r\n"), &ref));
  EXPECT_STREQ(ref.path, "my_model.flt");
  EXPECT_EQ(ref.flags, 0x12345678u);
  EXPECT_TRUE(applyAttributes(&node("FltXRefFilename = " + std::string(500, 'x') + "\r\n"), &ref));
  EXPECT_EQ(std::strlen(ref.path), 200u);
  EXPECT_TRUE(
      applyAttributes(&node("FltXRefFilename = short\r\nFltXRefOverrideColors = No\r\n"), &ref));
  EXPECT_STREQ(ref.path, "short");
  EXPECT_EQ(ref.flags, 0x12345678u & ~0x80000000u);

  std::string underscores(10000, '_');  // no length limit
  EXPECT_EQ(underscoresToSpaces(underscores + "a_b"), std::string(10000, ' ') + "a b");
  EXPECT_EQ(underscoresToSpaces(""), "");
}

TEST_F(AttributesTest, ApplyingReportsWhetherAnythingWasStoredAndRunsTheSecondaryTableFirst) {
  FltFace face;
  EXPECT_EQ(applyAttributes(nullptr, &face), 0);
  EXPECT_EQ(applyAttributes(&node("FltHidden = Yes\r\n"), nullptr), 0);
  FltComment comment("x");  // a record kind without tables
  EXPECT_EQ(applyAttributes(&node("FltHidden = Yes\r\n"), &comment), 0);
  // Rows store nothing into a record of another kind.
  FltGroup group;
  EXPECT_EQ(applyAttributes(&node("FltLodMin = 5\r\n"), &group, findAttrTableSet(73)), 0);
  // Rows that store nothing report nothing.
  EXPECT_EQ(
      applyAttributes(&node("FltSuperFace = Yes\r\nwireinput = 3\r\nFltComment = a\r\n"), &face),
      0);
  EXPECT_EQ(applyAttributes(&node("FltDrawType = 2\r\n"), &face), 1);
  EXPECT_EQ(face.drawType, 2);

  // Both tables of a set aim at one member: the primary table, applied last, wins.
  const AttrDescriptor first[] = {
      {"A", "KeyA", AttrType::kInteger, "0", attrTarget<&FltFace::drawType>(), AttrEncoding::kInt8},
      {}};
  const AttrDescriptor second[] = {
      {"B", "KeyB", AttrType::kInteger, "0", attrTarget<&FltFace::drawType>(), AttrEncoding::kInt8},
      {}};
  const AttrTableSet set = {"Test", 5, first, second};
  EXPECT_TRUE(applyAttributes(&node("KeyA = 7\r\nKeyB = 9\r\n"), &face, &set));
  EXPECT_EQ(face.drawType, 7);
}

TEST_F(AttributesTest, NodeKindAndVectorReaders) {
  int opcode = -1;
  EXPECT_EQ(readNodeKind(nullptr, true, &opcode), 0);
  EXPECT_EQ(readNodeKind(&node("FltType = LOD\r\n"), false, &opcode), 1);
  EXPECT_EQ(opcode, 73);
  EXPECT_EQ(readNodeKind(&node("FltType = FLT_LIGHT_POINT\r\n"), true, &opcode), 1);
  EXPECT_EQ(opcode, 111);
  // Without a known FltType only the fallback reads the object class.
  MemoryNode& geometric = node("FltType = Banana\r\n").setMesh(makeBox({0, 0, 0}, {1, 1, 1}));
  EXPECT_EQ(readNodeKind(&geometric, false, &opcode), 0);
  const std::pair<MemoryNode*, int> fallbacks[] = {
      {&geometric, 5},
      {&node("").setObject(makeShapeObject()), 5},
      {&node("").setGroupHead().setObject(makeHelperObject()), 2},
      {&node("").setObject(makeHelperObject()), -1},
      {&node(""), -1}};
  for (const auto& [n, expected] : fallbacks) {
    opcode = -1;
    EXPECT_EQ(readNodeKind(n, true, &opcode), expected > 0 ? 1 : 0) << expected;
    EXPECT_EQ(opcode, expected);
  }

  double v[3] = {7, 8, 9};
  EXPECT_EQ(readNodeVector(node("FltVectorY = 0.1\r\n"), v), 1);
  EXPECT_EQ(v[0], 7.0);
  EXPECT_EQ(v[1], static_cast<double>(0.1f));
  EXPECT_EQ(v[2], 9.0);
  EXPECT_EQ(readNodeVector(node("FltVectorX = east\r\n"), v), 0);
  double d = 0;
  EXPECT_EQ(readNodeDouble(node("K = -2.5\r\n"), "K", &d), 1);
  EXPECT_EQ(d, -2.5);
}

TEST_F(AttributesTest, FaceColorsComeFromHexTextsAndClearTheirOwnNoColorFlag) {
  FltColorPalette palette;
  FltFace face;
  EXPECT_EQ(readFaceColors(node("FltFaceColor = FF000080\r\n"), face, palette), 1);
  EXPECT_EQ(face.primaryColor, FltPackedColor::fromBytes(255, 0, 0, 128));
  EXPECT_EQ(face.primaryColorIndex, palette.colorIndex(face.primaryColor));
  EXPECT_EQ(face.flags & FltFace::kFlagNoColor, 0u);
  EXPECT_NE(face.flags & FltFace::kFlagNoAltColor, 0u);

  FltFace alt;
  EXPECT_EQ(readFaceColors(node("FltAltColor = 00ff20\r\n"), alt, palette), 1);
  EXPECT_EQ(alt.alternateColor, FltPackedColor::fromBytes(0, 255, 32, 0));  // missing alpha: 0
  EXPECT_EQ(alt.alternateColorIndex, palette.colorIndex(alt.alternateColor));
  EXPECT_EQ(alt.flags, FltFace::kFlagTerrain | FltFace::kFlagNoColor);

  FltFace shortText;
  EXPECT_TRUE(readFaceColors(node("FltFaceColor = 1\r\n"), shortText, palette));
  EXPECT_EQ(shortText.primaryColor, FltPackedColor::fromBytes(1, 0, 0, 0));

  FltFace none;
  EXPECT_EQ(readFaceColors(node("FltHidden = Maybe\r\n"), none, palette), 0);
  EXPECT_EQ(readFaceColors(node("FltHidden = Yes\r\n"), none, palette), 1);
}

TEST_F(AttributesTest, SwitchMasksAreReadLeastSignificantFirstAndCutToOneRecord) {
  auto masks = [&](const std::string& text, int found) {
    FltSwitch sw;
    EXPECT_EQ(readSwitchMasks(node(text), sw), found) << text;
    return sw.maskWords;
  };
  // Nothing is read unless the table found the current mask or the width.
  EXPECT_TRUE(masks("FltSwitchMaskCount = 1\r\nFltSwitchMaskData = 01\r\n", 0).empty());
  EXPECT_EQ(masks("FltSwitchMaskWidth = 2\r\nFltSwitchMaskCount = 1\r\n"
                  "FltSwitchMaskData = 0100000002000000\r\n",
                  1),
            (std::vector<uint32_t>{1, 2}));
  // Short and odd texts, pairs without digits: what is not read stays 0.
  EXPECT_EQ(masks("FltSwitchMaskWidth = 2\r\nFltSwitchMaskCount = 2\r\n"
                  "FltSwitchMaskData = 78563412zz0f1\r\n",
                  1),
            (std::vector<uint32_t>{0x12345678, 0x0f00, 0, 0}));
  EXPECT_EQ(masks("FltSwitchCurr = 1\r\nFltSwitchMaskCount = 3\r\n", 1),
            (std::vector<uint32_t>{0, 0, 0}));

  // Counts and widths that no record could carry.
  FltSwitch huge;
  EXPECT_TRUE(
      readSwitchMasks(node("FltSwitchMaskWidth = 3\r\nFltSwitchMaskCount = 2147483647\r\n"), huge));
  EXPECT_EQ(huge.maskWords.size(), kMaxSwitchMaskWords / 3 * 3);
  FltRecord r;
  huge.serialise(r, 1560);
  EXPECT_FALSE(r.overflowed());
  for (const char* text : {"FltSwitchMaskWidth = 1\r\nFltSwitchMaskCount = -5\r\n",
                           "FltSwitchMaskWidth = 2000000000\r\nFltSwitchMaskCount = 2\r\n",
                           "FltSwitchMaskWidth = -4\r\nFltSwitchMaskCount = -2\r\n"})
    EXPECT_TRUE(masks(text, 1).empty()) << text;
}

}  // namespace
