// The in-memory host: user text, normals, conversion, bounding boxes, bitmaps, progress.
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "host/memory_object.h"
#include "host/memory_scene.h"
#include "host/mesh_builders.h"
#include "host/test_host.h"
#include "host/user_text.h"
#include "plugin/tri_object.h"

namespace fs = std::filesystem;

namespace {

void expectNear(const Point3& a, const Point3& b) {
  EXPECT_NEAR(a.x, b.x, 1e-6f);
  EXPECT_NEAR(a.y, b.y, 1e-6f);
  EXPECT_NEAR(a.z, b.z, 1e-6f);
}

// A folded quad: triangle 0 in the XY plane, triangle 1 in the XZ plane; they share
// the edge from vertex 0 to vertex 1.
Mesh foldedQuad(uint32_t smA, uint32_t smB) {
  Mesh m;
  m.verts = {{0, 0, 0}, {1, 0, 0}, {0, 1, 0}, {0, 0, 1}};
  m.faces.resize(2);
  m.faces[0].v[0] = 0, m.faces[0].v[1] = 1, m.faces[0].v[2] = 2;
  m.faces[1].v[0] = 1, m.faces[1].v[1] = 0, m.faces[1].v[2] = 3;
  m.faces[0].smGroup = smA;
  m.faces[1].smGroup = smB;
  return m;
}

fs::path freshDir(const char* name) {
  const fs::path dir = fs::path(testing::TempDir()) / name;
  fs::remove_all(dir);
  fs::create_directories(dir);
  return dir;
}

void writeBytes(const fs::path& path, const std::vector<unsigned char>& bytes) {
  std::ofstream(path, std::ios::binary)
      .write(reinterpret_cast<const char*>(bytes.data()),
             static_cast<std::streamsize>(bytes.size()));
}

// A 3 x 2 RGB PNG: signature, IHDR, one IDAT, IEND.
const std::vector<unsigned char> kPng3x2 = {
    0x89, 0x50, 0x4E, 0x47, 0x0D, 0x0A, 0x1A, 0x0A, 0x00, 0x00, 0x00, 0x0D, 0x49, 0x48, 0x44,
    0x52, 0x00, 0x00, 0x00, 0x03, 0x00, 0x00, 0x00, 0x02, 0x08, 0x02, 0x00, 0x00, 0x00, 0x12,
    0x16, 0xF1, 0x4D, 0x00, 0x00, 0x00, 0x10, 0x49, 0x44, 0x41, 0x54, 0x78, 0x9C, 0x63, 0xF8,
    0xCF, 0xC0, 0x00, 0x41, 0x0C, 0x70, 0x16, 0x00, 0x41, 0xD2, 0x05, 0xFB, 0x87, 0xF0, 0xB9,
    0x48, 0x00, 0x00, 0x00, 0x00, 0x49, 0x45, 0x4E, 0x44, 0xAE, 0x42, 0x60, 0x82};

// An object that counts its releases.
class CountedTriObject : public TriObject {
 public:
  explicit CountedTriObject(int& released) : released_(released) {}
  void deleteThis() override {
    ++released_;
    delete this;
  }

 private:
  int& released_;
};

class ConvertingObject : public TriObject {
 public:
  explicit ConvertingObject(int& released) : released_(released) {}
  SceneObject* convertToType(TimeValue, ClassId cls) override {
    return cls == kTriObjectClassId ? new CountedTriObject(released_) : nullptr;
  }

 private:
  int& released_;
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
  std::string s;
  int i = 0;
  EXPECT_TRUE(node.userPropertyInt("FltLodMax", i));
  EXPECT_EQ(i, 250);
  EXPECT_TRUE(node.userPropertyString("FltLodMaxX", s));
  EXPECT_EQ(s, "9");
  EXPECT_TRUE(node.userPropertyString("Note", s));
  EXPECT_EQ(s, "FltLodMax = 7");
  EXPECT_TRUE(node.userPropertyString("Label", s));
  EXPECT_EQ(s, "Tree near the gate");
  EXPECT_TRUE(node.userPropertyInt("FltLodMin", i));
  EXPECT_EQ(i, 5);
  s = "kept";
  EXPECT_FALSE(node.userPropertyString("FltLod", s));
  EXPECT_FALSE(node.userPropertyString("fltlodmax", s));
  EXPECT_EQ(s, "kept");
  EXPECT_EQ(node.userPropertyText().substr(0, 16), "FltLodMaxX = 9\r\n");

  // Lines ended by "\n" or a lone "\r" are lines too.
  EXPECT_EQ(findUserProperty("a = 1\nb = 2\rc = 3", "c").value_or(""), "3");
  EXPECT_EQ(normalizeLineEnds("a\nb\r\nc\rd"), "a\r\nb\r\nc\r\nd\r\n");
  EXPECT_EQ(normalizeLineEnds(""), "");
}

TEST(MemorySceneUserText, NumbersAreFoundOnlyWhenTheWholeValueParses) {
  MemoryScene scene;
  MemoryNode& node = scene.addNode("n");
  struct Case {
    const char* text;
    bool isInt;
    int intValue;
    bool isFloat;
    float floatValue;
  };
  const Case cases[] = {
      {"42", true, 42, true, 42.0f},
      {"-7", true, -7, true, -7.0f},
      {"+3", true, 3, true, 3.0f},
      {"2.5", false, 0, true, 2.5f},
      {"1e3", false, 0, true, 1000.0f},
      {".5", false, 0, true, 0.5f},
      {"12abc", false, 0, false, 0},
      {"1 2", false, 0, false, 0},
      {"0x10", false, 0, false, 0},
      {"", false, 0, false, 0},
      {"99999999999", false, 0, true, 1e11f},
      {"1e99", false, 0, false, 0},
      {"nan", false, 0, false, 0},
      {"inf", false, 0, false, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    node.setUserText(std::string("Value = ") + c.text + "\r\n");
    int i = -1;
    float f = -1.0f;
    EXPECT_EQ(node.userPropertyInt("Value", i), c.isInt);
    EXPECT_EQ(i, c.isInt ? c.intValue : -1);
    EXPECT_EQ(node.userPropertyFloat("Value", f), c.isFloat);
    EXPECT_FLOAT_EQ(f, c.isFloat ? c.floatValue : -1.0f);
  }
}

TEST(MemorySceneUserText, BooleanWordsAndIntegers) {
  const struct {
    const char* text;
    int expected;  // -1: not found
  } cases[] = {{"Yes", 1}, {"no", 0}, {"TRUE", 1}, {"False", 0},  {"On", 1}, {"off", 0},  {"1", 1},
               {"0", 0},   {"-2", 1}, {"1.0", -1}, {"maybe", -1}, {"", -1},  {"yess", -1}};
  MemoryScene scene;
  MemoryNode& node = scene.addNode("n");
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text);
    node.setUserText(std::string("Flag = ") + c.text + "\r\n");
    bool b = true;
    EXPECT_EQ(node.userPropertyBool("Flag", b), c.expected >= 0);
    if (c.expected >= 0) {
      EXPECT_EQ(b, c.expected == 1);
    }
  }
}

TEST(MemorySceneNodes, TreeNamesAndTransforms) {
  MemoryScene scene;
  MemoryNode& parent = scene.addNode("parent").setTransform(Matrix3::translation({10, 0, 0}));
  MemoryNode& child = scene.addNode("", parent)
                          .setTransform(Matrix3::rotationZ(float(M_PI / 2)))
                          .setGroupHead()
                          .setWireColor(0x00332211);
  EXPECT_EQ(child.name(), nullptr);
  EXPECT_STREQ(parent.name(), "parent");
  EXPECT_EQ(scene.root().childCount(), 1);
  EXPECT_EQ(scene.root().child(0), &parent);
  EXPECT_EQ(parent.child(1), nullptr);
  EXPECT_EQ(scene.nodeCount(), 2);
  EXPECT_TRUE(child.isGroupHead());
  EXPECT_EQ(child.wireColor(), 0x00332211u);
  // Rotated by the child first, then moved by the parent.
  expectNear(Point3{1, 0, 0} * child.objectToWorld(0), {10, 1, 0});
  EXPECT_EQ(child.evalWorldState(0).obj, nullptr);
}

TEST(MeshNormals, SmoothingGroupsDecideSharedNormals) {
  const Point3 nA{0, 0, 1}, nB{0, 1, 0};
  {
    Mesh m = foldedQuad(1, 1);
    EXPECT_FALSE(m.normalsBuilt());
    m.buildNormals();
    EXPECT_TRUE(m.normalsBuilt());
    expectNear(m.getFaceNormal(0), nA);
    expectNear(m.getFaceNormal(1), nB);
    for (int v : {0, 1}) {
      EXPECT_EQ(m.getRVert(v).rFlags, 1u);
      expectNear(m.getRNormal(v, 0).normal, normalize(nA + nB));
      EXPECT_EQ(m.getRNormal(v, 0).smGroup, 1u);
    }
    expectNear(m.getRVert(2).rn.normal, nA);
    expectNear(m.getRVert(3).rn.normal, nB);
  }
  {
    Mesh m = foldedQuad(1, 2);
    m.buildNormals();
    ASSERT_EQ(m.getRVert(0).normalCount(), 2);
    expectNear(m.getRNormal(0, 0).normal, nA);
    EXPECT_EQ(m.getRNormal(0, 0).smGroup, 1u);
    expectNear(m.getRNormal(0, 1).normal, nB);
    EXPECT_EQ(m.getRNormal(0, 1).smGroup, 2u);
  }
  {
    Mesh m = foldedQuad(0, 4);  // a faceted face adds no render normal
    m.buildNormals();
    EXPECT_EQ(m.getRVert(0).rFlags, 1u);
    expectNear(m.getRVert(0).rn.normal, nB);
    EXPECT_EQ(m.getRVert(2).rFlags, 0u);
  }
  {
    Mesh m = foldedQuad(1, 3);  // overlapping groups share
    m.buildNormals();
    EXPECT_EQ(m.getRVert(0).rFlags, 1u);
    EXPECT_EQ(m.getRVert(0).rn.smGroup, 3u);
  }
}

TEST(MeshNormals, AFaceBridgingTwoGroupsMergesThem) {
  // Three faces around vertex 0 with groups 1, 2, then 3, which overlaps both.
  Mesh m;
  m.verts = {{0, 0, 0}, {1, 0, 0}, {0, 1, 0}, {-1, 0, 0}, {0, -1, 0}};
  const uint32_t tris[3][3] = {{0, 1, 2}, {0, 2, 3}, {0, 3, 4}};
  const uint32_t groups[3] = {1, 2, 3};
  for (int f = 0; f < 3; ++f) {
    Face face;
    for (int c = 0; c < 3; ++c) face.v[c] = tris[f][c];
    face.smGroup = groups[f];
    m.faces.push_back(face);
  }
  m.buildNormals();
  EXPECT_EQ(m.getRVert(0).rFlags, 1u);
  EXPECT_EQ(m.getRVert(0).rn.smGroup, 3u);
  expectNear(m.getRVert(0).rn.normal, {0, 0, 1});
}

TEST(MeshNormals, BoxCornersHaveOneNormalPerSideAndSpecifiedNormalsStay) {
  Mesh box = makeBox({-1, -2, -3}, {1, 2, 3});
  box.checkNormals(true);
  ASSERT_EQ(box.numFaces(), 12);
  for (int f = 0; f < box.numFaces(); ++f) {
    const Face& face = box.faces[f];
    const Point3 centroid =
        (box.verts[face.v[0]] + box.verts[face.v[1]] + box.verts[face.v[2]]) * (1.0f / 3);
    EXPECT_GT(DotProd(box.getFaceNormal(f), centroid), 0.0f) << "face " << f << " faces inward";
    EXPECT_EQ(face.materialId(), f / 2);
  }
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
  EXPECT_FALSE(quad.normalsBuilt());
  quad.checkNormals(true);
  EXPECT_EQ(quad.getRVert(2).rFlags, RVertex::kSpecifiedNormal | 1);
  expectNear(quad.getRVert(2).rn.normal, {0, 0.6f, 0.8f});
  expectNear(quad.getRVert(0).rn.normal, {0, 0, 1});
  EXPECT_EQ(quad.getRVert(9).rFlags, 0u);
}

TEST(SceneObjects, ConversionOwnershipAndBoundingBoxes) {
  int released = 0;
  {
    SceneObjectPtr direct(new CountedTriObject(released));
    TriObjectHandle handle(direct.get(), 0);
    ASSERT_TRUE(handle);
    EXPECT_FALSE(handle.owned());
    EXPECT_EQ(handle.get(), direct.get());
  }
  EXPECT_EQ(released, 1);  // by its owner only
  {
    SceneObjectPtr source(new ConvertingObject(released));
    TriObjectHandle handle(source.get(), 0);
    ASSERT_TRUE(handle);
    EXPECT_TRUE(handle.owned());
    TriObjectHandle moved = std::move(handle);
    EXPECT_FALSE(handle);
    EXPECT_EQ(released, 1);
  }
  EXPECT_EQ(released, 2);  // the conversion, once

  MemoryScene scene;
  MemoryNode& node = scene.addNode("prim")
                         .setTransform(Matrix3::translation({100, 0, 0}))
                         .setObject(makePrimitiveObject(makeBox({-1, -2, -3}, {1, 2, 3})));
  SceneObject* obj = node.evalWorldState(0).obj;
  ASSERT_NE(obj, nullptr);
  EXPECT_EQ(obj->superClassId(), kGeomObjectClass);
  const Box3 box = obj->objectBoundingBox(0);  // object space: no node transform
  expectNear(box.pmin, {-1, -2, -3});
  expectNear(box.center(), {0, 0, 0});
  TriObjectHandle converted(obj, 0);
  ASSERT_TRUE(converted);
  EXPECT_TRUE(converted.owned());
  EXPECT_EQ(converted.mesh()->numFaces(), 12);

  EXPECT_FALSE(TriObjectHandle(makeShapeObject().get(), 0));
  EXPECT_TRUE(TriObjectHandle(makeShapeObject(makeQuadMesh()).get(), 0));
  EXPECT_FALSE(TriObjectHandle(makeCameraObject().get(), 0));
  EXPECT_FALSE(TriObjectHandle(nullptr, 0));
  EXPECT_TRUE(makeHelperObject()->objectBoundingBox(0).isEmpty());
  EXPECT_EQ(makeLightObject()->superClassId(), kLightClass);
}

TEST(MemorySceneBitmaps, SizeFromTheHeaderAndZeroForMissingImages) {
  const fs::path dir = freshDir("zorvel_bitmaps");
  writeBytes(dir / "red.png", kPng3x2);
  // SGI header: magic, RLE, 1 byte per channel, 3 dimensions, 640 x 480 x 3.
  writeBytes(dir / "tile.rgb", {0x01, 0xDA, 0x01, 0x01, 0x00, 0x03, 0x02, 0x80, 0x01, 0xE0, 0, 3});
  writeBytes(dir / "broken.png", {0x89, 0x50, 0x4E, 0x47});

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
}

TEST(TestHostProgress, RecordsCallsAndCancelsFromTheChosenQuery) {
  MemoryScene scene;
  TestHost host(scene);
  HostInterface& h = host;
  EXPECT_EQ(h.rootNode(), &scene.root());
  h.progressStart("Exporting", true, nullptr, nullptr);
  h.progressUpdate(33);
  h.progressEnd();
  ASSERT_EQ(host.progress().size(), 3u);
  EXPECT_EQ(host.progress()[0].title, "Exporting");
  EXPECT_EQ(host.progressPercents(), std::vector<int>{33});
  EXPECT_EQ(host.progress()[2].kind, TestHost::ProgressEvent::kEnd);

  host.cancelOnQuery(2);
  EXPECT_FALSE(h.getCancel());
  EXPECT_TRUE(h.getCancel());
  EXPECT_TRUE(h.getCancel());
  EXPECT_EQ(host.cancelQueries(), 3);
}
