// The node walk: which records each kind of node becomes and in what order, the
// default path, light points, cancel, and the walk going on past nodes without
// faces. Geometry is written by a stand-in that writes one face record per host
// triangle, so that the walk is checked apart from the mesh code.
#include "convert/node_traversal.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <random>

#include "convert/light_point_converter.h"
#include "flt/lod.h"
#include "host/memory_object.h"
#include "host/mesh_builders.h"
#include "plugin/tri_object.h"
#include "tests/convert/export_test_support.h"
#include "tests/support/test_host.h"

namespace {

using Tokens = std::vector<std::string>;

Mesh triangle(float x = 0) {
  return makeTriangleMesh({x, 0, 0}, {x + 1, 0, 0}, {x, 1, 0});
}

class NodeTraversalTest : public ::testing::Test {
 protected:
  MemoryNode& add(const std::string& name, const std::string& type = "",
                  MemoryNode* parent = nullptr) {
    MemoryNode& n = parent ? ex_.scene.addNode(name, *parent) : ex_.scene.addNode(name);
    if (!type.empty()) n.addProperty("FltType", type);
    return n;
  }
  MemoryNode& add(const std::string& name, MemoryNode& parent, const std::string& type = "") {
    return add(name, type, &parent);
  }

  FltReadBack walk() {
    lights_.prepare(ex_.context);
    // One face record per triangle, standing in for the mesh converter.
    walk_.prepare(ex_.context, &host_, lights_, [this](SceneNode* node) {
      converted_.push_back(node->name() ? node->name() : "");
      TriObjectHandle tri(node->evalWorldState(0).obj, 0);
      const int n = tri ? tri.mesh()->numFaces() : 0;
      for (int i = 0; i < n; ++i) {
        FltFace face;  // each its own default ID
        EXPECT_TRUE(ex_.file.write(face));
      }
      return n;
    });
    walk_.countScene(&ex_.scene.root());
    walkResult_ = walk_.visitChildren(&ex_.scene.root());
    return ex_.finish();
  }

  ConverterExport ex_;
  TestHost host_{ex_.scene};
  LightPointConverter lights_;
  NodeTraversal walk_;
  int walkResult_ = -1;
  std::vector<std::string> converted_;
};

TEST_F(NodeTraversalTest, TypedKindsWriteRecordCommentAndChildrenInOrder) {
  MemoryNode& grp = add("grp", "FLT_GROUP").addProperty("FltGrpRelPriority", "7");
  grp.setUserText(grp.userPropertyText() + "note\r\n");
  add("leaf", grp).setObject(makeHelperObject());
  add("obj", "FLT_OBJECT");  // no children: nothing
  add("m", add("obj2", "FLT_OBJECT")).setMesh(triangle());
  add("dof", "FLT_DOF").addProperty("FltDofOriginX", "2");
  add("eightchr", "FLT_BSP");  // a full 8-character name keeps the default ID
  add("sw", "FLT_SWITCH").addProperty("FltSwitchCurr", "1").addProperty("FltSwitchMaskWidth", "1");
  add("inner", add("xref", "FLT_EXTERNAL_REF").addProperty("FltXRefFilename", "a.flt"), "FLT_DOF");
  add("clip", "CLIP_REGION");

  const FltReadBack out = walk();
  EXPECT_EQ(
      joinedTokens(out),
      "GROUP grp COMMENT note| PUSH POP GROUP obj2 COMMENT PUSH FACE f1 POP DOF dof COMMENT "
      "PUSH POP BSP b1 COMMENT PUSH POP SWITCH sw COMMENT PUSH POP EXTERNAL_REF a.flt COMMENT "
      "CLIP_REGION clip COMMENT PUSH POP");
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
  EXPECT_EQ(std::vector<double>({first.centerX, first.centerY, first.centerZ}),
            std::vector<double>({5, 2, -2}));
  // Nothing in the subtree has extent: the origin, and lodCenter says so.
  const FltLod second = out.parse<FltLod>(out.indexOf("LOD empty"));
  EXPECT_EQ(std::vector<double>({second.centerX, second.centerY, second.centerZ}),
            std::vector<double>({0, 0, 0}));
  double c[3];
  EXPECT_FALSE(lodCenter(&empty, 0, c));
  EXPECT_EQ(out.count("LOD bare"), 0u);
}

TEST_F(NodeTraversalTest, DefaultPathGroupHeadsAndFaceNodes) {
  add("d1", add("dummy").setObject(makeHelperObject())).setMesh(triangle());
  MemoryNode& head = add("head").setObject(makeHelperObject()).setGroupHead();
  for (int i = 0; i < 3; ++i) add("h" + std::to_string(i), head).setMesh(triangle());
  add("cam").setObject(makeCameraObject());
  add("lit", add("light").setObject(makeLightObject())).setObject(makeHelperObject());
  add("hdr", "FLT_HEADER").setMesh(triangle());  // no handler: the default path
  // Face nodes group their children, or subface them as a super face of one face.
  MemoryNode& a = add("a").setMesh(triangle());
  add("a1", a).setMesh(triangle(2));
  add("a2", a).setMesh(triangle(4));
  add("u1", add("").setMesh(triangle())).setMesh(triangle());
  add("sf1", add("sf").setMesh(triangle()).addProperty("FltSuperFace", "1")).setMesh(triangle());
  MemoryNode& two = add("two").setMesh(makeQuadMesh()).addProperty("FltSuperFace", "1");
  add("two1", two).setMesh(triangle());

  EXPECT_EQ(joinedTokens(walk()),
            "GROUP g2 LONG_ID dummy PUSH FACE f1 POP GROUP head PUSH FACE f2 FACE f3 FACE f4 POP "
            "GROUP g3 LONG_ID light PUSH POP FACE f5 GROUP g4 LONG_ID a_g PUSH FACE f6 FACE f7 "
            "FACE f8 POP GROUP g5 LONG_ID _g PUSH FACE f9 FACE f10 POP FACE f11 PUSH_SUBFACE "
            "FACE f12 POP_SUBFACE FACE f13 FACE f14 FACE f15");
  EXPECT_EQ(converted_, (Tokens{"d1", "h0", "h1", "h2", "hdr", "a", "a1", "a2", "", "u1", "sf",
                                "sf1", "two", "two1"}));
  EXPECT_TRUE(ex_.warnings.empty());
}

// Regression: a node without faces used to end the walk and drop the rest of the scene.
TEST_F(NodeTraversalTest, NodeWithoutFacesWarnsAndTheWalkGoesOn) {
  MemoryNode& dummy = add("dummy").setObject(makeHelperObject());
  add("wire", dummy).setObject(makeShapeObject());  // cannot become a mesh
  add("after", dummy).setMesh(triangle());
  add("kid", add("hollow").setMesh(Mesh())).setMesh(triangle());
  add("last").setMesh(triangle());

  EXPECT_EQ(joinedTokens(walk()),
            "GROUP g2 LONG_ID dummy PUSH FACE f1 POP GROUP g3 LONG_ID hollow_g PUSH FACE f2 POP "
            "FACE f3");
  EXPECT_EQ(converted_, (Tokens{"wire", "after", "hollow", "kid", "last"}));
  ASSERT_EQ(ex_.warnings.size(), 2u);
  EXPECT_EQ(ex_.warnings[0], "node \"wire\" gave no faces; nothing was written for its geometry");
  EXPECT_NE(ex_.warnings[1].find("\"hollow\""), std::string::npos);
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
  EXPECT_EQ(ex_.warnings.size(), 1u);
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
  add("b1", add("bare", "FLT_LIGHT_POINT").setObject(makeHelperObject())).setMesh(triangle());

  // Records only: the example scene export checks what they hold.
  EXPECT_EQ(joinedTokens(walk()),
            "LIGHT_POINT lp1 VECTOR PUSH VERTEX_LIST 1 POP FACE f1 PUSH VERTEX_LIST 2 POP GROUP g2 "
            "LONG_ID bare COMMENT PUSH FACE f2 POP");
  EXPECT_EQ(converted_, (Tokens{"b1"}));
  ASSERT_EQ(ex_.warnings.size(), 1u);
  EXPECT_NE(ex_.warnings[0].find("\"nothing\""), std::string::npos);
}

TEST_F(NodeTraversalTest, CancelEndsTheWalkBalancedWithoutRewritingAncestors) {
  MemoryNode& grp = add("grp", "FLT_GROUP");
  add("a", grp).setMesh(triangle());
  add("b", grp).setMesh(triangle());
  add("c").setMesh(triangle());
  host_.cancelOnQuery(1);
  EXPECT_EQ(joinedTokens(walk()), "GROUP grp COMMENT PUSH FACE f1 POP");
  EXPECT_TRUE(walk_.cancelled());
  EXPECT_EQ(walkResult_, 0);
  EXPECT_EQ(host_.cancelQueries(), 1);
}

// A random scene of every kind, some deep and some wide, in digests of what the walk
// gave: records, bytes, geometry calls, warnings and progress. The digests are those
// of the recursive walk this one replaced; cancels at different points check that
// the levels open at a stop close the same way.
struct RandomSceneCase {
  unsigned seed;
  int nodes;
  int cancelOn;
  unsigned chain;  // one node in `chain` takes a random parent, the rest the newest
  const char* digest;
};

class RandomSceneTest : public NodeTraversalTest,
                        public ::testing::WithParamInterface<RandomSceneCase> {
 protected:
  void build(unsigned seed, int count, unsigned chain) {
    std::mt19937 rng(seed);
    static const char* const kKinds[] = {
        "",           "",        "FLT_GROUP", "FLT_OBJECT",      "FLT_LOD",     "FLT_SWITCH",
        "FLT_DOF",    "FLT_BSP", "FLT_FACE",  "FLT_LIGHT_POINT", "CLIP_REGION", "FLT_EXTERNAL_REF",
        "FltLightVtx"};
    std::vector<MemoryNode*> nodes;
    for (int i = 0; i < count; ++i) {
      MemoryNode* parent = nullptr;
      if (!nodes.empty() && rng() % 8 != 0)
        parent = rng() % chain ? nodes.back() : nodes[rng() % nodes.size()];
      const std::string name = rng() % 10 == 0 ? "" : "n" + std::to_string(i);
      MemoryNode& n = add(name, kKinds[rng() % std::size(kKinds)], parent);
      switch (rng() % 6) {
        case 0:
          n.setObject(makeHelperObject());
          break;
        case 1:
          n.setMesh(Mesh());
          break;
        case 2:
          n.setMesh(makeQuadMesh());
          break;
        case 3:
          n.setMesh(makeBox({0, 0, 0}, {float(i % 7), 1, float(i % 3)}));
          break;
        default:
          n.setMesh(triangle(float(i % 5)));
          break;
      }
      if (rng() % 5 == 0) n.addProperty("FltSuperFace", "1");
      if (rng() % 9 == 0) n.addProperty("FltDrawType", "9");
      if (rng() % 7 == 0) n.addProperty("FltLtPtIntensity", "2");
      if (rng() % 6 == 0) n.addProperty("FltGrpRelPriority", std::to_string(i % 50));
      if (rng() % 4 == 0)
        n.setUserText(n.userPropertyText() + "note " + std::to_string(i) + "\r\n");
      nodes.push_back(&n);
    }
  }

  std::string digest(const FltReadBack& out) const {
    uint64_t h = 1469598103934665603ull;
    auto mix = [&h](const std::string& text) {
      for (unsigned char c : text + '\n') h = (h ^ c) * 1099511628211ull;
    };
    for (const std::vector<uint8_t>& b : out.bytes) mix(std::string(b.begin(), b.end()));
    for (const std::string& c : converted_) mix(c);
    for (const std::string& w : ex_.warnings) mix(w);
    for (int p : host_.progressPercents()) mix(std::to_string(p));
    mix(std::to_string(walkResult_) + " " + std::to_string(walk_.nodesDone()) + " " +
        std::to_string(walk_.nodeTotal()) + " " + std::to_string(host_.cancelQueries()));
    char text[17];
    std::snprintf(text, sizeof text, "%016llx", static_cast<unsigned long long>(h));
    return text;
  }
};

TEST_P(RandomSceneTest, WalkGivesWhatTheRecursiveWalkGave) {
  const RandomSceneCase& c = GetParam();
  build(c.seed, c.nodes, c.chain);
  host_.cancelOnQuery(c.cancelOn);
  const FltReadBack out = walk();
  EXPECT_GT(out.tokens.size(), 100u);
  EXPECT_EQ(digest(out), c.digest) << out.tokens.size() << " records";
}

INSTANTIATE_TEST_SUITE_P(Scenes, RandomSceneTest,
                         ::testing::Values(RandomSceneCase{1, 3000, 0, 5, "ca1d3d967daf1efb"},
                                           RandomSceneCase{2, 2000, 0, 5, "7d653975edcc143b"},
                                           RandomSceneCase{3, 2000, 40, 5, "0fcf21a10f8ec69b"},
                                           RandomSceneCase{4, 2000, 700, 5, "9e8e07ca4d50f8e1"},
                                           RandomSceneCase{5, 3000, 0, 60, "f266a66d61ae8a0f"}),
                         // Named by seed: the default name prints the digest's address,
                         // which differs from run to run.
                         [](const ::testing::TestParamInfo<RandomSceneCase>& info) {
                           return "Seed" + std::to_string(info.param.seed);
                         });

}  // namespace
