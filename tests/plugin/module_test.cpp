// zorvel.dle as the host meets it: loaded with dlopen from the bin folder and
// asked through its four entry points, the class descriptor and the exporter,
// whose texts come from the string table through one shared buffer.
#include <dlfcn.h>
#include <gtest/gtest.h>

#include <cstdio>
#include <memory>
#include <set>
#include <string>

#include "plugin/class_descriptor.h"
#include "plugin/module_entry.h"
#include "plugin/scene_exporter.h"
#include "plugin/string_table.h"

namespace {

const std::string kModulePath = std::string(ZORVEL_BIN_DIR) + "/zorvel.dle";

// The module stays loaded until the process ends, as in the host.
class ModuleTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_NE(handle(), nullptr) << dlerror(); }
  static void* handle() {
    static void* const module = dlopen(kModulePath.c_str(), RTLD_NOW | RTLD_LOCAL);
    return module;
  }
  template <class Fn>
  static Fn entry(const char* name) {
    void* symbol = dlsym(handle(), name);
    EXPECT_NE(symbol, nullptr) << name;
    return reinterpret_cast<Fn>(symbol);
  }
};

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
}

TEST_F(ModuleTest, ExporterAnswersTheFileDialogQueriesThroughOneBuffer) {
  // The host owns what create makes and deletes it through the interface.
  std::unique_ptr<SceneExporter> exporter(
      static_cast<SceneExporter*>(entry<LibClassDescFn>(kLibClassDescSymbol)(0)->create(false)));
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

  // The string-table texts share one buffer: the second query overwrites the first.
  const char* first = exporter->longDescription();
  const char* second = exporter->shortDescription();
  EXPECT_EQ(first, second);
  EXPECT_STREQ(first, "OpenFlight");
  EXPECT_EQ(entry<LibDescriptionFn>(kLibDescriptionSymbol)(), second);
  // The string table linked here: an unknown ID gives an empty text in the same buffer.
  const char* title = getString(kIdsProgressTitle);
  EXPECT_STREQ(title, "Exporting OpenFlight...");
  EXPECT_EQ(getString(4), title);
  EXPECT_STREQ(title, "");
  EXPECT_EQ(stringTableText(4), nullptr);
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

}  // namespace
