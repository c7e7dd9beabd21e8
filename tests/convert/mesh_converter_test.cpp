// Mesh conversion: records around polygons and triangles, face colors and
// materials, normals, winding under any transform, texture coordinates, and
// meshes broken in the ways a scene file can break them.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "flt/vertex_list.h"
#include "host/mesh_builders.h"
#include "tests/convert/export_test_support.h"

namespace {

// Two triangles folded along the edge (0,0,0)-(1,0,0), facing +z and +y: they never merge.
Mesh foldMesh(uint32_t sm0, uint32_t sm1) {
  Mesh m;
  m.verts = {{0, 0, 0}, {1, 0, 0}, {0, 1, 0}, {0, 0, 1}};
  m.faces = {Face{{0, 1, 2}, sm0}, Face{{1, 0, 3}, sm1}};
  return m;
}

Point3 point(const FltVertex& v) {
  return {float(v.x), float(v.y), float(v.z)};
}
Point3 normalOf(const FltVertex& v) {
  return {float(v.normalI), float(v.normalJ), float(v.normalK)};
}

FltPackedColor rgb(uint8_t r, uint8_t g, uint8_t b) {
  return FltPackedColor::fromBytes(r, g, b);
}

// One face of a node: its default ID counts per file, its long ID per node.
std::string faceTokens(const std::string& name, int i, int corners, int firstId = 1) {
  return " FACE f" + std::to_string(firstId + i) + " LONG_ID " + name + "_f" + std::to_string(i) +
         " PUSH VERTEX_LIST " + std::to_string(corners) + " POP";
}

}  // namespace

TEST(MeshConverter, ObjectRecordsAroundPolygonsAndTriangles) {
  const Mesh box = makeBox({0, 0, 0}, {1, 1, 1});  // six quads
  std::string sixFaces;
  for (int i = 0; i < 6; ++i) sixFaces += faceTokens("box", i, 4);
  struct Case {
    const char* name;
    Mesh mesh;
    bool autoObject;
    std::string userText;
    std::string expected;
  } cases[] = {
      {"box", makeQuadMesh(), true, "", faceTokens("box", 0, 4).substr(1)},
      {"box", box, true, "", "OBJECT box PUSH" + sixFaces + " POP"},
      // A long name leaves the default ID and follows in full.
      {"building", box, true, "", "OBJECT o1 LONG_ID building PUSH FACE f1 LONG_ID building_f0"},
      // The triangle path writes its object whatever the option.
      {"box", makeTriangleMesh({0, 0, 0}, {1, 0, 0}, {0, 1, 0}), false,
       "note\r\nFltDrawType = 1\r\n",
       "OBJECT o1 LONG_ID box COMMENT note| PUSH FACE f1 LONG_ID box_f0 COMMENT note| PUSH "
       "VERTEX_LIST 3 POP POP"},
  };
  for (const Case& c : cases) {
    ConverterExport ex;
    ex.mesh.setAutoObject(c.autoObject);
    MemoryNode& n = ex.scene.addNode(c.name).setMesh(c.mesh).setUserText(c.userText);
    EXPECT_GT(ex.mesh.convertNode(&n), 0);
    EXPECT_EQ(joinedTokens(ex.finish()).substr(0, c.expected.size()), c.expected) << c.name;
  }
  // Face IDs count per node, and a node without a name has none of its own.
  ConverterExport ex;
  EXPECT_EQ(ex.mesh.convertNode(&ex.scene.addNode("").setMesh(foldMesh(1, 2))), 2);
  EXPECT_EQ(ex.mesh.convertNode(&ex.scene.addNode("b").setMesh(foldMesh(1, 2))), 2);
  EXPECT_EQ(joinedTokens(ex.finish()), "OBJECT o1 PUSH" + faceTokens("", 0, 3) +
                                           faceTokens("", 1, 3) + " POP OBJECT o2 LONG_ID b PUSH" +
                                           faceTokens("b", 0, 3, 3) + faceTokens("b", 1, 3, 3) +
                                           " POP");
}

TEST(MeshConverter, ColorAndMaterialPrecedence) {
  ConverterExport ex;
  MemoryStandardMaterial& red = ex.scene.addStandardMaterial("red").setDiffuse({1, 0, 0});
  MemoryMultiMaterial& multi = ex.scene.addMultiMaterial("multi");
  for (Color c : {Color{1, 0, 0}, Color{0, 1, 0}, Color{0, 0, 1}})
    multi.addSubMaterial(&ex.scene.addStandardMaterial("s").setDiffuse(c));
  const Mesh quad = makeQuadMesh();
  Mesh fold = foldMesh(1, 1);
  fold.faces[0].setMaterialId(4);  // 4 mod 3: the second sub-material
  fold.faces[1].setMaterialId(2);
  auto node = [&](const char* name, const Mesh& mesh) -> MemoryNode& {
    return ex.scene.addNode(name).setMesh(mesh);
  };
  MemoryNode* nodes[] = {
      // Nothing but the wire color, 0x00BBGGRR.
      &node("bare", quad).setWireColor(0x00332211),
      &node("prop", quad).addProperty("FltFaceColor", "00FF0080"),
      // A material's color replaces FltFaceColor.
      &node("both", quad).setMaterial(&red).addProperty("FltFaceColor", "00FF0080"),
      // Without FltUseMaterial and face properties, the wire color wins.
      &node("mat", quad).setMaterial(&red).setWireColor(0x00010203),
      &node("use", quad).setMaterial(&red).addProperty("FltUseMaterial", "true"),
      &node("sub", fold).setMaterial(&multi).addProperty("FltUseMaterial", "yes"),
  };
  for (MemoryNode* n : nodes) EXPECT_GT(ex.mesh.convertNode(n), 0);
  const int32_t expected[] = {ex.colorIndex(rgb(0x11, 0x22, 0x33)), ex.colorIndex(rgb(0, 255, 0)),
                              ex.colorIndex(rgb(255, 0, 0)),        ex.colorIndex(rgb(3, 2, 1)),
                              ex.colorIndex(rgb(255, 0, 0)),        ex.colorIndex(rgb(0, 255, 0)),
                              ex.colorIndex(rgb(0, 0, 255))};
  const int16_t materialIndexes[] = {-1, -1, -1, -1, 0, 1, 2};
  std::vector<FltFace> faces = writtenRecords<FltFace>(ex.finish(), "FACE");
  ASSERT_EQ(faces.size(), 7u);
  for (size_t i = 0; i < faces.size(); ++i) {
    EXPECT_EQ(faces[i].flags & FltFace::kFlagNoColor, 0u) << i;
    EXPECT_EQ(faces[i].primaryColorIndex, expected[i]) << i;
    EXPECT_EQ(faces[i].materialIndex, materialIndexes[i]) << i;
  }
}

TEST(MeshConverter, NormalsFollowSmoothingGroups) {
  ConverterExport ex;
  // Apart: each face its own normal. Together: one averaged normal on the shared
  // edge. Group 0: faceted, no normal, even on the vertices it shares with a smooth face.
  for (auto [a, b] : {std::pair{1, 2}, {1, 1}, {1, 0}})
    EXPECT_EQ(ex.mesh.convertNode(&ex.scene.addNode("n").setMesh(foldMesh(a, b))), 2);
  // At vertex 0 groups 1 and 3 overlap and are merged into one normal whose groups (3)
  // equal neither face's; group 4 keeps a second normal there. Every corner has one.
  Mesh merged;
  merged.verts = {{0, 0, 0}, {1, 0, 0}, {0, 1, 0}, {0, 0, 1}, {-1, -1, 0}};
  merged.faces = {Face{{0, 1, 2}, 1}, Face{{1, 0, 3}, 3}, Face{{0, 3, 4}, 4}};
  EXPECT_EQ(ex.mesh.convertNode(&ex.scene.addNode("n").setMesh(merged)), 3);
  auto corners = writtenCorners(ex.finish());
  ASSERT_EQ(corners.size(), 9u);
  // Corner 0 of each first triangle and corner 1 of each second are vertex (0,0,0).
  EXPECT_EQ(normalOf(corners[0][0]), Point3(0, 0, 1));
  EXPECT_EQ(normalOf(corners[1][1]), Point3(0, 1, 0));
  const Point3 avg = normalOf(corners[2][0]);
  EXPECT_NEAR(avg.y, std::sqrt(0.5f), 1e-6);
  EXPECT_NEAR(avg.z, std::sqrt(0.5f), 1e-6);
  EXPECT_EQ(normalOf(corners[3][1]), avg);
  EXPECT_TRUE(corners[4][0].hasNormal());
  for (const FltVertex& v : corners[5]) EXPECT_FALSE(v.hasNormal());
  for (size_t i = 6; i < 9; ++i)
    for (const FltVertex& v : corners[i]) EXPECT_TRUE(v.hasNormal()) << i;
}

// On both paths, plain, mirrored, rotated and scaled: positions in world space and
// a written winding that agrees with the written normals.
TEST(MeshConverter, WindingAndNormalsAgreeUnderAnyTransform) {
  const Matrix3 transforms[] = {
      Matrix3::translation({10, 20, 30}),
      Matrix3::scaling({-1, 1, 1}),
      Matrix3::rotationX(1.5707963f) * Matrix3::translation({0, 0, 5}),
      Matrix3::scaling({3, 1, -2}) * Matrix3::rotationZ(0.3f),
  };
  for (const Matrix3& m : transforms) {
    for (const Mesh& mesh : {makeBox({0, 0, 0}, {1, 2, 3}), foldMesh(1, 2)}) {
      ConverterExport ex;
      ASSERT_GT(ex.mesh.convertNode(&ex.scene.addNode("n").setMesh(mesh).setTransform(m)), 0);
      const Point3 first = mesh.verts[1] * m;
      bool found = false;
      for (const auto& corners : writtenCorners(ex.finish())) {
        Point3 winding;  // Newell's normal of the written loop
        for (size_t i = 0; i < corners.size(); ++i) {
          Point3 a = point(corners[i]), b = point(corners[(i + 1) % corners.size()]);
          winding +=
              {(a.y - b.y) * (a.z + b.z), (a.z - b.z) * (a.x + b.x), (a.x - b.x) * (a.y + b.y)};
        }
        for (const FltVertex& v : corners) {
          ASSERT_TRUE(v.hasNormal());
          EXPECT_NEAR(normalOf(v).length(), 1.0f, 1e-5);
          EXPECT_GT(DotProd(normalize(winding), normalOf(v)), 0.99f) << mesh.numFaces();
          found = found || point(v) == first;
        }
      }
      EXPECT_TRUE(found);
    }
  }
  // On the triangle path a mirrored node's corners come in the order 2, 1, 0.
  ConverterExport ex;
  EXPECT_GT(ex.mesh.convertNode(&ex.scene.addNode("n")
                                     .setMesh(foldMesh(1, 2))
                                     .setTransform(Matrix3::scaling({-1, 1, 1}))),
            0);
  auto corners = writtenCorners(ex.finish());
  EXPECT_EQ(point(corners[0][0]), Point3(0, 1, 0));
  EXPECT_EQ(point(corners[0][1]), Point3(-1, 0, 0));
  EXPECT_EQ(point(corners[0][2]), Point3(0, 0, 0));
}

TEST(MeshConverter, VertexColorsAndTextureCoordinates) {
  ConverterExport ex;
  MemoryBitmapTexture& map = ex.scene.addBitmapTexture("grid.bmp");
  map.setUvTransform(Matrix3::scaling({2, 2, 1}) * Matrix3::translation({0.5f, 0, 0}));
  MemoryStandardMaterial& mat = ex.scene.addStandardMaterial("m").setDiffuseMap(&map);
  Mesh quad = makeQuadMesh();
  quad.vertCols = {{1, 0, 0}, {0, 1, 0}};  // the first two vertices only
  EXPECT_EQ(ex.mesh.convertNode(&ex.scene.addNode("n").setMesh(quad).setMaterial(&mat)), 1);
  EXPECT_EQ(ex.mesh.convertNode(&ex.scene.addNode("plain").setMesh(makeQuadMesh())), 1);
  FltReadBack r = ex.finish();
  auto corners = writtenCorners(r);
  ASSERT_EQ(corners.size(), 2u);
  EXPECT_EQ(writtenRecords<FltFace>(r, "FACE")[0].texturePattern, 0);
  EXPECT_EQ(writtenRecords<FltFace>(r, "FACE")[1].texturePattern, -1);
  for (const FltVertex& v : corners[0]) {
    // Texture vertex i sits where vertex i does, on the unit square.
    EXPECT_FLOAT_EQ(v.u, float(v.x) * 2 + 0.5f);
    EXPECT_FLOAT_EQ(v.v, float(v.y) * 2);
    if (point(v) == Point3(0, 0, 0)) {
      EXPECT_EQ(v.color, rgb(255, 0, 0));
    } else if (point(v) == Point3(1, 0, 0)) {
      EXPECT_EQ(v.color, rgb(0, 255, 0));
    } else {
      EXPECT_NE(v.flags & FltVertex::kFlagNoColor, 0);
    }
  }
  // A face without a diffuse map takes no stale transform from the one before.
  for (const FltVertex& v : corners[1]) EXPECT_FLOAT_EQ(v.u, float(v.x));
}

TEST(MeshConverter, BrokenMeshesNeverCrashNorCorruptTheFile) {
  ConverterExport ex;
  const float nan = std::numeric_limits<float>::quiet_NaN();
  Mesh bad;
  bad.verts = {
      {nan, 0, 0}, {1, 0, 0}, {0, std::numeric_limits<float>::infinity(), 0}, {0, 0, 1}, {2, 2, 2}};
  bad.faces = {Face{{0, 1, 2}, 1}, Face{{1, 0, 3}, 1}, Face{{4, 4, 4}, 1}, Face{{0, 1, 9}, 1}};
  bad.tVerts = {{0, 0, 0}};
  bad.tvFaces = {TVFace{{5, 0, 0}}};  // too short, and an index out of range
  // The degenerate triangle is kept, the one naming vertex 9 left out with a warning;
  // the NaN and the infinite vertex are counted in one.
  EXPECT_EQ(ex.mesh.convertNode(&ex.scene.addNode("bad").setMesh(bad)), 3);
  ASSERT_EQ(ex.warnings.size(), 2u);
  EXPECT_EQ(ex.warnings[0].rfind("node \"bad\": 2 vertices have coordinates that are no finite", 0),
            0u)
      << ex.warnings[0];
  EXPECT_NE(ex.warnings[1].find("bad"), std::string::npos);
  // Nodes without a usable triangle write nothing at all.
  Mesh onlyBroken;
  onlyBroken.verts = {{0, 0, 0}};
  onlyBroken.faces = {Face{{0, 1, 2}, 1}};
  EXPECT_EQ(ex.mesh.convertNode(&ex.scene.addNode("empty").setMesh(Mesh())), 0);
  EXPECT_EQ(ex.mesh.convertNode(&ex.scene.addNode("broken").setMesh(onlyBroken)), 0);
  EXPECT_EQ(ex.mesh.convertNode(&ex.scene.addNode("helper")), 0);
  EXPECT_EQ(ex.mesh.convertNode(nullptr), 0);
  EXPECT_EQ(ex.warnings.size(), 3u);  // the broken node's, no finiteness one

  FltReadBack r = ex.finish();
  EXPECT_EQ(r.count("OBJECT o1"), 1u);
  EXPECT_EQ(r.count("VERTEX_LIST 3"), 3u);
  auto corners = writtenCorners(r);
  // NaN and infinite positions are written as they are; the NaN vertex of both
  // triangles is one palette entry.
  EXPECT_TRUE(std::isnan(corners[0][0].x));
  EXPECT_TRUE(std::isinf(corners[0][2].y));
  EXPECT_FALSE(corners[0][0].hasTexCoord());
  EXPECT_TRUE(corners[0][1].hasTexCoord());
  auto lists = writtenRecords<FltVertexList>(r, "VERTEX_LIST");
  EXPECT_EQ(lists[0].offsets()[0], lists[1].offsets()[1]);
  EXPECT_EQ(lists[2].offsets()[0], lists[2].offsets()[2]);
}

TEST(MeshConverter, LargeNodesWriteTheSameFileWithTheVertexWorker) {
  // A terrain of flat and sloping cells under a mirroring transform: polygons
  // merge in the flat parts, three sub-materials (one empty) with texture
  // transforms of their own, colours on some vertices; and the same mesh with
  // every triangle twice, which leaves the triangle path to write it.
  const auto write = [](size_t workerCorners) {
    ConverterExport ex;
    ex.mesh.setWorkerCorners(workerCorners);
    MemoryBitmapTexture& a = ex.scene.addBitmapTexture("a.bmp");
    MemoryBitmapTexture& b = ex.scene.addBitmapTexture("b.bmp");
    a.setUvTransform(Matrix3::scaling({2, 2, 1}));
    b.setUvTransform(Matrix3::translation({0.25f, 0.5f, 0}));
    MemoryMultiMaterial& multi = ex.scene.addMultiMaterial("multi");
    multi.addSubMaterial(&ex.scene.addStandardMaterial("a").setDiffuseMap(&a))
        .addSubMaterial(&ex.scene.addStandardMaterial("b").setDiffuseMap(&b))
        .addSubMaterial(nullptr);
    Mesh terrain = makeGridMesh(70, 70, 0.5f);
    for (size_t i = 0; i < terrain.verts.size(); ++i)
      if ((i / 71) % 9 > 3) terrain.verts[i].z = float((i * 7919) % 13) * 0.1f;
    for (size_t i = 0; i < terrain.verts.size(); i += 5) terrain.vertCols.push_back({0.5f, 0, 1});
    terrain.vertCols.resize(terrain.verts.size() / 2);
    for (size_t f = 0; f < terrain.faces.size(); ++f)
      terrain.faces[f].setMaterialId(uint16_t((f / 300) % 4));
    Mesh twice = terrain;
    twice.faces.insert(twice.faces.end(), terrain.faces.begin(), terrain.faces.end());
    twice.tvFaces.insert(twice.tvFaces.end(), terrain.tvFaces.begin(), terrain.tvFaces.end());
    const Matrix3 mirror = Matrix3::scaling({-1, 1, 1}) * Matrix3::translation({3, 0, 0});
    EXPECT_GT(
        ex.mesh.convertNode(
            &ex.scene.addNode("terrain").setMesh(terrain).setMaterial(&multi).setTransform(mirror)),
        1000);
    EXPECT_EQ(ex.mesh.convertNode(&ex.scene.addNode("twice").setMesh(twice).setMaterial(&multi)),
              int(twice.faces.size()));
    return ex.finish();
  };
  const FltReadBack alone = write(SIZE_MAX), shared = write(0);
  ASSERT_GT(alone.count("VERTEX_LIST 4"), 0u);  // some cells merged
  EXPECT_EQ(shared.bytes, alone.bytes);
  ASSERT_EQ(shared.vertices.size(), alone.vertices.size());
  for (const auto& [offset, v] : alone.vertices) {
    const auto found = shared.vertices.find(offset);
    ASSERT_NE(found, shared.vertices.end()) << offset;
    EXPECT_EQ(found->second.compare(v), 0) << offset;
  }
}
