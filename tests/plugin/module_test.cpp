// zorvel.dle as the host meets it: loaded with dlopen from the bin folder and
// asked through its four entry points, the class descriptor and the exporter;
// and the string table with its one shared buffer.
#include <dlfcn.h>
#include <gtest/gtest.h>

#include <cstdio>
#include <memory>
#include <set>
#include <string>

#include "host/mesh_builders.h"
#include "host/test_host.h"
#include "plugin/class_descriptor.h"
#include "plugin/module_entry.h"
#include "plugin/scene_exporter.h"
#include "plugin/string_table.h"
#include "tests/convert/export_test_support.h"

namespace {

const std::string kModulePath = std::string(ZORVEL_BIN_DIR) + "/zorvel.dle";

class ModuleTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { handle_ = dlopen(kModulePath.c_str(), RTLD_NOW | RTLD_LOCAL); }
  static void TearDownTestSuite() {
    if (handle_) dlclose(handle_);
    handle_ = nullptr;
  }

  void SetUp() override { ASSERT_NE(handle_, nullptr) << dlerror(); }

  template <class Fn>
  static Fn entry(const char* name) {
    void* symbol = dlsym(handle_, name);
    EXPECT_NE(symbol, nullptr) << name;
    return reinterpret_cast<Fn>(symbol);
  }

  static ClassDescriptor* descriptor() { return entry<LibClassDescFn>(kLibClassDescSymbol)(0); }

  // The host owns what create makes and deletes it through the interface.
  static std::unique_ptr<SceneExporter> makeExporter() {
    return std::unique_ptr<SceneExporter>(static_cast<SceneExporter*>(descriptor()->create(false)));
  }

  static void* handle_;
};

void* ModuleTest::handle_ = nullptr;

TEST_F(ModuleTest, EntryPointsDescribeTheLibraryAndOfferOneClass) {
  EXPECT_STREQ(entry<LibDescriptionFn>(kLibDescriptionSymbol)(),
               "OpenFlight (.flt) exporter (QUORIX)");
  EXPECT_EQ(entry<LibNumberClassesFn>(kLibNumberClassesSymbol)(), 1);
  EXPECT_EQ(entry<LibVersionFn>(kLibVersionSymbol)(), 0x0BB80700u);

  auto classDesc = entry<LibClassDescFn>(kLibClassDescSymbol);
  ClassDescriptor* desc = classDesc(0);
  ASSERT_NE(desc, nullptr);
  EXPECT_EQ(classDesc(0), desc) << "one descriptor for the module's lifetime";
  EXPECT_EQ(classDesc(1), nullptr);
  EXPECT_EQ(classDesc(-1), nullptr);

  EXPECT_EQ(desc->isPublic(), 1);
  EXPECT_STREQ(desc->className(), "OpenZorvel");
  EXPECT_STREQ(desc->category(), "Export");
  EXPECT_EQ(desc->superClassId(), 0xA20u);
  EXPECT_EQ(desc->classId(), ClassId(0x51554F52, 0x49580000));
  EXPECT_EQ(desc->beginCreate(nullptr), 0);
  EXPECT_EQ(desc->endCreate(nullptr), 0);
  EXPECT_EQ(desc->okToCreate(nullptr), 1);
  EXPECT_EQ(desc->hasClassParams(), 0);
}

TEST_F(ModuleTest, ExporterAnswersTheFileDialogQueries) {
  std::unique_ptr<SceneExporter> exporter = makeExporter();
  ASSERT_NE(exporter, nullptr);
  EXPECT_EQ(exporter->extensionCount(), 1);
  EXPECT_STREQ(exporter->extension(0), "FLT");
  EXPECT_STREQ(exporter->extension(1), "");
  EXPECT_STREQ(exporter->longDescription(), "OpenFlight 3D Scene Exporter");
  EXPECT_STREQ(exporter->shortDescription(), "OpenFlight");
  EXPECT_STRNE(exporter->authorName(), "");
  EXPECT_STRNE(exporter->copyrightMessage(), "");
  EXPECT_STREQ(exporter->otherMessage1(), "");
  EXPECT_STREQ(exporter->otherMessage2(), "");
  EXPECT_EQ(exporter->version(), 100u);
  EXPECT_EQ(exporter->supportsOptions(0, 0), 0);
  exporter->showAbout(nullptr);

  // The string-table texts share one buffer: the second query overwrites the first.
  const char* first = exporter->longDescription();
  const char* second = exporter->shortDescription();
  EXPECT_EQ(first, second);
  EXPECT_STREQ(first, "OpenFlight");
  EXPECT_EQ(entry<LibDescriptionFn>(kLibDescriptionSymbol)(), second);
}

TEST_F(ModuleTest, ExporterMadeByTheModuleWritesTheHostsScene) {
  ExportWorkDir dir;
  MemoryScene scene;
  scene.addNode("box").setMesh(makeBox({0, 0, 0}, {1, 1, 1}));
  TestHost host(scene);
  TestExportInterface ei;
  std::unique_ptr<SceneExporter> exporter = makeExporter();
  const std::string path = dir.path() + "/box.flt";

  ASSERT_EQ(exporter->doExport(path.c_str(), &ei, &host, true), 1);
  EXPECT_TRUE(ei.errors.empty()) << ei.errors.front();
  FltReadBack back = readBackFlt(path);
  EXPECT_EQ(back.header.formatRevision, 1540);
  EXPECT_EQ(back.count("PUSH"), back.count("POP"));
  EXPECT_GE(back.tokens.size(), 3u);

  // A path that cannot be opened is a failure the host hears of.
  EXPECT_EQ(exporter->doExport((dir.path() + "/missing/x.flt").c_str(), &ei, &host, true), 0);
  EXPECT_FALSE(ei.errors.empty());
}

TEST(ModuleSymbolsTest, OnlyTheFourEntryPointsAreExported) {
  const std::string command = "nm -D --defined-only '" + kModulePath + "' 2>&1";
  FILE* pipe = popen(command.c_str(), "r");
  ASSERT_NE(pipe, nullptr);
  std::set<std::string> names;
  char line[1024];
  while (std::fgets(line, sizeof line, pipe)) {
    std::string text(line);
    while (!text.empty() && text.back() == '\n') text.pop_back();
    names.insert(text.substr(text.rfind(' ') + 1));
  }
  ASSERT_EQ(pclose(pipe), 0) << "nm failed on " << kModulePath;
  EXPECT_EQ(names, (std::set<std::string>{"LibClassDesc", "LibDescription", "LibNumberClasses",
                                          "LibVersion"}));
}

TEST(StringTableTest, LoadsThroughOneBufferAndCutsNothingItHolds) {
  const char* title = getString(kIdsProgressTitle);
  EXPECT_STREQ(title, "Exporting OpenFlight...");
  const char* unknown = getString(4);
  EXPECT_EQ(unknown, title);
  EXPECT_STREQ(unknown, "");
  EXPECT_EQ(stringTableText(4), nullptr);
  EXPECT_STREQ(getString(kIdsLibDescription), "OpenFlight (.flt) exporter (QUORIX)");
  EXPECT_STREQ(stringTableText(kIdsClassName), "OpenZorvel");
}

}  // namespace
