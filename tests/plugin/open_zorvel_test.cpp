// The export driver: whole exports of small in-memory scenes read back record by
// record, the options from the FLT_HEADER node and the dialog seam, progress and
// cancel, and every way an export fails.
#include "plugin/open_zorvel.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <stdexcept>

#include "flt/header.h"
#include "flt/lod.h"
#include "host/memory_object.h"
#include "host/mesh_builders.h"
#include "options/export_options.h"
#include "tests/convert/export_test_support.h"
#include "tests/support/test_host.h"

namespace fs = std::filesystem;

namespace {

using Tokens = std::vector<std::string>;

Mesh triangle(float x = 0) {
  return makeTriangleMesh({x, 0, 0}, {x + 1, 0, 0}, {x, 1, 0});
}

// What the mesh converter writes for a node of one triangle (its triangle path).
Tokens triangleNode(const std::string& name, int n) {
  const std::string id = std::to_string(n);
  return {"OBJECT o" + id, "LONG_ID " + name, "PUSH", "FACE f" + id, "LONG_ID " + name + "_f0",
          "PUSH",          "VERTEX_LIST 3",   "POP",  "POP"};
}

Tokens join(std::initializer_list<Tokens> parts) {
  Tokens all;
  for (const Tokens& p : parts) all.insert(all.end(), p.begin(), p.end());
  return all;
}

class ThrowingHost : public TestHost {
 public:
  using TestHost::TestHost;
  bool getCancel() override { throw std::runtime_error("the host went away"); }
};

class OpenZorvelTest : public ::testing::Test {
 protected:
  int exportTo(const std::string& name, bool suppressPrompts = true, TestHost* host = nullptr) {
    path_ = dir_.path() + "/" + name;
    return exporter_.doExport(path_.c_str(), &ei_, host ? host : &host_, suppressPrompts);
  }
  Tokens filesInDir() const {
    Tokens names;
    for (const auto& entry : fs::directory_iterator(dir_.path()))
      names.push_back(entry.path().filename().string());
    return names;
  }

  ScopedWorkDir dir_;
  MemoryScene scene_;
  TestHost host_{scene_};
  TestExportInterface ei_;
  OpenZorvel exporter_;
  std::string path_;
};

TEST(ExportOptionsTest, DefaultsAreTheHeaderDefaultsAndSurviveTheRoundTrip) {
  ExportOptions options;
  EXPECT_EQ(options.version, 1540);
  EXPECT_EQ(options.upperLambertLatitude, 45.0);
  EXPECT_TRUE(options.autoGroup && options.autoObject && options.copyTextures);
  options.units = 4;
  options.originLongitude = 151.25;
  options.lowerLambertLatitude = -5;
  FltHeader header;
  optionsToHeader(options, header);
  ExportOptions back;
  back.originLongitude = 0;
  headerToOptions(header, back);
  EXPECT_EQ(back.units, 4);
  EXPECT_EQ(back.originLongitude, 151.25);
  EXPECT_EQ(back.lowerLambertLatitude, -5.0);
}

TEST_F(OpenZorvelTest, ExportsASmallSceneRecordByRecord) {
  MemoryNode& lod = scene_.addNode("lod").addProperty("FltType", "FLT_LOD");
  lod.addProperty("FltLodMax", "250");
  scene_.addNode("near", lod).setMesh(triangle());
  MemoryNode& head = scene_.addNode("lights").setObject(makeHelperObject());
  MemoryNode& lp = scene_.addNode("lp", head).addProperty("FltType", "FLT_LIGHT_POINT");
  lp.addProperty("FltLtPtIntensity", "1");
  scene_.addNode("v", lp).addProperty("FltType", "FltLightVtx").setMesh(triangle(3));
  scene_.addNode("empty").setMesh(Mesh());
  scene_.addNode("after").setMesh(triangle(6));

  ASSERT_EQ(exportTo("scene.flt"), 1) << (ei_.errors.empty() ? "" : ei_.errors[0]);
  const FltReadBack out = readBackFlt(path_);
  EXPECT_EQ(out.tokens, join({{"LOD lod", "COMMENT ", "PUSH"},
                              triangleNode("near", 1),
                              {"POP"},
                              {"GROUP g2", "LONG_ID lights", "PUSH", "LIGHT_POINT lp1", "PUSH",
                               "VERTEX_LIST 1", "POP", "POP"},
                              triangleNode("after", 2)}));
  EXPECT_EQ(out.parse<FltLod>(0).switchOutDistance, 250.0);
  const std::vector<FltVertex> corners = out.listVertices(out.indexOf("VERTEX_LIST 3"));
  ASSERT_EQ(corners.size(), 3u);
  EXPECT_EQ(corners[1].x, 1.0);
  EXPECT_EQ(out.header.formatRevision, 1540);
  EXPECT_TRUE(ei_.errors.empty());
  ASSERT_EQ(ei_.warnings.size(), 1u);
  EXPECT_NE(ei_.warnings[0].find("\"empty\""), std::string::npos);
  ASSERT_FALSE(host_.progress().empty());
  EXPECT_EQ(host_.progress().front().kind, TestHost::ProgressEvent::kStart);
  EXPECT_EQ(host_.progress().front().title, "Exporting OpenFlight...");
  EXPECT_EQ(host_.progress().back().kind, TestHost::ProgressEvent::kEnd);
  // 8 nodes with the root, which is never done; the default-path dummy counts itself
  // before its children.
  EXPECT_EQ(host_.progressPercents(), (std::vector<int>{12, 25, 62, 62, 75, 87}));
  EXPECT_EQ(filesInDir(), (Tokens{"scene.flt"}));
}

// The three switches reach the walk, the mesh converter and the texture source, whose
// warnings reach the export interface.
TEST_F(OpenZorvelTest, SwitchesAndTextureWarningsReachTheConverters) {
  MemoryStandardMaterial& material = scene_.addStandardMaterial("m");
  material.diffuseMap = &scene_.addBitmapTexture(dir_.path() + "/missing.png");
  MemoryNode& box = scene_.addNode("box").setMesh(makeBox({0, 0, 0}, {1, 1, 1}));
  box.setMaterial(&material);
  scene_.addNode("kid", box).setMesh(triangle());

  ASSERT_EQ(exportTo("on.flt"), 1);
  FltReadBack out = readBackFlt(path_);
  EXPECT_EQ(Tokens(out.tokens.begin(), out.tokens.begin() + 5),
            (Tokens{"GROUP g2", "LONG_ID box_g", "PUSH", "OBJECT box", "PUSH"}));
  ASSERT_EQ(ei_.warnings.size(), 2u);
  EXPECT_NE(ei_.warnings[0].find("missing.png"), std::string::npos);
  EXPECT_NE(ei_.warnings[1].find("no texture attribute files beside"), std::string::npos);

  exporter_.options().autoGroup = false;
  exporter_.options().autoObject = false;
  ASSERT_EQ(exportTo("off.flt"), 1);
  out = readBackFlt(path_);
  EXPECT_EQ(out.tokens.front(), "FACE f1");
  EXPECT_EQ(out.count("OBJECT box") + out.count("GROUP g2"), 0u);
}

TEST_F(OpenZorvelTest, HeaderNodeSetsTheOptionsAndTheDialogSeesThem) {
  MemoryNode& holder = scene_.addNode("holder").setObject(makeHelperObject());
  scene_.addNode("FLT_HEADER", holder)
      .setObject(makeHelperObject())
      .addProperty("FltVersion", "OpenFlight_15.0")
      .addProperty("FltUnits", "Feet")
      .addProperty("FltProjection", "Lambert_Conic")
      .addProperty("FltOriginLat", "12.5");
  // Prompts suppressed: the header takes the node's values, the old version not raised.
  for (bool suppressed : {true, false}) {  // and with prompts but no dialog installed
    ASSERT_EQ(exportTo("quiet.flt", suppressed), 1);
    FltReadBack out = readBackFlt(path_);
    EXPECT_EQ(out.header.formatRevision, 1500);
    EXPECT_EQ(out.header.vertexUnits, 4);
    EXPECT_EQ(out.header.projection, 3);
    EXPECT_EQ(out.header.originLat, 12.5);
    EXPECT_EQ(out.header.upperLambertLat, 45.0);  // the default: the node leaves it
  }
  EXPECT_EQ(exporter_.options().units, 4);
  EXPECT_TRUE(ei_.warnings.empty());

  // Beyond what the dialog takes: written, but not in silence.
  MemoryScene far;
  far.addNode("FLT_HEADER")
      .setObject(makeHelperObject())
      .addProperty("FltOriginLat", "95")
      .addProperty("FltOriginLon", "-190.5");
  TestHost farHost(far);
  ASSERT_EQ(exportTo("far.flt", true, &farHost), 1);
  EXPECT_EQ(readBackFlt(path_).header.originLat, 95.0);
  EXPECT_EQ(ei_.warnings,
            (Tokens{"the FLT_HEADER node's origin latitude 95 lies beyond +/- 90 degrees; "
                    "written as it is",
                    "the FLT_HEADER node's origin longitude -190.5 lies beyond +/- 180 degrees; "
                    "written as it is"}));
  ei_.warnings.clear();

  int shown = 0;
  exporter_.setOptionsDialog([&](OpenZorvel& z, ExportInterface&) {
    ++shown;
    EXPECT_EQ(z.options().units, 4);
    z.options().ellipsoid = 2;
    return true;
  });
  ASSERT_EQ(exportTo("dialog.flt", false), 1);
  FltReadBack out = readBackFlt(path_);
  EXPECT_EQ(out.header.vertexUnits, 4);
  EXPECT_EQ(out.header.ellipsoid, 2);
  EXPECT_EQ(out.header.originLat, 12.5);
  EXPECT_EQ(shown, 1);
}

TEST_F(OpenZorvelTest, EmptySceneWritesTheFrameAndCancelStopsAfterANode) {
  ASSERT_EQ(exportTo("empty.flt"), 1);
  EXPECT_TRUE(readBackFlt(path_).tokens.empty());
  ASSERT_EQ(host_.progress().size(), 2u);
  EXPECT_EQ(host_.progress()[1].kind, TestHost::ProgressEvent::kEnd);

  for (int i = 0; i < 3; ++i) scene_.addNode("t" + std::to_string(i)).setMesh(triangle(i * 2));
  TestHost cancelling(scene_);
  cancelling.cancelOnQuery(1);
  ASSERT_EQ(exportTo("cancel.flt", true, &cancelling), 1);
  EXPECT_EQ(readBackFlt(path_).tokens, triangleNode("t0", 1));
  EXPECT_EQ(cancelling.progressPercents(), (std::vector<int>{25}));
  ASSERT_EQ(ei_.warnings.size(), 1u);
  EXPECT_NE(ei_.warnings[0].find("cancelled after 1 of 3 nodes"), std::string::npos);
}

// An output folder that does not exist is the zorvel command's test.
TEST_F(OpenZorvelTest, FailuresAreReportedAndLeaveNoFileBehind) {
  scene_.addNode("t").setMesh(triangle());
  // The final rename onto a directory fails: the export fails, and nothing is left behind.
  fs::create_directories(dir_.path() + "/taken.flt/inside");
  EXPECT_EQ(exportTo("taken.flt"), 0);
  ASSERT_EQ(ei_.errors.size(), 1u);
  EXPECT_NE(ei_.errors[0].find(path_), std::string::npos);
  EXPECT_EQ(filesInDir(), (Tokens{"taken.flt"}));
  EXPECT_EQ(host_.progress().back().kind, TestHost::ProgressEvent::kEnd);
  fs::remove_all(path_);

  // An exception discards the new file and keeps the previous one.
  std::ofstream(dir_.path() + "/out.flt") << "previous";
  ThrowingHost throwing(scene_);
  EXPECT_EQ(exportTo("out.flt", true, &throwing), 0);
  ASSERT_EQ(ei_.errors.size(), 2u);
  EXPECT_NE(ei_.errors[1].find("the host went away"), std::string::npos);
  EXPECT_EQ(throwing.progress().back().kind, TestHost::ProgressEvent::kEnd);
  EXPECT_EQ(filesInDir(), (Tokens{"out.flt"}));
  std::ifstream in(path_);
  std::string text;
  in >> text;
  EXPECT_EQ(text, "previous");

  // The exporter is fit for the next export.
  EXPECT_EQ(exportTo("next.flt"), 1);
  EXPECT_EQ(readBackFlt(path_).tokens, triangleNode("t", 1));
  EXPECT_EQ(ei_.errors.size(), 2u);
}

}  // namespace

// A chain 100,000 nodes deep: group, level of detail and helper nodes in turn, a
// face node now and then, each moved one unit up from its parent, the header node
// at the bottom. Built, searched, counted, walked and freed, none of it may run out
// of stack.
TEST_F(OpenZorvelTest, SceneAHundredThousandLevelsDeepExportsAsARecursiveWalkWould) {
  const int kDepth = 100000;
  enum Kind { kGroup, kLod, kHelper, kFace };
  const char* const kTypes[] = {"FLT_GROUP", "FLT_LOD", "", "FLT_FACE"};
  auto kindOf = [](int i) { return i % 50 == 49 ? kFace : Kind(i % 3); };
  auto scene = std::make_unique<MemoryScene>();
  MemoryNode* parent = &scene->root();
  int lastMeshed = -1;
  std::vector<int> lods, faces;
  for (int i = 0; i < kDepth - 1; ++i) {
    MemoryNode& n = scene->addNode("n" + std::to_string(i), *parent);
    n.setTransform(Matrix3::translation({0, 0, 1}));
    const Kind kind = kindOf(i);
    if (kind == kHelper) {
      n.setObject(makeHelperObject());
    } else {
      n.addProperty("FltType", kTypes[kind]).setMesh(triangle(float(i)));
      lastMeshed = i;
    }
    if (kind == kLod) lods.push_back(i);
    if (kind == kFace) faces.push_back(i);
    parent = &n;
  }
  scene->addNode("FLT_HEADER", *parent)
      .setObject(makeHelperObject())
      .addProperty("FltUnits", "Feet");
  TestHost host(*scene);
  ASSERT_EQ(exportTo("deep.flt", true, &host), 1) << (ei_.errors.empty() ? "" : ei_.errors[0]);
  EXPECT_EQ(ei_.warnings, Tokens{});
  const FltReadBack out = readBackFlt(path_);
  EXPECT_EQ(out.header.vertexUnits, 4);  // found at the very bottom

  // Levels balance; each record naming node i stands i levels down, a face node's
  // object one further and its face two, and the nodes come in order.
  int depth = 0, deepest = 0, misplaced = 0, previous = -1;
  bool belowZero = false, inOrder = true;
  std::vector<int> named(kDepth, 0);
  for (const std::string& t : out.tokens) {
    if (t == "PUSH") deepest = std::max(deepest, ++depth);
    if (t == "POP") belowZero = belowZero || --depth < 0;
    std::string name;
    if (t.rfind("GROUP n", 0) == 0 || t.rfind("LOD n", 0) == 0) name = t.substr(t.find(" n") + 2);
    if (t.rfind("LONG_ID n", 0) == 0) name = t.substr(9);
    if (name.empty()) continue;
    size_t digits = 0;
    const int i = std::stoi(name, &digits);
    const std::string suffix = name.substr(digits);
    misplaced += depth != i + (suffix == "_f0" ? 2 : suffix.empty() && kindOf(i) == kFace ? 1 : 0);
    inOrder = inOrder && i >= previous;
    previous = i;
    ++named[i];
  }
  EXPECT_FALSE(belowZero);
  EXPECT_EQ(depth, 0);
  EXPECT_EQ(deepest, kDepth - 1);  // every node but the leaf opens a level
  EXPECT_EQ(misplaced, 0);
  EXPECT_TRUE(inOrder);
  int miscounted = 0;
  for (int i = 0; i < kDepth - 1; ++i) miscounted += named[i] != (kindOf(i) == kFace ? 3 : 1);
  EXPECT_EQ(miscounted, 0);

  // Each level of detail is centred on the object boxes of all below it.
  const std::vector<FltLod> lodRecords = writtenRecords<FltLod>(out, "LOD");
  ASSERT_EQ(lodRecords.size(), lods.size());
  for (size_t k = 0; k < lods.size(); ++k) {
    const int i = lods[k];
    ASSERT_EQ(lodRecords[k].centerX, (i + lastMeshed + 1) / 2.0) << "node " << i;
    ASSERT_EQ(lodRecords[k].centerY, 0.5) << "node " << i;
  }
  // A face is as high as its node is deep.
  const std::vector<std::vector<FltVertex>> corners = writtenCorners(out);
  ASSERT_EQ(corners.size(), faces.size());
  for (size_t k = 0; k < faces.size(); ++k)
    for (const FltVertex& v : corners[k]) ASSERT_EQ(v.z, faces[k] + 1.0) << "node " << faces[k];

  scene.reset();
}
