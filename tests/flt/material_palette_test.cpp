// Materials: record and table layouts, the palette's de-duplication rules and the
// limit of the old table form.
#include <gtest/gtest.h>

#include <algorithm>

#include "flt/material.h"
#include "flt/material_palette.h"
#include "flt/material_table.h"
#include "flt/output_file.h"
#include "tests/flt/flt_test_support.h"

namespace {

FltMaterial colored(float r, float g, float b, const char* name = "") {
  FltMaterial m;
  m.setName(name);
  m.diffuse[0] = r;
  m.diffuse[1] = g;
  m.diffuse[2] = b;
  return m;
}

// Every field away from its default.
FltMaterial full(int seed) {
  FltMaterial m = colored(0.1f, 0.2f, 0.3f, "brick_wall_1");
  m.materialIndex = 7 + seed;
  m.flags = 0x40000000 | seed;
  for (int i = 0; i < 3; ++i) {
    m.ambient[i] = 0.4f + i;
    m.specular[i] = 0.5f + i;
    m.emissive[i] = 0.6f + i;
  }
  m.shininess = 64.0f + seed;
  m.alpha = 0.5f;
  return m;
}

}  // namespace

TEST(FltMaterial, RecordAndTableLayoutsRoundTrip) {
  FltMaterial m = full(1);
  Bytes b = serialised(m, 1520);
  // 84 bytes of fields, padded like every record to a multiple of 8.
  ASSERT_EQ(b.size(), 88u);
  EXPECT_EQ(be32(b, 0), (113u << 16) | 88u);
  EXPECT_EQ(be32(b, 4), 8u);
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(&b[8]), 12), "brick_wall_1");
  EXPECT_EQ(be32(b, 20), 0x40000001u);
  EXPECT_FLOAT_EQ(beFloat(b, 24), 0.4f);
  EXPECT_FLOAT_EQ(beFloat(b, 44), 0.3f);
  EXPECT_FLOAT_EQ(beFloat(b, 60), 0.6f);
  EXPECT_FLOAT_EQ(beFloat(b, 72), 65.0f);
  EXPECT_FLOAT_EQ(beFloat(b, 76), 0.5f);
  FltMaterial back;
  EXPECT_EQ(reserialised(back, b, 1520), b);

  auto table = std::make_unique<FltMaterialTable>();
  table->slots[1] = m;
  b = serialised(*table, 1420);
  ASSERT_EQ(b.size(), 11784u);  // 4 + 64 * 184, padded
  size_t e = 4 + 184;
  EXPECT_FLOAT_EQ(beFloat(b, e + 12), 0.1f);
  EXPECT_FLOAT_EQ(beFloat(b, e + 36), 0.6f);
  EXPECT_FLOAT_EQ(beFloat(b, e + 48), 65.0f);
  EXPECT_EQ(be32(b, e + 56), 0x40000001u);
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(&b[e + 60]), 12), "brick_wall_1");
  EXPECT_TRUE(std::all_of(&b[e + 72], &b[e + 184], [](uint8_t v) { return v == 0; }));
  // An unused slot: zero colors, shininess and alpha 1.
  size_t last = 4 + 63 * 184;
  EXPECT_EQ(be32(b, last), 0u);
  EXPECT_FLOAT_EQ(beFloat(b, last + 48), 1.0f);
  EXPECT_FLOAT_EQ(beFloat(b, last + 52), 1.0f);
  auto tableBack = std::make_unique<FltMaterialTable>();
  EXPECT_EQ(reserialised(*tableBack, b, 1420), b);
  EXPECT_EQ(tableBack->slots[1].materialIndex, 1);  // the slot, not the stored index
}

TEST(FltMaterialPalette, DeDuplicatesOnNamesColorsAndAlphaOnly) {
  FltMaterialPalette p;
  FltMaterial a = colored(1, 0, 0, "red");
  a.shininess = 10;
  EXPECT_EQ(p.addMaterial(a), 0);
  // Shininess and flags take no part; the first material keeps its values.
  FltMaterial shinier = a;
  shinier.shininess = 99;
  shinier.flags = 4;
  EXPECT_EQ(p.addMaterial(shinier), 0);
  EXPECT_EQ(p.material(0).shininess, 10);
  EXPECT_EQ(p.addMaterial(colored(1, 0, 0)), 0);  // an empty name matches any
  EXPECT_EQ(p.addMaterial(colored(1, 0, 0, "crimson")), 1);
  EXPECT_EQ(p.addMaterial(colored(0, 1, 0, "red")), 2);
  FltMaterial faded = colored(1, 0, 0, "red");
  faded.alpha = 0.5f;
  EXPECT_EQ(p.addMaterial(faded), 3);
  FltMaterial glowing = colored(1, 0, 0, "red");
  glowing.emissive[2] = 0.25f;
  EXPECT_EQ(p.addMaterial(glowing), 4);
  // An unnamed material equal to several named ones takes the earliest.
  EXPECT_EQ(p.addMaterial(colored(1, 0, 0)), 0);
  EXPECT_EQ(p.addMaterial(colored(-0.0f, 1, 0, "red")), 2);
  ASSERT_EQ(p.materialCount(), 5);
  EXPECT_EQ(p.material(4).materialIndex, 4);

  // Named materials after an unnamed one of their colors join it.
  p.clear();
  EXPECT_EQ(p.addMaterial(colored(0, 0, 1)), 0);
  EXPECT_EQ(p.addMaterial(colored(0, 0, 1, "blue")), 0);
  EXPECT_EQ(p.addMaterial(colored(0, 0, 1, "navy")), 0);
  EXPECT_EQ(p.materialCount(), 1);

  for (int i = 1; i < 20000; ++i) ASSERT_EQ(p.addMaterial(colored(i / 1e3f, i % 7, 0)), i);
  for (int i = 19999; i > 0; i -= 7) ASSERT_EQ(p.addMaterial(colored(i / 1e3f, i % 7, 0, "x")), i);
}

// Faces would refer to materials the 64-slot table does not hold.
TEST(FltMaterialPalette, MoreMaterialsThanAnOldTableHoldsFailTheExport) {
  ScopedWorkDir dir;
  FltOutputFile file;
  auto exportAs = [&](int version) {
    EXPECT_TRUE(file.open("old.flt", version));
    for (int i = 0; i < 65; ++i) EXPECT_GE(file.materials().addMaterial(colored(i, 0, 0)), 0);
    return file.close();
  };
  EXPECT_EQ(exportAs(1520), 1) << file.error();
  EXPECT_EQ(fileOpcodes("old.flt")[66], 113);
  EXPECT_EQ(exportAs(1420), 0);
  EXPECT_NE(file.error().find("at most 64"), std::string::npos) << file.error();
  EXPECT_EQ(fileOpcodes("old.flt")[2], 113);  // the earlier file is left as it was
}
