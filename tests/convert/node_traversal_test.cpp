// The node walk: which records each kind of node becomes and in what order, the
// default path, light points, progress and cancel, and the walk going on past
// nodes without faces. Geometry is written by a stand-in that writes one face
// record per host triangle, so that the walk is checked apart from the mesh code.
#include "convert/node_traversal.h"

#include <gtest/gtest.h>

#include <chrono>

#include "convert/light_point_converter.h"
#include "flt/dof.h"
#include "flt/face.h"
#include "flt/group.h"
#include "flt/light_point.h"
#include "flt/lod.h"
#include "flt/output_file.h"
#include "flt/switch.h"
#include "flt/vector.h"
#include "host/memory_object.h"
#include "host/mesh_builders.h"
#include "host/test_host.h"
#include "plugin/tri_object.h"
#include "tests/convert/export_test_support.h"

namespace {

using Tokens = std::vector<std::string>;

Mesh triangle(float x = 0) {
  return makeTriangleMesh({x, 0, 0}, {x + 1, 0, 0}, {x, 1, 0});
}

class NodeTraversalTest : public ::testing::Test {
 protected:
  MemoryNode& add(const std::string& name, const std::string& type = "") {
    MemoryNode& n = scene_.addNode(name);
    if (!type.empty()) n.addProperty("FltType", type);
    return n;
  }
  MemoryNode& add(const std::string& name, MemoryNode& parent, const std::string& type = "") {
    MemoryNode& n = scene_.addNode(name, parent);
    if (!type.empty()) n.addProperty("FltType", type);
    return n;
  }

  // One face record per triangle, standing in for the mesh converter.
  int writeFaces(SceneNode* node) {
    converted_.push_back(node->name() ? node->name() : "");
    TriObjectHandle tri(node->evalWorldState(0).obj, 0);
    const int n = tri ? tri.mesh()->numFaces() : 0;
    for (int i = 0; i < n; ++i) {
      FltFace face;
      file_.write(face);
    }
    return n;
  }

  FltReadBack walk(bool autoGroup = true) {
    const std::string path = dir_.path() + "/walk.flt";
    EXPECT_EQ(file_.open(path, 1540), 1);
    auto sink = [this](const std::string& text) { warnings_.push_back(text); };
    lights_.prepare(file_, 0);
    lights_.setWarningSink(sink);
    walk_.prepare(file_, &host_, 0, lights_, [this](SceneNode* n) { return writeFaces(n); });
    walk_.setAutoGroup(autoGroup);
    walk_.setWarningSink(sink);
    walk_.countScene(&scene_.root());
    walkResult_ = walk_.visitChildren(&scene_.root());
    EXPECT_EQ(file_.close(), 1) << file_.error();
    return readBackFlt(path);
  }

  ExportWorkDir dir_;
  MemoryScene scene_;
  TestHost host_{scene_};
  FltOutputFile file_;
  LightPointConverter lights_;
  NodeTraversal walk_;
  int walkResult_ = -1;
  std::vector<std::string> warnings_;
  std::vector<std::string> converted_;
};

TEST_F(NodeTraversalTest, TypedKindsWriteRecordCommentAndChildrenInOrder) {
  MemoryNode& grp = add("grp", "FLT_GROUP").addProperty("FltGrpRelPriority", "7");
  grp.setUserText(grp.userPropertyText() + "note\r\n");
  add("leaf", grp).setObject(makeHelperObject());
  add("obj", "FLT_OBJECT");  // no children: nothing
  MemoryNode& obj = add("obj2", "FLT_OBJECT");
  add("m", obj).setMesh(triangle());
  add("dof", "FLT_DOF").addProperty("FltDofOriginX", "2");
  add("eightchr", "FLT_BSP");  // a full 8-character name keeps the default ID
  add("sw", "FLT_SWITCH").addProperty("FltSwitchCurr", "1").addProperty("FltSwitchMaskWidth", "1");
  MemoryNode& xref = add("xref", "FLT_EXTERNAL_REF").addProperty("FltXRefFilename", "a.flt");
  add("inner", xref, "FLT_DOF");
  add("clip", "CLIP_REGION");

  const FltReadBack out = walk();
  EXPECT_EQ(out.tokens, (Tokens{"GROUP grp",  "COMMENT note|",
                                "PUSH",       "POP",
                                "GROUP obj2", "COMMENT ",
                                "PUSH",       "FACE f1",
                                "POP",        "DOF dof",
                                "COMMENT ",   "PUSH",
                                "POP",        "BSP b1",
                                "COMMENT ",   "PUSH",
                                "POP",        "SWITCH sw",
                                "COMMENT ",   "PUSH",
                                "POP",        "EXTERNAL_REF a.flt",
                                "COMMENT ",   "CLIP_REGION clip",
                                "COMMENT ",   "PUSH",
                                "POP"}));
  EXPECT_EQ(out.parse<FltGroup>(0).relativePriority, 7);
  EXPECT_EQ(out.parse<FltDof>(out.indexOf("DOF dof")).originX, 2.0);
  EXPECT_EQ(out.parse<FltSwitch>(out.indexOf("SWITCH sw")).currentMask, 1);
  EXPECT_EQ(walkResult_, 1);
}

TEST_F(NodeTraversalTest, LodNameAndBoxCentreComeBeforeItsProperties) {
  MemoryNode& lod = add("lod", "FLT_LOD").addProperty("FltLodCx", "5");
  // Object-space boxes, unioned over the subtree; node transforms play no part.
  MemoryNode& a = add("a", lod).setMesh(makeBox({1, 2, 0}, {3, 4, 1}));
  a.setTransform(Matrix3::translation({50, 0, 0}));
  add("b", a).setMesh(makeBox({0, 0, -5}, {1, 1, 0}));
  MemoryNode& empty = add("empty", "LOD");
  add("h", empty).setObject(makeHelperObject());
  add("bare", "LOD");  // no children: nothing

  const FltReadBack out = walk();
  ASSERT_EQ(out.tokens.front(), "LOD lod");
  const FltLod first = out.parse<FltLod>(0);
  EXPECT_EQ(first.centerX, 5.0);
  EXPECT_EQ(first.centerY, 2.0);
  EXPECT_EQ(first.centerZ, -2.0);
  // Nothing in the subtree has extent: the origin, and lodCenter says so.
  const FltLod second = out.parse<FltLod>(out.indexOf("LOD empty"));
  EXPECT_EQ(second.centerX, 0.0);
  EXPECT_EQ(second.centerY, 0.0);
  EXPECT_EQ(second.centerZ, 0.0);
  double c[3];
  EXPECT_FALSE(lodCenter(&empty, 0, c));
  EXPECT_EQ(out.count("LOD bare"), 0u);
}

TEST_F(NodeTraversalTest, DefaultPathAndGroupHeads) {
  MemoryNode& dummy = add("dummy").setObject(makeHelperObject());
  add("d1", dummy).setMesh(triangle());
  MemoryNode& head = add("head").setObject(makeHelperObject()).setGroupHead();
  for (int i = 0; i < 3; ++i) add("h" + std::to_string(i), head).setMesh(triangle());
  add("cam").setObject(makeCameraObject());
  MemoryNode& light = add("light").setObject(makeLightObject());
  add("lit", light).setObject(makeHelperObject());
  add("hdr", "FLT_HEADER").setMesh(triangle());  // no handler: the default path

  const FltReadBack out = walk();
  EXPECT_EQ(out.tokens, (Tokens{"GROUP g2", "LONG_ID dummy", "PUSH", "FACE f1", "POP", "GROUP head",
                                "PUSH", "FACE f2", "FACE f3", "FACE f4", "POP", "GROUP g3",
                                "LONG_ID light", "PUSH", "POP", "FACE f5"}));
  EXPECT_EQ(converted_, (Tokens{"d1", "h0", "h1", "h2", "hdr"}));
  EXPECT_TRUE(warnings_.empty());
}

TEST_F(NodeTraversalTest, FaceNodesGroupAndSubfaceTheirChildren) {
  MemoryNode& a = add("a").setMesh(triangle());
  add("a1", a).setMesh(triangle(2));
  add("a2", a).setMesh(triangle(4));
  MemoryNode& unnamed = add("").setMesh(triangle());
  add("u1", unnamed).setMesh(triangle());
  MemoryNode& sf = add("sf").setMesh(triangle()).addProperty("FltSuperFace", "1");
  add("sf1", sf).setMesh(triangle());
  MemoryNode& two = add("two").setMesh(makeQuadMesh()).addProperty("FltSuperFace", "1");
  add("two1", two).setMesh(triangle());

  EXPECT_EQ(walk().tokens,
            (Tokens{"GROUP g2", "LONG_ID a_g", "PUSH",     "FACE f1",    "FACE f2",
                    "FACE f3",  "POP",         "GROUP g3", "LONG_ID _g", "PUSH",
                    "FACE f4",  "FACE f5",     "POP",      "FACE f6",    "PUSH_SUBFACE",
                    "FACE f7",  "POP_SUBFACE", "FACE f8",  "FACE f9",    "FACE f10"}));
}

// Regression: a node without faces used to end the walk and drop the rest of the scene.
TEST_F(NodeTraversalTest, NodeWithoutFacesWarnsAndTheWalkGoesOn) {
  MemoryNode& dummy = add("dummy").setObject(makeHelperObject());
  add("wire", dummy).setObject(makeShapeObject());  // cannot become a mesh
  add("after", dummy).setMesh(triangle());
  MemoryNode& hollow = add("hollow").setMesh(Mesh());
  add("kid", hollow).setMesh(triangle());
  add("last").setMesh(triangle());

  const FltReadBack out = walk();
  EXPECT_EQ(out.tokens, (Tokens{"GROUP g2", "LONG_ID dummy", "PUSH", "FACE f1", "POP", "GROUP g3",
                                "LONG_ID hollow_g", "PUSH", "FACE f2", "POP", "FACE f3"}));
  EXPECT_EQ(converted_, (Tokens{"wire", "after", "hollow", "kid", "last"}));
  ASSERT_EQ(warnings_.size(), 2u);
  EXPECT_EQ(warnings_[0], "node \"wire\" gave no faces; nothing was written for its geometry");
  EXPECT_NE(warnings_[1].find("\"hollow\""), std::string::npos);
  EXPECT_EQ(walkResult_, 1);
}

// Regression: each typed ancestor of a failing node used to write its subtree once more,
// doubling the work per level.
TEST_F(NodeTraversalTest, ChainOfTypedGroupsOverAFailingLeafIsWrittenOnce) {
  MemoryNode* parent = &add("n0", "FLT_GROUP");
  for (int i = 1; i < 30; ++i) parent = &add("n" + std::to_string(i), *parent, "FLT_GROUP");
  add("leaf", *parent).setMesh(Mesh());

  const auto start = std::chrono::steady_clock::now();
  const FltReadBack out = walk();
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5));
  for (int i = 0; i < 30; ++i) EXPECT_EQ(out.count("GROUP n" + std::to_string(i)), 1u) << i;
  EXPECT_EQ(out.tokens.size(), 30u * 4);
  EXPECT_EQ(converted_.size(), 1u);
  EXPECT_EQ(warnings_.size(), 1u);
}

TEST_F(NodeTraversalTest, LightPointsAndLightStringsCollectTheirLightVertices) {
  MemoryNode& lp = add("lp", "FLT_LIGHT_POINT")
                       .addProperty("FltLtPtIntensity", "2.5")
                       .addProperty("FltVectorZ", "-1");
  add("v", lp, "FltLightVtx")
      .setMesh(makeBox({-1, -1, -1}, {1, 3, 1}))
      .setTransform(Matrix3::translation({10, 0, 0}));
  add("plain", lp).setMesh(triangle());  // not a light vertex: nothing
  add("nothing", lp, "FltLightVtx").setMesh(Mesh());
  MemoryNode& str = add("str").setMesh(triangle()).addProperty("FltDrawType", "9");
  add("s1", str, "FltLightVtx").setMesh(triangle(0));
  add("s2", str, "FltLightVtx").setMesh(triangle(4));
  // Without a light point property the node falls to the default path.
  MemoryNode& bare = add("bare", "FLT_LIGHT_POINT").setObject(makeHelperObject());
  add("b1", bare).setMesh(triangle());

  const FltReadBack out = walk();
  EXPECT_EQ(out.tokens, (Tokens{"LIGHT_POINT lp1", "VECTOR", "PUSH", "VERTEX_LIST 1", "POP",
                                "FACE f1", "PUSH", "VERTEX_LIST 2", "POP", "GROUP g2",
                                "LONG_ID bare", "COMMENT ", "PUSH", "FACE f2", "POP"}));
  EXPECT_EQ(out.parse<FltLightPoint>(0).intensity, 2.5f);
  const FltVector dir = out.parse<FltVector>(1);
  EXPECT_EQ(dir.i, 0.0);
  EXPECT_EQ(dir.k, -1.0);
  const std::vector<FltVertex> point = out.listVertices(3);
  ASSERT_EQ(point.size(), 1u);
  EXPECT_EQ(point[0].x, 10.0);
  EXPECT_EQ(point[0].y, 1.0);
  EXPECT_EQ(point[0].z, 0.0);
  const std::vector<FltVertex> string = out.listVertices(7);
  ASSERT_EQ(string.size(), 2u);
  EXPECT_EQ(string[1].x, 4.5);
  EXPECT_EQ(out.parse<FltFace>(5).drawType, 9);
  EXPECT_EQ(converted_, (Tokens{"b1"}));
  ASSERT_EQ(warnings_.size(), 1u);
  EXPECT_NE(warnings_[0].find("\"nothing\""), std::string::npos);
}

TEST_F(NodeTraversalTest, CancelEndsTheWalkBalancedWithoutRewritingAncestors) {
  MemoryNode& grp = add("grp", "FLT_GROUP");
  add("a", grp).setMesh(triangle());
  add("b", grp).setMesh(triangle());
  add("c").setMesh(triangle());
  host_.cancelOnQuery(1);
  const FltReadBack out = walk();
  EXPECT_EQ(out.tokens, (Tokens{"GROUP grp", "COMMENT ", "PUSH", "FACE f1", "POP"}));
  EXPECT_TRUE(walk_.cancelled());
  EXPECT_EQ(walkResult_, 0);
  EXPECT_EQ(host_.cancelQueries(), 1);
}

}  // namespace
