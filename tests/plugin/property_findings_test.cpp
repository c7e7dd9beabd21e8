// The property checks inside whole exports of in-memory scenes: what each kind of
// record leaves without effect, the host's answered defaults left unchecked, and
// the export interface's check-only and refusal seams.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "host/memory_object.h"
#include "host/mesh_builders.h"
#include "plugin/open_zorvel.h"
#include "tests/convert/export_test_support.h"
#include "tests/support/test_host.h"

namespace fs = std::filesystem;

namespace {

class CheckingInterface : public TestExportInterface {
 public:
  bool checkOnly() const override { return checkOnlyMode; }
  bool acceptsFile() const override { return accepts; }
  void propertySummary(const std::string& text) override { summaries.push_back(text); }

  bool checkOnlyMode = false;
  bool accepts = true;
  std::vector<std::string> summaries;
};

class PropertyFindingsTest : public ::testing::Test {
 protected:
  MemoryNode& add(const std::string& name, const std::string& text, MemoryNode* parent = nullptr) {
    MemoryNode& n = parent ? scene_.addNode(name, *parent) : scene_.addNode(name);
    n.setUserText(text);
    return n;
  }
  static Mesh triangle() { return makeTriangleMesh({0, 0, 0}, {1, 0, 0}, {0, 1, 0}); }

  int exportScene() {
    path_ = dir_.path() + "/out.flt";
    return exporter_.doExport(path_.c_str(), &ei_, &host_, true);
  }
  std::vector<std::string> files() const {
    std::vector<std::string> names;
    for (const auto& e : fs::directory_iterator(dir_.path()))
      names.push_back(e.path().filename().string());
    return names;
  }

  ScopedWorkDir dir_;
  MemoryScene scene_;
  TestHost host_{scene_};
  CheckingInterface ei_;
  OpenZorvel exporter_;
  std::string path_;
};

TEST_F(PropertyFindingsTest, EveryRecordKindSaysWhatItLeavesWithoutEffect) {
  add("bare", "FltType = LOD\r\nFltLodMin = 50\r\n").setMesh(triangle());
  MemoryNode& string = add("string", "FltDrawType = 9\r\nFltSuperFace = 1\r\nFltVectorZ = 1\r\n");
  string.setMesh(triangle());
  add("lamp", "FltType = FltLightVtx\r\n", &string).setMesh(triangle());
  add("unlit", "FltType = Light_Point\r\n").setObject(makeHelperObject());
  MemoryNode& sw = add("sw", "FltType = Switch\r\nFltSwitchMaskCount = 2\r\n");
  add("one", "", &sw).setMesh(triangle());
  add("dof", "FltType = DOF\r\nFltHidden = Yes\r\nFltDofTxMax = 5\r\n").setMesh(triangle());
  add("ref", "FltType = External_Ref\r\nFltXRefFilename = a.flt\r\nFltGrpLayer = 1\r\n");
  add("mesh", "FltVectorX = 1\r\nFltLightVtx = Yes\r\n").setMesh(triangle());
  ASSERT_EQ(exportScene(), 1) << (ei_.errors.empty() ? "" : ei_.errors[0]);

  const std::vector<std::string> expected = {
      R"(node "bare": FltType = LOD: the node has no children, so nothing is written for it)",
      R"(node "bare": FltLodMin has no effect: the node has no children)",
      R"(node "string": FltSuperFace has no effect: a light-string face writes no faces)",
      R"(node "unlit": FltType = Light_Point has no effect: a light point needs a light )"
      R"(point property)",
      R"(node "sw": FltSwitchMaskCount has no effect: masks are read only with FltSwitchCurr)",
      R"(node "dof": FltHidden has no effect: the node becomes a DOF record)",
      R"(node "ref": FltGrpLayer has no effect: the node becomes an external reference)",
      R"(node "mesh": FltVectorX has no effect: vectors go with a light point)",
      R"(node "mesh": FltLightVtx has no effect: it is a value of FltType)",
  };
  ASSERT_EQ(ei_.warnings.size(), expected.size()) << ::testing::PrintToString(ei_.warnings);
  for (size_t i = 0; i < expected.size(); ++i)
    EXPECT_EQ(ei_.warnings[i].rfind(expected[i], 0), 0u) << ei_.warnings[i];
  EXPECT_EQ(ei_.summaries, std::vector<std::string>{"9 property warnings on 7 nodes"});
}

// What the host answers for keys the user text lacks is the host's own reading:
// even a value no reader takes is no mistake of the user's.
TEST_F(PropertyFindingsTest, DefaultsTheHostAnswersAreNotChecked) {
  add("m", "FltTerrain = Yes\r\n")
      .setDefault("FltLightMode", "Glossy")
      .setDefault("FltTerrain", "Perhaps")
      .setDefault("FltLodMx", "1")
      .setMesh(triangle());
  add("plain", "").setDefault("FltDrawType", "two").setMesh(triangle());
  ASSERT_EQ(exportScene(), 1);
  EXPECT_TRUE(ei_.warnings.empty()) << ei_.warnings[0];
  EXPECT_TRUE(ei_.summaries.empty());
}

TEST_F(PropertyFindingsTest, ACheckKeepsNoFileAndARefusedExportKeepsTheOldOne) {
  add("m", "FltLodMx = 1\r\n").setMesh(triangle());
  ei_.checkOnlyMode = true;
  EXPECT_EQ(exportScene(), 1);
  EXPECT_TRUE(files().empty());
  EXPECT_EQ(ei_.warnings.size(), 1u);

  ei_.checkOnlyMode = false;
  ei_.accepts = false;
  std::ofstream(dir_.path() + "/out.flt") << "old";
  EXPECT_EQ(exportScene(), 0);
  EXPECT_TRUE(ei_.errors.empty()) << ei_.errors[0];
  EXPECT_EQ(files(), std::vector<std::string>{"out.flt"});
  std::ifstream in(dir_.path() + "/out.flt");
  EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), {}), "old");

  ei_.accepts = true;
  EXPECT_EQ(exportScene(), 1);
  EXPECT_GT(fs::file_size(dir_.path() + "/out.flt"), 3u);
}

}  // namespace
