// The record kinds: their exact default bytes, fields at their offsets per revision,
// every byte surviving parse and serialise, default IDs, and the kinds whose length
// varies (switch masks, text records).
#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <string>

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
#include "flt/output_file.h"
#include "flt/switch.h"
#include "flt/text_record.h"
#include "flt/vector.h"
#include "tests/flt/flt_test_support.h"

namespace {

const int kRevisions[] = {1420, 1500, 1520, 1540};

void expectBytes(const FltRecordBase& record, const Bytes& expected) {
  EXPECT_EQ(serialised(record, 1520), expected);
  EXPECT_EQ(record.opcode(), be16(expected, 0));
}

}  // namespace

TEST(FltRecordKinds, DefaultsAndSetFieldsLayExactBytes) {
  expectBytes(FltGroup(), sparse(2, 32));
  expectBytes(FltObject(), sparse(4, 32));
  expectBytes(FltLod(), sparse(73, 72, {{16, be(100000.0)}, {24, be(1.0)}, {36, be(0xFCFFFFFFu)}}));
  expectBytes(FltSwitch(), sparse(96, 32, {{24, be(1)}}));  // one word per mask, no masks
  expectBytes(FltBsp(), sparse(55, 48, {{32, be(-1.0)}}));
  expectBytes(FltExternalRef(), sparse(63, 216));

  // Points on the x axis and in the xy plane, then nine ranges of +-FLT_MAX.
  Bytes dof = sparse(14, 384, {{40, be(1.0)}, {72, be(1.0)}});
  for (size_t at = 88; at < 376; at += 32) {
    put(dof, at, {0xC7, 0xEF, 0xFF, 0xFF, 0xE0, 0, 0, 0});
    put(dof, at + 8, {0x47, 0xEF, 0xFF, 0xFF, 0xE0, 0, 0, 0});
  }
  expectBytes(FltDof(), dof);
  FltDof moved;  // ranges run z, y, x translation, pitch, roll, yaw, z, y, x scale
  moved.translateZ.current = 1;
  moved.scaleX.maximum = 9;
  put(dof, 104, be(1.0));
  put(dof, 352, be(9.0));
  expectBytes(moved, dof);

  FltClipRegion clip;
  for (int i = 0; i < 5; ++i) clip.edgeFlags[i] = static_cast<uint8_t>(i + 1);
  clip.corners[0][0] = 1.5;
  clip.corners[3][2] = -2.5;
  clip.planes[0][0] = 3.5;
  clip.planes[4][3] = 4.5;
  expectBytes(
      clip,
      sparse(
          98, 280,
          {{18, {1, 2, 3, 4, 5}}, {24, be(1.5)}, {112, be(-2.5)}, {120, be(3.5)}, {272, be(4.5)}}));
  FltVector vector;
  vector.i = 0.5;
  vector.j = -2;
  expectBytes(vector, sparse(50, 16, {{4, be(0.5f)}, {8, be(-2.0f)}, {12, be(1.0f)}}));
  FltLightPoint light;
  light.axisX = 0.1;  // directions are single precision
  expectBytes(light, sparse(111, 152, {{20, be(2)}, {140, be(0x3DCCCCCDu)}}));
}

TEST(FltRecordKinds, EveryFieldSurvivesParseAndSerialise) {
  for (int version : kRevisions) {
    SCOPED_TRACE(version);
    bool wide = version >= 1510;
    std::pair<std::unique_ptr<FltRecordBase>, Bytes> cases[] = {
        {std::make_unique<FltGroup>(), patterned(2, 32, {{14, 16}, {27, 32}})},
        {std::make_unique<FltObject>(), patterned(4, 32, {{26, 32}})},
        {std::make_unique<FltLod>(), patterned(73, 72, {{12, 16}})},
        {std::make_unique<FltDof>(), patterned(14, 384, {{12, 16}, {380, 384}})},
        {std::make_unique<FltBsp>(), patterned(55, 48, {{12, 16}})},
        {std::make_unique<FltClipRegion>(), patterned(98, 280, {{12, 18}, {23, 24}})},
        {std::make_unique<FltExternalRef>(), patterned(63, 216, {{204, 208}, {212, 216}})},
        {std::make_unique<FltLightPoint>(), patterned(111, 152)},
        {std::make_unique<FltVector>(), patterned(50, 16)},
        // The packed colors a face holds are read but not written.
        {std::make_unique<FltFace>(),
         wide ? patterned(5, 80, {{24, 25}, {49, 64}, {66, 68}, {76, 80}})
              : patterned(5, 64, {{24, 25}, {49, 64}})},
    };
    for (auto& [record, bytes] : cases) EXPECT_EQ(reserialised(*record, bytes, version), bytes);
  }
}

TEST(FltHeader, ShortFormFor1420AndLongFormAfter) {
  for (int revision : kRevisions) {
    SCOPED_TRACE(revision);
    FltHeader h;
    h.formatRevision = revision;
    h.ellipsoid = 3;
    Bytes b = serialised(h, revision);
    EXPECT_EQ(be32(b, 12), static_cast<uint32_t>(revision));
    EXPECT_EQ(Bytes(b.begin() + 4, b.begin() + 12), (Bytes{'d', 'b', 0, 0, 0, 0, 0, 0}));
    EXPECT_EQ(std::string(b.begin() + 20, b.begin() + 52), "hereafter" + std::string(23, '\0'));
    EXPECT_EQ(be32(b, 124), 0x00010001u);  // next DOF ID, double-precision vertices
    EXPECT_EQ(be32(b, 128), 100u);         // database origin
    EXPECT_EQ(be16(b, 252), 1u);           // next light source ID
    // The revision field, not the version asked for, decides the form on both sides.
    Bytes pattern;
    if (revision == 1420) {
      ASSERT_EQ(b.size(), 264u);
      EXPECT_EQ(Bytes(b.begin() + 254, b.end()), Bytes(10, 0));
      pattern = patterned(1, 264, {{68, 92}, {96, 124}, {168, 176}, {184, 188}, {254, 264}});
      put(pattern, 12, be(1420));
    } else {
      ASSERT_EQ(b.size(), 280u);
      EXPECT_EQ(be32(b, 268), 3u);
      pattern =
          patterned(1, 280, {{68, 92}, {96, 124}, {168, 176}, {184, 188}, {260, 268}, {272, 280}});
    }
    FltHeader back;
    EXPECT_EQ(reserialised(back, pattern, revision), pattern);
  }
}

TEST(FltFace, ColorIndexesStandWhereTheRevisionKeepsThem) {
  FltFace f;
  f.primaryColorIndex = 0x12345;
  f.alternateColorIndex = 0x6789A;
  for (int version : kRevisions) {
    SCOPED_TRACE(version);
    bool wide = version >= 1510;
    // Below 1510 the indexes, cut to 16 bits, stand where the color names do later.
    Bytes expected = sparse(5, wide ? 80 : 64,
                            {{20, wide ? be(0xFFFFFFFFu) : be(0x2345789Au)},
                             {26, Bytes(6, 0xFF)},  // detail, texture and material -1
                             {44, be(0xE0000000u)}});
    if (wide) put(expected, 68, {0, 1, 0x23, 0x45, 0, 6, 0x78, 0x9A});
    EXPECT_EQ(serialised(f, version), expected);
  }
  // Setting a color clears only the no-color flag.
  FltColorPalette palette;
  f.setColor(palette, FltPackedColor::fromBytes(255, 0, 0));
  EXPECT_EQ(f.primaryColor.red, 255);
  Bytes b = serialised(f, 1540);
  EXPECT_EQ(be32(b, 44), 0xA0000000u);
  EXPECT_EQ(be32(b, 68), 127u);
  f.setColor(palette, FltPackedColor::fromBytes(0, 0, 128));
  EXPECT_EQ(be32(serialised(f, 1540), 68), 128u + 63);
}

TEST(FltIdRecord, UnnamedRecordsDrawTheirKindsCounterOfTheExport) {
  ScopedWorkDir dir;
  FltOutputFile file;
  ASSERT_TRUE(file.open("ids.flt", 1520));
  auto idsOf = [&](auto made) {
    decltype(made) first = made, named = made, second = made;
    named.setId("Named12345");
    EXPECT_EQ(file.write(first), 1);
    EXPECT_EQ(file.write(named), 1);
    EXPECT_EQ(file.write(second), 1);
    EXPECT_STREQ(named.id, "Named123");  // cut to 8 and kept
    return std::string(first.id) + "," + second.id;
  };
  EXPECT_EQ(idsOf(FltGroup()), "g2,g3");  // g1 is the top group
  EXPECT_EQ(idsOf(FltObject()), "o1,o2");
  EXPECT_EQ(idsOf(FltLod()), "l1,l2");
  EXPECT_EQ(idsOf(FltDof()), "d1,d2");
  EXPECT_EQ(idsOf(FltSwitch()), "f1,f2");
  EXPECT_EQ(idsOf(FltFace()), "f1,f2");
  EXPECT_EQ(idsOf(FltBsp()), "b1,b2");
  EXPECT_EQ(idsOf(FltClipRegion()), "c1,c2");
  EXPECT_EQ(idsOf(FltLightPoint()), "lp1,lp2");
  // Past the 16-bit counter's end the number turns negative, and IDs stay within 8.
  file.header().nextFaceId = 32767;
  EXPECT_EQ(idsOf(FltFace()), "f32767,f-32768");
  file.header().nextLightPointId = -32768;
  EXPECT_EQ(idsOf(FltLightPoint()), "lp-32768,lp-32767");
  ASSERT_EQ(file.close(), 1) << file.error();
  // The next export starts its counters again.
  ASSERT_TRUE(file.open("ids.flt", 1520));
  EXPECT_EQ(idsOf(FltObject()), "o1,o2");
  file.discard();
}

TEST(FltSwitch, MaskCountFollowsTheWholeMasksAndParseIsBoundedByTheRecord) {
  FltSwitch s;
  s.currentMask = 5;
  s.wordsPerMask = 2;
  s.maskWords = {0x11223344, 0x55667788, 0x99AABBCC};
  // The left-over third word is no mask, but it is written; 28 + 12 needs no padding.
  EXPECT_EQ(serialised(s, 1520), sparse(96, 40,
                                        {{16, be(5)},
                                         {20, be(1)},
                                         {24, be(2)},
                                         {28, be(0x11223344)},
                                         {32, be(0x55667788)},
                                         {36, be(0x99AABBCCu)}}));
  s.maskWords.push_back(1);
  Bytes b = serialised(s, 1520);
  ASSERT_EQ(b.size(), 48u);
  EXPECT_EQ(be32(b, 20), 2u);
  EXPECT_EQ(be32(b, 44), 0u);
  for (int32_t wordsPerMask : {0, -3}) {
    s.wordsPerMask = wordsPerMask;
    Bytes none = serialised(s, 1520);
    EXPECT_EQ(be32(none, 20), 0u) << wordsPerMask;
    EXPECT_EQ(be32(none, 40), 1u) << "all words still written";
  }

  FltSwitch parsed;
  s.wordsPerMask = 2;
  s.maskWords = {1, 2, 3};
  b = serialised(s, 1520);
  parseBytes(parsed, b, 1520);
  EXPECT_EQ(parsed.maskWords, (std::vector<uint32_t>{1, 2}));  // one mask of two words
  // A corrupt mask count must not make the reader allocate what the record cannot hold.
  put(b, 20, {0x7F, 0xFF, 0xFF, 0xFF, 0x7F, 0xFF, 0xFF, 0xFF});
  parseBytes(parsed, b, 1520);
  EXPECT_EQ(parsed.wordsPerMask, 0x7FFFFFFF);
  EXPECT_EQ(parsed.maskWords, (std::vector<uint32_t>{1, 2, 3}));
  Bytes truncated = sparse(96, 24, {{4, {'s'}}, {20, {0, 0, 0, 9}}});
  parseBytes(parsed, truncated, 1520);
  EXPECT_TRUE(parsed.maskWords.empty());
  EXPECT_STREQ(parsed.id, "s");
}

TEST(FltBsp, PlaneFromThreePoints) {
  const double origin[3] = {0, 0, 0}, yUnit[3] = {0, 1, 0}, xUnit[3] = {1, 0, 0};
  double plane[4] = {9, 9, 9, 9};
  ASSERT_TRUE(FltBsp::planeFromPoints(origin, yUnit, xUnit, plane));
  EXPECT_EQ(std::vector<double>(plane, plane + 4), (std::vector<double>{0, 0, -1, 0}));
  // The plane z = 1: d takes part in the scaling, so c is not -1.
  const double p1[3] = {0, 0, 1}, p2[3] = {0, 1, 1}, p3[3] = {1, 0, 1};
  ASSERT_TRUE(FltBsp::planeFromPoints(p1, p2, p3, plane));
  EXPECT_DOUBLE_EQ(plane[2], -std::sqrt(0.5));
  EXPECT_DOUBLE_EQ(plane[3], std::sqrt(0.5));
  // Collinear or NaN points give no plane and leave the old one.
  const double q1[3] = {1, 1, 1}, q2[3] = {2, 2, 2}, q3[3] = {4, 4, 4}, bad[3] = {NAN, 0, 0};
  EXPECT_FALSE(FltBsp::planeFromPoints(q1, q2, q3, plane));
  EXPECT_FALSE(FltBsp::planeFromPoints(bad, p2, p3, plane));
  EXPECT_DOUBLE_EQ(plane[3], std::sqrt(0.5));
}

TEST(FltExternalRef, FullPathFieldHasNoTerminator) {
  FltExternalRef x;
  EXPECT_EQ(x.name(), nullptr);  // it carries no ID
  std::string full(200, 'p');
  x.setPath((full + "overflow").c_str());
  EXPECT_EQ(std::string(x.path), full);
  Bytes b = serialised(x, 1520);
  EXPECT_EQ(std::string(b.begin() + 4, b.begin() + 204), full);
  EXPECT_EQ(Bytes(b.begin() + 204, b.end()), Bytes(12, 0));
}

TEST(FltTextRecords, PaddedTerminatedAndCutAtTheRecordLimit) {
  EXPECT_EQ(serialised(FltComment(), 1520), sparse(31, 8));
  EXPECT_EQ(serialised(FltComment(nullptr), 1520), sparse(31, 8));
  EXPECT_EQ(serialised(FltComment("abc"), 1520), sparse(31, 8, {{4, {'a', 'b', 'c'}}}));
  EXPECT_EQ(serialised(FltComment("abcd"), 1520), sparse(31, 16, {{4, {'a', 'b', 'c', 'd'}}}));
  const std::string name = "LongNodeName";
  EXPECT_EQ(serialised(FltLongId(name.c_str()), 1520),
            sparse(33, 24, {{4, Bytes(name.begin(), name.end())}}));

  auto parsedText = [](const Bytes& bytes) {
    FltComment c("stale");
    parseBytes(c, bytes, 1520);
    return c.text();
  };
  EXPECT_EQ(parsedText(serialised(FltLongId(name.c_str()), 1520)), name);
  EXPECT_EQ(parsedText(sparse(31, 8)), "");
  // A text that fills the record with no terminator still ends at the record.
  EXPECT_EQ(parsedText(sparse(31, 8, {{4, {'w', 'x', 'y', 'z'}}})), "wxyz");

  std::string fits(FltTextRecord::kMaxText, 'a');
  FltRecord r;
  FltComment(fits.c_str()).serialise(r, 1520);
  EXPECT_FALSE(r.overflowed());
  Bytes b = bytesOf(r);
  EXPECT_EQ(b.size(), 32760u);
  EXPECT_EQ(b.back(), 0);
  EXPECT_EQ(parsedText(b), fits);
  EXPECT_EQ(serialised(FltComment((fits + "bcdefghij").c_str()), 1520), b);
}
