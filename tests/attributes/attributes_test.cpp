// Attribute tables and property readers: descriptors, the tables against the record
// layouts, property parsing per table, and the face-colour, switch-mask and kind readers.
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
#include "attributes/node_values.h"
#include "attributes/switch_masks.h"
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

template <class R>
std::unique_ptr<FltRecordBase> make() {
  return std::make_unique<R>();
}

std::unique_ptr<FltRecordBase> makeRecord(int opcode) {
  static const std::map<int, std::unique_ptr<FltRecordBase> (*)()> makers = {
      {1, make<FltHeader>},       {2, make<FltGroup>},       {4, make<FltObject>},
      {5, make<FltFace>},         {14, make<FltDof>},        {55, make<FltBsp>},
      {63, make<FltExternalRef>}, {73, make<FltLod>},        {96, make<FltSwitch>},
      {98, make<FltClipRegion>},  {111, make<FltLightPoint>}};
  return makers.at(opcode)();
}

std::vector<uint8_t> bytesOf(const FltRecordBase& record) {
  FltRecord r;
  record.serialise(r, 1560);
  return {r.data(), r.data() + r.length()};
}

std::vector<const AttrDescriptor*> rowsOf(const AttrDescriptor* table) {
  std::vector<const AttrDescriptor*> rows;
  for (const AttrDescriptor* row = table; !row->isEnd(); ++row) rows.push_back(row);
  return rows;
}

// Where each row's value is written in the record, row by row; -1 for rows storing nothing.
const std::map<const AttrDescriptor*, std::vector<int>>& writtenAt() {
  auto set = [](int opcode, bool secondary = false) {
    const AttrTableSet* s = findAttrTableSet(opcode);
    return secondary ? s->secondary : s->primary;
  };
  static const std::map<const AttrDescriptor*, std::vector<int>> offsets = {
      {set(1), {12, 62, 92, 268, 220, 228, 236, 244, -1}},
      {set(5), {12, 36, 32, 34, 48, 44, 44, 44, -1, 25, -1, -1, -1, -1}},
      {set(5, true), {18}},
      {set(73), {16, 24, 64, 40, 48, 56, 36, 32, 34, -1}},
      {set(111), {12,  14,  16,  20,  24,  28,  32,  36,  40,  44,  48,  52,  56,  60,  64,  68,
                  72,  76,  80,  84,  88,  92,  96,  100, 104, 108, 112, 116, 120, 124, 128, 132,
                  136, 136, 136, 136, 136, 136, 136, 136, 136, 136, 136, 136, 140, 144, 148, -1}},
      {set(63), {4, 208, 208, 208, 208, 208, 208, -1}},
      {set(2), {12, 20, 22, 24, 26, 16, 16, 16, 16, 16, -1}},
      {set(4), {16, 18, 24, 12, 12, 12, 12, 12, 12, 20, 22, -1}},
      {set(14), {16,  24,  32,  40,  48,  56,  64,  72,  80,  168, 176, 376, 152, 160,
                 136, 144, 376, 120, 128, 104, 112, 376, 88,  96,  360, 368, 376, 344,
                 352, 328, 336, 376, 312, 320, 296, 304, 376, 280, 288, 232, 240, 376,
                 216, 224, 200, 208, 376, 184, 192, 264, 272, 376, 248, 256, -1}},
      {set(55), {16, 24, 32, 40, -1}},
      {set(96), {16, 24, -1, -1, -1}},
      {set(98), {24, 32, 40, 48, 56, 64, 72, 80, 88, 96, 104, 112, 18, 19, 20, 21, 22, -1}},
  };
  return offsets;
}

std::string withUnderscores(std::string name) {
  for (char& c : name)
    if (c == ' ') c = '_';
  return name;
}

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
      for (const AttrEnumEntry* e = d.enumeration; e->name; ++e)
        texts.push_back(withUnderscores(e->name));
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

// ---- Descriptors and table integrity ----

TEST_F(AttributesTest, DescriptorConstructionTurnsBooleansIntoYesNoEnumerations) {
  AttrDescriptor masked("B", "K", AttrType::kBoolean, "1", kNoTarget, AttrEncoding::kInt32, 0x10);
  EXPECT_EQ(masked.type, AttrType::kEnumeration);
  EXPECT_EQ(masked.enumeration, kYesNoEnum);
  EXPECT_TRUE(masked.maskedBoolean);
  EXPECT_STREQ(masked.defaultText, "Yes");
  AttrDescriptor plain("B", "K", AttrType::kBoolean, nullptr, kNoTarget, AttrEncoding::kInt8);
  EXPECT_FALSE(plain.maskedBoolean);
  EXPECT_STREQ(plain.defaultText, "No");
  EXPECT_STREQ(
      AttrDescriptor("B", "K", AttrType::kBoolean, "0", kNoTarget, AttrEncoding::kInt8).defaultText,
      "No");
  EXPECT_STREQ(AttrDescriptor("B", "K", AttrType::kBoolean, "maybe", kNoTarget, AttrEncoding::kInt8)
                   .defaultText,
               "maybe");

  // An enumeration without a default documents its first name.
  const AttrDescriptor* lightMode = findAttribute(findAttrTableSet(5), "FltLightMode");
  ASSERT_NE(lightMode, nullptr);
  EXPECT_STREQ(lightMode->defaultText, "Face Color Flat");
  EXPECT_STREQ(findAttribute(findAttrTableSet(1), "FltEllipsoid")->defaultText, "WGS_84");
}

TEST_F(AttributesTest, RegistryHoldsElevenSetsInOrder) {
  const int opcodes[] = {55, 98, 14, 5, 2, 1, 111, 73, 4, 96, 63};
  ASSERT_EQ(kAttrTableSetCount, std::size(opcodes));
  for (size_t i = 0; i < kAttrTableSetCount; ++i) {
    EXPECT_EQ(kAttrTableSets[i].opcode, opcodes[i]);
    EXPECT_EQ(findAttrTableSet(opcodes[i]), &kAttrTableSets[i]);
    EXPECT_EQ(kAttrTableSets[i].secondary != nullptr, opcodes[i] == 5);
  }
  EXPECT_EQ(findAttrTableSet(31), nullptr);
  EXPECT_STREQ(findAttrTableSet(73)->name, "Level of Detail");
  EXPECT_EQ(findAttribute(findAttrTableSet(5), "FltDrawType"), nullptr);  // secondary only
  EXPECT_EQ(findAttribute(findAttrTableSet(5), "flthidden"), nullptr);

  const AttrEnumEntry* units = findAttribute(findAttrTableSet(1), "FltUnits")->enumeration;
  int32_t value = -1;
  EXPECT_EQ(enumValueOf(units, "Nautical Miles", &value), 1);
  EXPECT_EQ(value, 8);
  EXPECT_EQ(enumValueOf(units, "Nautical_Miles", &value), 0);
  EXPECT_STREQ(enumNameOf(units, 4), "Feet");
  EXPECT_EQ(enumNameOf(units, 3), nullptr);
}

TEST_F(AttributesTest, EveryKeyIsInTheCommentKeyListAndEveryListedKeyInATable) {
  const std::set<std::string> extras = {"FltType",     "FltImporterVersion", "FltFaceColor",
                                        "FltAltColor", "FltVectorX",         "FltVectorY",
                                        "FltVectorZ",  "FltLightVtx"};
  std::set<std::string> listed(std::begin(kFltPropertyKeys), std::end(kFltPropertyKeys));
  ASSERT_EQ(listed.size(), kFltPropertyKeyCount);
  std::set<std::string> inTables;
  for (size_t i = 0; i < kAttrTableSetCount; ++i)
    for (const AttrDescriptor* table : {kAttrTableSets[i].primary, kAttrTableSets[i].secondary})
      if (table)
        for (const AttrDescriptor* row : rowsOf(table)) {
          inTables.insert(row->key);
          if (std::string(row->key) != "wireinput" && std::string(row->key) != "wireoutput") {
            EXPECT_TRUE(listed.count(row->key)) << row->key;
          }
        }
  for (const std::string& key : listed)
    EXPECT_NE(inTables.count(key) != 0, extras.count(key) != 0) << key;
}

// Each row reaches the member that the record writes at the documented offset, with a
// target kind that suits its encoding, and each table closes with the comment row.
TEST_F(AttributesTest, EveryRowStoresWhereItsRecordWritesIt) {
  for (const auto& [table, offsets] : writtenAt()) {
    std::vector<const AttrDescriptor*> rows = rowsOf(table);
    ASSERT_EQ(rows.size(), offsets.size()) << rows[0]->key;
    if (rows.size() > 1) {
      EXPECT_STREQ(rows.back()->key, "FltComment");
    }
    int opcode = 0;
    for (size_t i = 0; i < kAttrTableSetCount; ++i)
      if (kAttrTableSets[i].primary == table || kAttrTableSets[i].secondary == table)
        opcode = kAttrTableSets[i].opcode;
    for (size_t i = 0; i < rows.size(); ++i) {
      const AttrDescriptor& d = *rows[i];
      SCOPED_TRACE(d.key);
      EXPECT_NE(d.type, AttrType::kBoolean);
      EXPECT_EQ(d.target.isNone(), offsets[i] < 0);
      EXPECT_EQ(d.encoding == AttrEncoding::kNothing, offsets[i] < 0);
      if (offsets[i] < 0) continue;

      bool changed = false;
      for (const std::string& text : candidateTexts(d)) {
        std::unique_ptr<FltRecordBase> before = makeRecord(opcode), after = makeRecord(opcode);
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

// ---- Property cases per table ----

TEST_F(AttributesTest, MaskedBooleansShareOneFlagsWord) {
  FltFace face;
  face.flags = FltFace::kFlagTerrain | FltFace::kFlagFootprint | 0x1;
  EXPECT_EQ(applyAttributes(&node("FltHidden = Yes\r\n"), &face), 1);
  EXPECT_EQ(face.flags, FltFace::kFlagTerrain | FltFace::kFlagFootprint | FltFace::kFlagHidden | 1);
  EXPECT_EQ(applyAttributes(&node("FltHidden = No\r\nFltTerrain = No\r\n"), &face), 1);
  EXPECT_EQ(face.flags, FltFace::kFlagFootprint | 1u);

  FltLightPoint lp;
  lp.flags = 0x00004000;
  applyAttributes(&node("FltLtPtQuality = High\r\nFltLtPtRandomize = Medium\r\n"), &lp);
  EXPECT_EQ(lp.flags, 262144u | 33554432u | 0x00004000u);

  FltLod lod;
  lod.flags = 0x80000001;
  applyAttributes(&node("FltLodFrozen = Yes\r\n"), &lod);
  EXPECT_EQ(lod.flags, 0x84000001u);
  applyAttributes(&node("FltLodFrozen = No\r\n"), &lod);
  EXPECT_EQ(lod.flags, 0x80000001u);

  FltDof dof;
  applyAttributes(&node("FltDofRollLimited = Yes\r\nFltDofTxMin = -5\r\n"), &dof);
  EXPECT_EQ(dof.flags, 0x08000000u);
  EXPECT_EQ(dof.translateX.minimum, -5.0);
}

TEST_F(AttributesTest, BooleansAndEnumerationsTakeOnlyExactNamesWithUnderscoresAsSpaces) {
  FltLightPoint lp;
  EXPECT_EQ(applyAttributes(&node("FltLtPtFlashing = 1\r\nFltLtPtVisDay = yes\r\n"), &lp), 0);
  EXPECT_EQ(lp.flags, 0u);
  applyAttributes(&node("FltLtPtDirectonType = Bi-directional\r\nFltLtPtDisableFade = Yes\r\n"),
                  &lp);
  EXPECT_EQ(lp.directionality, 2);
  EXPECT_EQ(lp.fadingMode, 1);  // no mask: the whole member
  applyAttributes(&node("FltLtPtDirectonType = Uni-directional\r\n"), &lp);
  EXPECT_EQ(lp.directionality, 1);

  FltHeader header;
  header.ellipsoid = 3;
  EXPECT_EQ(applyAttributes(&node("FltEllipsoid = WGS_84\r\n"), &header), 0);
  EXPECT_EQ(header.ellipsoid, 3);
  applyAttributes(&node("FltEllipsoid = WGS_1984\r\nFltProjection = Lambert_Conic\r\n"
                        "FltUnits = Nautical_Miles\r\nFltVersion = OpenFlight_15.6\r\n"),
                  &header);
  EXPECT_EQ(header.ellipsoid, 0);
  EXPECT_EQ(header.projection, 3);
  EXPECT_EQ(header.vertexUnits, 8);
  EXPECT_EQ(header.formatRevision, 1560);

  FltClipRegion clip;
  applyAttributes(&node("FltClipTop = Yes\r\n"), &clip);
  EXPECT_EQ(clip.edgeFlags[FltClipRegion::kTop], 1);
  EXPECT_EQ(clip.edgeFlags[FltClipRegion::kBottom] + clip.edgeFlags[FltClipRegion::kRight] +
                clip.edgeFlags[FltClipRegion::kLeft] + clip.edgeFlags[FltClipRegion::kBack],
            0);
}

TEST_F(AttributesTest, IntegersAreCutToTheirWidthAndFloatsWidenedToDouble) {
  FltGroup group;
  applyAttributes(&node("FltGrpLayer = 300\r\nFltGrpSpecial1 = 70000\r\nFltGrpFwdAnim = Yes\r\n"),
                  &group);
  EXPECT_EQ(group.layerCode, 44);
  EXPECT_EQ(group.specialEffectId1, 4464);
  EXPECT_EQ(group.flags, 0x40000000u);

  FltObject object;
  applyAttributes(&node("FltObjSpecial1 = -3\r\nFltObjTransparency = 7\r\n"), &object);
  EXPECT_EQ(object.specialEffectId1, -3);
  EXPECT_EQ(object.transparency, 7);
  EXPECT_EQ(object.specialEffectId2, 0);

  FltHeader header;
  applyAttributes(&node("FltOriginLat = 37.123456789\r\n"), &header);
  EXPECT_EQ(header.originLat, static_cast<double>(37.123456789f));
  EXPECT_NE(header.originLat, 37.123456789);

  FltLightPoint lp;
  applyAttributes(&node("FltLtPtRotationY = 0.1\r\nFltLtPtIntensity = 2.5\r\n"), &lp);
  EXPECT_EQ(lp.axisY, static_cast<double>(0.1f));
  EXPECT_EQ(lp.intensity, 2.5f);
}

TEST_F(AttributesTest, LodDistancesCrossOverTheirDisplayNames) {
  FltLod lod;
  applyAttributes(&node("FltLodMin = 500\r\nFltLodMax = 10\r\nFltLodCz = 4\r\n"), &lod);
  EXPECT_EQ(lod.switchInDistance, 500.0);
  EXPECT_EQ(lod.switchOutDistance, 10.0);
  EXPECT_EQ(lod.centerZ, 4.0);
}

TEST_F(AttributesTest, ExternalReferencePathKeepsUnderscoresAndIsCutToItsField) {
  FltExternalRef ref;
  ref.flags = 0x12345678;
  applyAttributes(&node("FltXRefFilename = my_model.flt\r\n"), &ref);
  EXPECT_STREQ(ref.path, "my_model.flt");
  EXPECT_EQ(ref.flags, 0x12345678u);  // absent override keys keep the record's flags

  applyAttributes(&node("FltXRefFilename = " + std::string(500, 'x') + "\r\n"), &ref);
  EXPECT_EQ(std::strlen(ref.path), 200u);
  applyAttributes(&node("FltXRefFilename = short\r\nFltXRefOverrideColors = No\r\n"), &ref);
  EXPECT_STREQ(ref.path, "short");
  EXPECT_EQ(ref.flags, 0x12345678u & ~0x80000000u);
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
  applyAttributes(&node("KeyA = 7\r\nKeyB = 9\r\n"), &face, &set);
  EXPECT_EQ(face.drawType, 7);
}

TEST_F(AttributesTest, UnderscoresToSpacesHandlesAnyLength) {
  std::string text(10000, '_');
  text += "a_b";
  std::string spaced = underscoresToSpaces(text);
  EXPECT_EQ(spaced, std::string(10000, ' ') + "a b");
  EXPECT_EQ(underscoresToSpaces(""), "");
}

// ---- Readers ----

TEST_F(AttributesTest, NodeKindComesFromFltTypeOrTheObjectClass) {
  int opcode = -1;
  EXPECT_EQ(readNodeKind(nullptr, true, &opcode), 0);
  EXPECT_EQ(readNodeKind(&node("FltType = LOD\r\n"), false, &opcode), 1);
  EXPECT_EQ(opcode, 73);
  EXPECT_EQ(readNodeKind(&node("FltType = FLT_LIGHT_POINT\r\n"), true, &opcode), 1);
  EXPECT_EQ(opcode, 111);

  MemoryNode& geometric = node("FltType = Banana\r\n").setMesh(makeBox({0, 0, 0}, {1, 1, 1}));
  EXPECT_EQ(readNodeKind(&geometric, false, &opcode), 0);
  opcode = -1;
  EXPECT_EQ(readNodeKind(&geometric, true, &opcode), 1);
  EXPECT_EQ(opcode, 5);
  EXPECT_EQ(readNodeKind(&node("").setObject(makeShapeObject()), true, &opcode), 1);
  EXPECT_EQ(opcode, 5);
  EXPECT_EQ(readNodeKind(&node("").setGroupHead().setObject(makeHelperObject()), true, &opcode), 1);
  EXPECT_EQ(opcode, 2);
  opcode = -1;
  EXPECT_EQ(readNodeKind(&node("").setObject(makeHelperObject()), true, &opcode), 0);
  EXPECT_EQ(readNodeKind(&node(""), true, &opcode), 0);
  EXPECT_EQ(opcode, -1);
}

TEST_F(AttributesTest, VectorComponentsAreReadIndependently) {
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
  readFaceColors(node("FltFaceColor = 1\r\n"), shortText, palette);
  EXPECT_EQ(shortText.primaryColor, FltPackedColor::fromBytes(1, 0, 0, 0));

  FltFace none;
  EXPECT_EQ(readFaceColors(node("FltHidden = Maybe\r\n"), none, palette), 0);
  EXPECT_EQ(readFaceColors(node("FltHidden = Yes\r\n"), none, palette), 1);
}

TEST_F(AttributesTest, SwitchMasksAreFilledFromHexBytesLeastSignificantFirst) {
  FltSwitch sw;
  EXPECT_EQ(readSwitchMasks(node("FltSwitchMaskCount = 1\r\nFltSwitchMaskData = 01\r\n"), sw), 0);
  EXPECT_TRUE(sw.maskWords.empty());

  EXPECT_EQ(readSwitchMasks(node("FltSwitchMaskWidth = 2\r\nFltSwitchMaskCount = 1\r\n"
                                 "FltSwitchMaskData = 0100000002000000\r\n"),
                            sw),
            1);
  EXPECT_EQ(sw.maskWords, (std::vector<uint32_t>{1, 2}));

  // Short and odd texts, pairs without digits: what is not read stays 0.
  FltSwitch partial;
  readSwitchMasks(node("FltSwitchMaskWidth = 2\r\nFltSwitchMaskCount = 2\r\n"
                       "FltSwitchMaskData = 78563412zz0f1\r\n"),
                  partial);
  EXPECT_EQ(partial.maskWords, (std::vector<uint32_t>{0x12345678, 0x0f00, 0, 0}));

  FltSwitch noData;
  readSwitchMasks(node("FltSwitchCurr = 1\r\nFltSwitchMaskCount = 3\r\n"), noData);
  EXPECT_EQ(noData.maskWords, (std::vector<uint32_t>{0, 0, 0}));
}

TEST_F(AttributesTest, SwitchMaskCountsAreCutToWhatOneRecordHolds) {
  FltSwitch huge;
  readSwitchMasks(node("FltSwitchMaskWidth = 3\r\nFltSwitchMaskCount = 2147483647\r\n"), huge);
  EXPECT_EQ(huge.maskWords.size(), kMaxSwitchMaskWords / 3 * 3);
  FltRecord r;
  huge.serialise(r, 1560);
  EXPECT_FALSE(r.overflowed());

  FltSwitch negative;
  readSwitchMasks(node("FltSwitchMaskWidth = 1\r\nFltSwitchMaskCount = -5\r\n"), negative);
  EXPECT_TRUE(negative.maskWords.empty());
  FltSwitch wide;
  readSwitchMasks(node("FltSwitchMaskWidth = 2000000000\r\nFltSwitchMaskCount = 2\r\n"), wide);
  EXPECT_TRUE(wide.maskWords.empty());
  FltSwitch negativeWidth;
  readSwitchMasks(node("FltSwitchMaskWidth = -4\r\nFltSwitchMaskCount = -2\r\n"), negativeWidth);
  EXPECT_TRUE(negativeWidth.maskWords.empty());
}

}  // namespace
