#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

#include "flt/bsp.h"
#include "flt/clip_region.h"
#include "flt/dof.h"
#include "flt/external_ref.h"
#include "flt/group.h"
#include "flt/lod.h"
#include "flt/object.h"
#include "flt/output_file.h"
#include "flt/record.h"
#include "flt/switch.h"

namespace {

using Bytes = std::vector<uint8_t>;

Bytes bytesOf(const FltRecord& r) {
  return Bytes(r.data(), r.data() + r.length());
}

Bytes serialised(const FltRecordBase& rec) {
  FltRecord r;
  rec.serialise(r, 1520);
  return bytesOf(r);
}

Bytes slice(const Bytes& b, size_t offset, size_t n) {
  return Bytes(b.begin() + offset, b.begin() + offset + n);
}

Bytes bigEndian(double v) {
  uint64_t bits;
  std::memcpy(&bits, &v, 8);
  Bytes out(8);
  for (int i = 0; i < 8; ++i) out[i] = static_cast<uint8_t>(bits >> (56 - 8 * i));
  return out;
}

bool allZero(const Bytes& b, size_t offset, size_t n) {
  for (size_t i = offset; i < offset + n; ++i)
    if (b[i] != 0) return false;
  return true;
}

// Parses the bytes into a fresh object; writing that object again must give the same bytes.
template <class T>
T reparsed(const Bytes& bytes) {
  FltRecord r;
  r.assign(bytes.data(), static_cast<int>(bytes.size()));
  T parsed;
  parsed.parse(r, 1520);
  EXPECT_EQ(serialised(parsed), bytes);
  return parsed;
}

struct FileRecord {
  uint16_t opcode;
  Bytes bytes;
};

std::vector<FileRecord> recordsIn(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  Bytes all((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  std::vector<FileRecord> out;
  size_t pos = 0;
  while (pos + 4 <= all.size()) {
    uint16_t opcode = static_cast<uint16_t>(all[pos] << 8 | all[pos + 1]);
    size_t length = static_cast<size_t>(all[pos + 2] << 8 | all[pos + 3]);
    if (length < 4 || pos + length > all.size()) {
      ADD_FAILURE() << "bad record length " << length << " at " << pos;
      break;
    }
    out.push_back({opcode, slice(all, pos, length)});
    pos += length;
  }
  return out;
}

std::vector<std::string> idsOf(const std::vector<FileRecord>& records, uint16_t opcode) {
  std::vector<std::string> ids;
  for (const FileRecord& r : records)
    if (r.opcode == opcode) ids.emplace_back(reinterpret_cast<const char*>(&r.bytes[4]), 8);
  for (std::string& id : ids) id.resize(std::strlen(id.c_str()));
  return ids;
}

class FltHierarchyFile : public ::testing::Test {
 protected:
  void SetUp() override {
    path_ = ::testing::TempDir() + "hier_" + std::to_string(getpid()) + "_" +
            ::testing::UnitTest::GetInstance()->current_test_info()->name() + ".flt";
    std::remove(path_.c_str());
  }
  void TearDown() override { std::remove(path_.c_str()); }
  std::string path_;
};

}  // namespace

TEST(FltHierarchyRecords, LengthsAndHeads) {
  struct Case {
    std::unique_ptr<FltRecordBase> rec;
    uint16_t opcode;
    size_t length;
  };
  Case cases[] = {
      {std::make_unique<FltGroup>(), 2, 32},        {std::make_unique<FltObject>(), 4, 32},
      {std::make_unique<FltLod>(), 73, 72},         {std::make_unique<FltDof>(), 14, 384},
      {std::make_unique<FltSwitch>(), 96, 32},      {std::make_unique<FltBsp>(), 55, 48},
      {std::make_unique<FltClipRegion>(), 98, 280}, {std::make_unique<FltExternalRef>(), 63, 216},
  };
  for (const Case& c : cases) {
    Bytes b = serialised(*c.rec);
    ASSERT_EQ(b.size(), c.length) << "opcode " << c.opcode;
    EXPECT_EQ(b[0] << 8 | b[1], c.opcode);
    EXPECT_EQ(static_cast<size_t>(b[2] << 8 | b[3]), c.length);
    EXPECT_EQ(c.rec->opcode(), c.opcode);
  }
}

TEST(FltHierarchyRecords, ObjectFieldOffsets) {
  FltObject o;
  o.setId("abc");
  o.flags = 0x01020304;
  o.relativePriority = 0x0506;
  o.transparency = 0x1234;
  o.specialEffectId1 = 7;
  o.specialEffectId2 = 0x0809;
  o.significance = 0x0A0B;
  Bytes b = serialised(o);
  EXPECT_EQ(slice(b, 4, 8), (Bytes{'a', 'b', 'c', 0, 0, 0, 0, 0}));
  EXPECT_EQ(slice(b, 12, 4), (Bytes{1, 2, 3, 4}));
  EXPECT_EQ(slice(b, 16, 2), (Bytes{5, 6}));
  EXPECT_EQ(slice(b, 18, 2), (Bytes{0x12, 0x34}));
  EXPECT_EQ(slice(b, 20, 2), (Bytes{0x00, 0x07}));
  EXPECT_EQ(slice(b, 22, 2), (Bytes{8, 9}));
  EXPECT_EQ(slice(b, 24, 2), (Bytes{0x0A, 0x0B}));
  EXPECT_TRUE(allZero(b, 26, 6));
}

TEST(FltHierarchyRecords, LodDefaults) {
  Bytes b = serialised(FltLod());
  EXPECT_TRUE(allZero(b, 4, 12));
  EXPECT_EQ(slice(b, 16, 8), bigEndian(100000.0));
  EXPECT_EQ(slice(b, 24, 8), bigEndian(1.0));
  EXPECT_TRUE(allZero(b, 32, 4));
  EXPECT_EQ(slice(b, 36, 4), (Bytes{0xFC, 0xFF, 0xFF, 0xFF}));
  EXPECT_TRUE(allZero(b, 40, 32));
}

TEST(FltHierarchyRecords, DofDefaults) {
  Bytes b = serialised(FltDof());
  const Bytes minimum{0xC7, 0xEF, 0xFF, 0xFF, 0xE0, 0, 0, 0};
  const Bytes maximum{0x47, 0xEF, 0xFF, 0xFF, 0xE0, 0, 0, 0};
  EXPECT_TRUE(allZero(b, 4, 36));
  EXPECT_EQ(slice(b, 40, 8), bigEndian(1.0));  // point on the x axis
  EXPECT_TRUE(allZero(b, 48, 24));
  EXPECT_EQ(slice(b, 72, 8), bigEndian(1.0));  // point in the xy plane, y
  EXPECT_TRUE(allZero(b, 80, 8));
  for (size_t range = 0; range < 9; ++range) {
    size_t at = 88 + 32 * range;
    EXPECT_EQ(slice(b, at, 8), minimum) << "range " << range;
    EXPECT_EQ(slice(b, at + 8, 8), maximum) << "range " << range;
    EXPECT_TRUE(allZero(b, at + 16, 16)) << "range " << range;
  }
  EXPECT_TRUE(allZero(b, 376, 8));
}

TEST(FltHierarchyRecords, DofRangeOrder) {
  FltDof d;
  d.translateZ.current = 1;
  d.translateX.current = 3;
  d.pitch.increment = 4;
  d.yaw.minimum = 6;
  d.scaleX.maximum = 9;
  d.flags = 0xA0B0C0D0;
  Bytes b = serialised(d);
  EXPECT_EQ(slice(b, 88 + 16, 8), bigEndian(1));
  EXPECT_EQ(slice(b, 152 + 16, 8), bigEndian(3));
  EXPECT_EQ(slice(b, 184 + 24, 8), bigEndian(4));
  EXPECT_EQ(slice(b, 248, 8), bigEndian(6));
  EXPECT_EQ(slice(b, 344 + 8, 8), bigEndian(9));
  EXPECT_EQ(slice(b, 376, 4), (Bytes{0xA0, 0xB0, 0xC0, 0xD0}));
}

TEST(FltHierarchyRecords, SwitchMaskCountsAndLengths) {
  FltSwitch s;
  s.currentMask = 5;
  s.wordsPerMask = 2;
  s.maskWords = {0x11223344, 0x55667788, 0x99AABBCC};
  Bytes b = serialised(s);
  ASSERT_EQ(b.size(), 40u);  // 28 + 12, no padding needed
  EXPECT_EQ(slice(b, 16, 4), (Bytes{0, 0, 0, 5}));
  EXPECT_EQ(slice(b, 20, 4), (Bytes{0, 0, 0, 1}));  // the left-over word is no mask
  EXPECT_EQ(slice(b, 24, 4), (Bytes{0, 0, 0, 2}));
  EXPECT_EQ(slice(b, 28, 12),
            (Bytes{0x11, 0x22, 0x33, 0x44, 0x55, 0x66, 0x77, 0x88, 0x99, 0xAA, 0xBB, 0xCC}));

  s.maskWords.push_back(1);
  b = serialised(s);
  EXPECT_EQ(b.size(), 48u);
  EXPECT_EQ(slice(b, 20, 4), (Bytes{0, 0, 0, 2}));
  EXPECT_TRUE(allZero(b, 44, 4));

  for (int32_t wordsPerMask : {0, -3}) {
    s.wordsPerMask = wordsPerMask;
    b = serialised(s);
    EXPECT_EQ(b.size(), 48u) << wordsPerMask;
    EXPECT_TRUE(allZero(b, 20, 4)) << wordsPerMask;
    EXPECT_EQ(slice(b, 40, 4), (Bytes{0, 0, 0, 1})) << "all words still written";
  }
}

TEST(FltHierarchyRecords, SwitchAtTheRecordLimit) {
  FltSwitch s;
  s.maskWords.assign(8183, 0xDEADBEEF);  // 28 + 4 * 8183 = 32760, the largest padded length
  FltRecord r;
  s.serialise(r, 1520);
  EXPECT_FALSE(r.overflowed());
  EXPECT_EQ(r.length(), 32760);

  s.maskWords.push_back(1);
  s.serialise(r, 1520);
  EXPECT_TRUE(r.overflowed());
}

TEST_F(FltHierarchyFile, OversizedSwitchIsRefusedNotTruncated) {
  FltOutputFile file;
  ASSERT_TRUE(file.open(path_, 1520));
  FltSwitch s;
  s.maskWords.assign(20000, 7);
  EXPECT_EQ(file.write(s), 0);
  EXPECT_TRUE(file.failed());
  EXPECT_NE(file.error().find("32767"), std::string::npos) << file.error();
  EXPECT_EQ(file.close(), 0);
  EXPECT_NE(access(path_.c_str(), F_OK), 0) << "a failed export leaves no file";
}

TEST(FltHierarchyRecords, SwitchParseIsBoundedByTheRecord) {
  FltSwitch s;
  s.wordsPerMask = 2;
  s.maskWords = {1, 2, 3};
  Bytes b = serialised(s);
  FltRecord r;
  r.assign(b.data(), static_cast<int>(b.size()));
  FltSwitch parsed;
  parsed.parse(r, 1520);
  EXPECT_EQ(parsed.maskWords, (std::vector<uint32_t>{1, 2}));  // one mask of two words

  // A corrupt mask count must not make the reader allocate what the record cannot hold.
  for (int i = 20; i < 28; ++i) b[i] = i % 4 == 0 ? 0x7F : 0xFF;
  r.assign(b.data(), static_cast<int>(b.size()));
  parsed.parse(r, 1520);
  EXPECT_EQ(parsed.wordsPerMask, 0x7FFFFFFF);
  EXPECT_EQ(parsed.maskWords, (std::vector<uint32_t>{1, 2, 3}));

  const uint8_t truncated[] = {0, 96, 0, 24, 's', 0, 0, 0, 0, 0, 0, 0,
                               0, 0,  0, 0,  0,   0, 0, 0, 0, 0, 0, 9};
  r.assign(truncated, sizeof truncated);
  parsed.parse(r, 1520);
  EXPECT_TRUE(parsed.maskWords.empty());
  EXPECT_STREQ(parsed.id, "s");
}

TEST(FltHierarchyRecords, BspPlane) {
  Bytes b = serialised(FltBsp());
  EXPECT_TRUE(allZero(b, 4, 28));
  EXPECT_EQ(slice(b, 32, 8), bigEndian(-1.0));
  EXPECT_TRUE(allZero(b, 40, 8));

  const double origin[3] = {0, 0, 0}, yUnit[3] = {0, 1, 0}, xUnit[3] = {1, 0, 0};
  double plane[4] = {9, 9, 9, 9};
  ASSERT_TRUE(FltBsp::planeFromPoints(origin, yUnit, xUnit, plane));
  EXPECT_EQ(plane[0], 0.0);
  EXPECT_EQ(plane[1], 0.0);
  EXPECT_EQ(plane[2], -1.0);
  EXPECT_EQ(plane[3], 0.0);

  // The plane z = 1: d takes part in the scaling, so c is not -1.
  const double p1[3] = {0, 0, 1}, p2[3] = {0, 1, 1}, p3[3] = {1, 0, 1};
  ASSERT_TRUE(FltBsp::planeFromPoints(p1, p2, p3, plane));
  EXPECT_DOUBLE_EQ(plane[2], -std::sqrt(0.5));
  EXPECT_DOUBLE_EQ(plane[3], std::sqrt(0.5));

  const double q1[3] = {1, 1, 1}, q2[3] = {2, 2, 2}, q3[3] = {4, 4, 4};
  EXPECT_FALSE(FltBsp::planeFromPoints(q1, q2, q3, plane));
  EXPECT_DOUBLE_EQ(plane[3], std::sqrt(0.5)) << "unchanged";
  const double bad[3] = {NAN, 0, 0};
  EXPECT_FALSE(FltBsp::planeFromPoints(bad, p2, p3, plane));
  EXPECT_FALSE(std::isnan(plane[0]));
}

TEST(FltHierarchyRecords, ClipRegionOffsets) {
  FltClipRegion c;
  for (int i = 0; i < 5; ++i) c.edgeFlags[i] = static_cast<uint8_t>(i + 1);
  c.corners[0][0] = 1.5;
  c.corners[3][2] = -2.5;
  c.planes[0][0] = 3.5;
  c.planes[4][3] = 4.5;
  Bytes b = serialised(c);
  EXPECT_TRUE(allZero(b, 12, 6));
  EXPECT_EQ(slice(b, 18, 6), (Bytes{1, 2, 3, 4, 5, 0}));
  EXPECT_EQ(slice(b, 24, 8), bigEndian(1.5));
  EXPECT_EQ(slice(b, 112, 8), bigEndian(-2.5));
  EXPECT_EQ(slice(b, 120, 8), bigEndian(3.5));
  EXPECT_EQ(slice(b, 272, 8), bigEndian(4.5));
}

TEST(FltHierarchyRecords, ExternalRefPath) {
  FltExternalRef x;
  EXPECT_EQ(x.name(), nullptr);
  std::string full(200, 'p');
  x.setPath((full + "overflow").c_str());
  EXPECT_EQ(std::string(x.path), full);
  x.flags = 0x80000001;
  Bytes b = serialised(x);
  EXPECT_EQ(slice(b, 4, 200), Bytes(full.begin(), full.end())) << "no terminator";
  EXPECT_TRUE(allZero(b, 204, 4));
  EXPECT_EQ(slice(b, 208, 4), (Bytes{0x80, 0, 0, 1}));
  EXPECT_TRUE(allZero(b, 212, 4));
  EXPECT_EQ(std::string(reparsed<FltExternalRef>(b).path), full);
}

TEST_F(FltHierarchyFile, DefaultIdsPerKind) {
  FltOutputFile file;
  ASSERT_TRUE(file.open(path_, 1520));
  auto writeThree = [&](auto made) {
    decltype(made) first = made, named = made, third = made;
    named.setId("Named12");
    EXPECT_EQ(file.write(first), 1);
    EXPECT_EQ(file.write(named), 1);
    EXPECT_EQ(file.write(third), 1);
    EXPECT_STREQ(named.id, "Named12");
  };
  writeThree(FltGroup());
  writeThree(FltObject());
  writeThree(FltLod());
  writeThree(FltDof());
  writeThree(FltSwitch());
  writeThree(FltBsp());
  writeThree(FltClipRegion());
  FltExternalRef x;
  EXPECT_EQ(file.write(x), 1);
  ASSERT_EQ(file.close(), 1) << file.error();

  std::vector<FileRecord> records = recordsIn(path_);
  using Ids = std::vector<std::string>;
  EXPECT_EQ(idsOf(records, 2), (Ids{"g1", "g2", "Named12", "g3"}));  // g1 is the top group
  EXPECT_EQ(idsOf(records, 4), (Ids{"o1", "Named12", "o2"}));
  EXPECT_EQ(idsOf(records, 73), (Ids{"l1", "Named12", "l2"}));
  EXPECT_EQ(idsOf(records, 14), (Ids{"d1", "Named12", "d2"}));
  EXPECT_EQ(idsOf(records, 96), (Ids{"f1", "Named12", "f2"}));
  EXPECT_EQ(idsOf(records, 55), (Ids{"b1", "Named12", "b2"}));
  EXPECT_EQ(idsOf(records, 98), (Ids{"c1", "Named12", "c2"}));
  EXPECT_EQ(idsOf(records, 63).size(), 1u);

  auto top = std::find_if(records.begin(), records.end(),
                          [](const FileRecord& r) { return r.opcode == 2; });
  ASSERT_NE(top, records.end());
  Bytes expected(32, 0);
  expected[1] = 2;
  expected[3] = 32;
  expected[4] = 'g';
  expected[5] = '1';
  EXPECT_EQ(top->bytes, expected) << "the top group of the export";

  // Counters belong to one export: the next one starts again at 1.
  ASSERT_TRUE(file.open(path_, 1520));
  FltObject again;
  file.write(again);
  EXPECT_STREQ(again.id, "o1");
  file.discard();
}

TEST(FltHierarchyRecords, RoundTripKeepsEveryField) {
  FltGroup g;
  g.setId("grp");
  g.relativePriority = -2;
  g.flags = 0x11111111;
  g.specialEffectId1 = 3;
  g.specialEffectId2 = 4;
  g.significance = 5;
  g.layerCode = 6;
  EXPECT_EQ(reparsed<FltGroup>(serialised(g)).layerCode, 6);

  FltObject o;
  o.setId("obj4567");
  o.flags = 0x22222222;
  o.relativePriority = -7;
  o.specialEffectId1 = 8;
  o.specialEffectId2 = 9;
  o.transparency = 10;
  o.significance = 11;
  FltObject po = reparsed<FltObject>(serialised(o));
  EXPECT_EQ(po.transparency, 10);
  EXPECT_EQ(po.specialEffectId1, 8);

  FltLod l;
  l.setId("lod12345");
  l.switchInDistance = 500.25;
  l.switchOutDistance = 2.5;
  l.specialEffectId1 = 12;
  l.specialEffectId2 = 13;
  l.flags = 0x80000000;
  l.centerX = 1.25;
  l.centerY = -3.75;
  l.centerZ = 9.5;
  l.transitionRange = 14.5;
  FltLod pl = reparsed<FltLod>(serialised(l));
  EXPECT_STREQ(pl.id, "lod12345");
  EXPECT_EQ(pl.centerY, -3.75);

  FltDof d;
  d.setId("dof");
  double v = 1.0;
  for (double* field : {&d.originX, &d.originY, &d.originZ, &d.xAxisPointX, &d.xAxisPointY,
                        &d.xAxisPointZ, &d.xyPlanePointX, &d.xyPlanePointY, &d.xyPlanePointZ})
    *field = v += 1.0;
  for (FltDofRange* range : {&d.translateZ, &d.translateY, &d.translateX, &d.pitch, &d.roll, &d.yaw,
                             &d.scaleZ, &d.scaleY, &d.scaleX}) {
    range->minimum = v += 1.0;
    range->maximum = v += 1.0;
    range->current = v += 1.0;
    range->increment = v += 1.0;
  }
  d.flags = 0x33333333;
  FltDof pd = reparsed<FltDof>(serialised(d));
  EXPECT_EQ(pd.scaleX.increment, d.scaleX.increment);
  EXPECT_EQ(pd.roll.minimum, d.roll.minimum);

  FltSwitch s;
  s.setId("sw");
  s.currentMask = 2;
  s.wordsPerMask = 3;
  s.maskWords = {1, 2, 3, 4, 5, 6};
  EXPECT_EQ(reparsed<FltSwitch>(serialised(s)).maskWords, s.maskWords);

  FltBsp b;
  b.setId("bsp");
  b.a = 0.5;
  b.b = 0.25;
  b.c = 0.125;
  b.d = -8;
  EXPECT_EQ(reparsed<FltBsp>(serialised(b)).d, -8);

  FltClipRegion c;
  c.setId("clip");
  for (int i = 0; i < 5; ++i) c.edgeFlags[i] = static_cast<uint8_t>(0xF0 + i);
  for (auto& corner : c.corners)
    for (double& x : corner) x = v += 1.0;
  for (auto& plane : c.planes)
    for (double& x : plane) x = v += 1.0;
  FltClipRegion pc = reparsed<FltClipRegion>(serialised(c));
  EXPECT_EQ(pc.edgeFlags[4], 0xF4);
  EXPECT_EQ(pc.planes[4][3], c.planes[4][3]);

  FltExternalRef x;
  x.setPath("/data/models/tree.flt");
  x.flags = 0x44444444;
  EXPECT_EQ(reparsed<FltExternalRef>(serialised(x)).flags, 0x44444444u);
}
