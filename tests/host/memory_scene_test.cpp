// The in-memory host: user text, nodes, normals, conversion, bounding boxes, bitmaps.
#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <filesystem>
#include <string>
#include <vector>

#include "host/memory_object.h"
#include "host/memory_scene.h"
#include "host/mesh_builders.h"
#include "host/user_text.h"
#include "tests/host/scene_test_support.h"

namespace fs = std::filesystem;

namespace {

// An object that counts its releases; a converting one gives a new object when
// asked for a triangle object.
class CountedTriObject : public TriObject {
 public:
  CountedTriObject(int& released, bool converts) : released_(released), converts_(converts) {}
  void deleteThis() override {
    ++released_;
    delete this;
  }
  SceneObject* convertToType(TimeValue t, ClassId cls) override {
    return converts_ ? new CountedTriObject(released_, false) : TriObject::convertToType(t, cls);
  }

 private:
  int& released_;
  bool converts_;
};

}  // namespace

TEST(MemorySceneUserText, FirstLineWhoseKeyMatchesWinsTrimmed) {
  MemoryScene scene;
  MemoryNode& node = scene.addNode("n").setUserText(
      "FltLodMaxX = 9\r\n"
      "Note = FltLodMax = 7\r\n"
      "  FltLodMax\t=  250 \r\n"
      "FltLodMax = 300\r\n"
      "no equals sign FltLodMin\r\n"
      "Label =  Tree near the gate \r\n"
      "FltLodMin = 5");  // last line without an end
  const auto value = [&](const char* key) {
    std::string s;
    return node.userPropertyString(key, s) ? s : "absent";
  };
  EXPECT_EQ(value("FltLodMax"), "250");
  EXPECT_EQ(value("FltLodMaxX"), "9");
  EXPECT_EQ(value("Note"), "FltLodMax = 7");
  EXPECT_EQ(value("Label"), "Tree near the gate");
  EXPECT_EQ(value("FltLodMin"), "5");
  EXPECT_EQ(value("FltLod"), "absent");
  EXPECT_EQ(value("fltlodmax"), "absent");
  std::string kept = "kept";
  EXPECT_FALSE(node.userPropertyString("FltLod", kept));
  EXPECT_EQ(kept, "kept");

  // Lines ended by "\n" or a lone "\r" are lines too.
  EXPECT_EQ(findUserProperty("a = 1\nb = 2\rc = 3", "c").value_or(""), "3");
  EXPECT_EQ(normalizeLineEnds("a\nb\r\nc\rd"), "a\r\nb\r\nc\r\nd\r\n");
  EXPECT_EQ(normalizeLineEnds(""), "");
}

TEST(MemorySceneUserText, ValuesAreFoundOnlyWhenTheWholeTextParses) {
  constexpr int kNo = INT_MIN;  // not found
  const float kNone = NAN;
  const struct {
    const char* text;
    int asInt;
    float asFloat;
    int asBool;  // words, or any integer
  } cases[] = {
      // clang-format off
      {"42", 42, 42, 1},       {"-7", -7, -7, 1},       {"+3", 3, 3, 1},       {"0", 0, 0, 0},
      {"2.5", kNo, 2.5f, kNo}, {"1e3", kNo, 1e3f, kNo}, {".5", kNo, .5f, kNo},
      {"99999999999", kNo, 1e11f, kNo},  // too big for an int
      {"12abc", kNo, kNone, kNo}, {"1 2", kNo, kNone, kNo},   {"0x10", kNo, kNone, kNo},
      {"", kNo, kNone, kNo},      {"1e99", kNo, kNone, kNo},  {"nan", kNo, kNone, kNo},
      {"inf", kNo, kNone, kNo},   {"maybe", kNo, kNone, kNo}, {"yess", kNo, kNone, kNo},
      {"Yes", kNo, kNone, 1},     {"no", kNo, kNone, 0},      {"TRUE", kNo, kNone, 1},
      {"False", kNo, kNone, 0},   {"On", kNo, kNone, 1},      {"off", kNo, kNone, 0},
      // clang-format on
  };
  MemoryScene scene;
  MemoryNode& node = scene.addNode("n");
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text);
    node.setUserText(std::string("Value = ") + c.text + "\r\n");
    int i = -1;
    float f = -1.0f;
    bool b = c.asBool != 1;  // the opposite of a true found
    EXPECT_EQ(node.userPropertyInt("Value", i), c.asInt != kNo);
    EXPECT_EQ(i, c.asInt != kNo ? c.asInt : -1);
    EXPECT_EQ(node.userPropertyFloat("Value", f), !std::isnan(c.asFloat));
    EXPECT_FLOAT_EQ(f, std::isnan(c.asFloat) ? -1.0f : c.asFloat);
    EXPECT_EQ(node.userPropertyBool("Value", b), c.asBool != kNo);
    EXPECT_EQ(b, c.asBool == kNo || c.asBool == 1);
  }
}

TEST(MemorySceneNodes, NamesChildrenAndTransformsFromTheParent) {
  MemoryScene scene;
  MemoryNode& parent = scene.addNode("parent").setTransform(Matrix3::translation({10, 0, 0}));
  MemoryNode& child = scene.addNode("", parent).setTransform(Matrix3::rotationZ(float(M_PI / 2)));
  EXPECT_EQ(child.name(), nullptr);
  EXPECT_EQ(scene.root().child(0), &parent);
  EXPECT_EQ(parent.child(1), nullptr);
  EXPECT_EQ(scene.nodeCount(), 2);
  // Rotated by the child first, then moved by the parent.
  EXPECT_TRUE(near(Point3{1, 0, 0} * child.objectToWorld(0), {10, 1, 0}));

  // Kept transforms follow a change above them, and a node added below a kept one.
  MemoryNode& grandchild = scene.addNode("g", child).setTransform(Matrix3::translation({0, 5, 0}));
  EXPECT_TRUE(near(Point3{0, 0, 0} * grandchild.objectToWorld(0), {5, 0, 0}));
  parent.setTransform(Matrix3::translation({0, 0, 3}));
  EXPECT_TRUE(near(Point3{1, 0, 0} * child.objectToWorld(0), {0, 1, 3}));
  EXPECT_TRUE(near(Point3{0, 0, 0} * grandchild.objectToWorld(0), {-5, 0, 3}));
  child.setTransform(Matrix3());
  EXPECT_TRUE(near(Point3{0, 0, 0} * grandchild.objectToWorld(0), {0, 5, 3}));
  EXPECT_TRUE(near(Point3{0, 0, 0} * parent.objectToWorld(0), {0, 0, 3}));
}

// How smoothing groups share normals at a vertex is checked on the written file by
// the mesh converter's tests; here the groups a merged normal keeps.
TEST(MeshNormals, OverlappingGroupsMergeAndSpecifiedNormalsStay) {
  // Around vertex 0: groups 1, 2, then 3, which overlaps both and merges them.
  Mesh fan;
  fan.verts = {{0, 0, 0}, {1, 0, 0}, {0, 1, 0}, {-1, 0, 0}, {0, -1, 0}};
  fan.faces.resize(3);
  for (uint32_t f = 0; f < 3; ++f) {
    fan.faces[f].v[0] = 0, fan.faces[f].v[1] = f + 1, fan.faces[f].v[2] = f + 2;
    fan.faces[f].smGroup = f + 1;
  }
  EXPECT_FALSE(fan.normalsBuilt());
  fan.buildNormals();
  EXPECT_TRUE(fan.normalsBuilt());
  EXPECT_EQ(fan.getRVert(0).rFlags, 1u);
  EXPECT_EQ(fan.getRVert(0).rn.smGroup, 3u);
  EXPECT_TRUE(near(fan.getRVert(0).rn.normal, {0, 0, 1}));

  // Each side of a box has a group of its own: three normals at each corner.
  Mesh box = makeBox({-1, -2, -3}, {1, 2, 3});
  box.checkNormals(true);
  EXPECT_EQ(box.faces[11].materialId(), 5);
  for (int v = 0; v < box.numVerts(); ++v) {
    ASSERT_EQ(box.getRVert(v).normalCount(), 3);
    Point3 sum;
    for (int k = 0; k < 3; ++k) sum += box.getRNormal(v, k).normal;
    // The three axis normals of a corner point away from the centre along each axis.
    for (int a = 0; a < 3; ++a) EXPECT_FLOAT_EQ(std::fabs(sum[a]), 1.0f);
    EXPECT_GT(DotProd(sum, box.verts[v]), 0.0f);
  }

  Mesh quad = makeQuadMesh();
  quad.setSpecifiedNormal(2, {0, 0.6f, 0.8f});
  quad.setSpecifiedNormal(9, {1, 0, 0});  // no such vertex: ignored
  quad.checkNormals(true);
  EXPECT_EQ(quad.getRVert(2).rFlags, RVertex::kSpecifiedNormal | 1);
  EXPECT_TRUE(near(quad.getRVert(2).rn.normal, {0, 0.6f, 0.8f}));
  EXPECT_TRUE(near(quad.getRVert(0).rn.normal, {0, 0, 1}));
  EXPECT_EQ(quad.getRVert(9).rFlags, 0u);
}

TEST(SceneObjects, ConversionOwnershipAndBoundingBoxes) {
  int released = 0;
  {
    SceneObjectPtr direct(new CountedTriObject(released, false));
    TriObjectHandle handle(direct.get(), 0);
    ASSERT_TRUE(handle);
    EXPECT_FALSE(handle.owned());
    EXPECT_EQ(handle.get(), direct.get());
  }
  EXPECT_EQ(released, 1);  // by its owner only
  {
    SceneObjectPtr source(new CountedTriObject(released, true));
    TriObjectHandle handle(source.get(), 0);
    ASSERT_TRUE(handle);
    EXPECT_TRUE(handle.owned());
    TriObjectHandle moved = std::move(handle);
    EXPECT_FALSE(handle);
    EXPECT_EQ(released, 1);
  }
  EXPECT_EQ(released, 3);  // the source and its conversion, once each

  // Object space: the node's transform is not in the box.
  SceneObjectPtr prim = makePrimitiveObject(makeBox({-1, -2, -3}, {1, 2, 3}));
  EXPECT_EQ(prim->superClassId(), kGeomObjectClass);
  EXPECT_TRUE(near(prim->objectBoundingBox(0).pmin, {-1, -2, -3}));
  EXPECT_TRUE(near(prim->objectBoundingBox(0).center(), {0, 0, 0}));
  EXPECT_FALSE(TriObjectHandle(makeShapeObject().get(), 0));
  EXPECT_TRUE(TriObjectHandle(makeShapeObject(makeQuadMesh()).get(), 0));
  EXPECT_TRUE(makeHelperObject()->objectBoundingBox(0).isEmpty());
  EXPECT_EQ(makeLightObject()->superClassId(), kLightClass);
}

TEST(MemorySceneBitmaps, SizeFromTheHeaderAndZeroForMissingImages) {
  const fs::path dir = freshDir();
  writeFile(dir / "red.png", kPng3x2);
  // SGI header: magic, RLE, 1 byte per channel, 3 dimensions, 640 x 480 x 3.
  writeFile(dir / "tile.rgb",
            std::vector<unsigned char>{1, 0xDA, 1, 1, 0, 3, 2, 0x80, 1, 0xE0, 0, 3});
  writeFile(dir / "broken.png", std::string("\x89PNG"));

  MemoryScene scene;
  scene.bitmapManager().addSearchFolder((dir / "nowhere").string());
  scene.bitmapManager().addSearchFolder(dir.string());
  Bitmap* png = scene.addBitmapTexture((dir / "red.png").string()).bitmap(0);
  ASSERT_NE(png, nullptr);
  EXPECT_EQ(png->Width(), 3);
  EXPECT_EQ(png->Height(), 2);
  Bitmap* sgi = scene.addBitmapTexture("textures/tile.rgb").bitmap(0);  // found in a folder
  EXPECT_EQ(sgi->Width(), 640);
  EXPECT_EQ(sgi->Height(), 480);
  for (const char* missing : {"gone.png", "broken.png"}) {
    Bitmap* none = scene.addBitmapTexture(missing).bitmap(0);
    ASSERT_NE(none, nullptr) << missing;
    EXPECT_EQ(none->Width(), 0);
    EXPECT_EQ(none->Height(), 0);
  }

  BitmapManagerScope scope(&scene.bitmapManager());
  BitmapInfo info("C:\\maps\\red.png");  // a name from another platform
  Bitmap* loaded = TheManager->Load(&info);
  ASSERT_NE(loaded, nullptr);
  EXPECT_EQ(fs::path(info.Name()), dir / "red.png");
  EXPECT_EQ(loaded->Width(), 3);
  loaded->DeleteThis();
  BitmapInfo missing("gone.png");
  EXPECT_EQ(TheManager->Load(&missing), nullptr);
  EXPECT_STREQ(missing.Name(), "gone.png");

  // Names that differ from the file only in case, as Windows scenes hold them.
  for (const std::string& name : {(dir / "RED.PNG").string(), std::string("C:\\maps\\Red.Png"),
                                  std::string("textures/TILE.rgb")}) {
    BitmapInfo cased(name.c_str());
    Bitmap* found = TheManager->Load(&cased);
    ASSERT_NE(found, nullptr) << name;
    EXPECT_GT(found->Width(), 2) << name;
    EXPECT_EQ(fs::path(cased.Name()).parent_path(), dir) << name;
    found->DeleteThis();
  }
  fs::remove_all(dir);
}
