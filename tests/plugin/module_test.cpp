// zorvel.dle as the host meets it: loaded with dlopen from the bin folder and
// asked through its four entry points, the class descriptor and the exporter,
// whose texts come from the string table through one shared buffer; and what it
// and the options window module beside it export and link.
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
#include "window/window_module.h"

namespace {

const std::string kModulePath = std::string(ZORVEL_BIN_DIR) + "/zorvel.dle";
const std::string kWindowModulePath = std::string(ZORVEL_BIN_DIR) + "/" + kWindowModuleFileName;

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

// The last word of each line `command` prints; it must succeed.
std::set<std::string> lastWords(const std::string& command) {
  FILE* pipe = popen((command + " 2>&1").c_str(), "r");
  EXPECT_NE(pipe, nullptr) << command;
  std::set<std::string> words;
  if (!pipe) return words;
  char line[1024];
  while (std::fgets(line, sizeof line, pipe)) {
    std::string text(line);
    while (!text.empty() && (text.back() == '\n' || text.back() == ' ')) text.pop_back();
    words.insert(text.substr(text.rfind(' ') + 1));
  }
  EXPECT_EQ(pclose(pipe), 0) << command << " failed";
  return words;
}

std::set<std::string> exportedNames(const std::string& module) {
  return lastWords("nm -D --defined-only '" + module + "'");
}

// The libraries a module names itself, as "[libX11.so.6]".
std::set<std::string> neededLibraries(const std::string& module) {
  std::set<std::string> needed;
  for (const std::string& word : lastWords("readelf -d '" + module + "' | grep NEEDED"))
    needed.insert(word.substr(1, word.size() - 2));
  return needed;
}

bool anyToolkit(const std::set<std::string>& libraries) {
  for (const std::string& name : libraries)
    if (name.rfind("libfltk", 0) == 0 || name.rfind("libX", 0) == 0 || name.rfind("libxcb", 0) == 0)
      return true;
  return false;
}

TEST(ModuleSymbolsTest, OnlyTheEntryPointsAreExported) {
  EXPECT_EQ(exportedNames(kModulePath), (std::set<std::string>{"LibClassDesc", "LibDescription",
                                                               "LibNumberClasses", "LibVersion"}));
  EXPECT_EQ(exportedNames(kWindowModulePath), std::set<std::string>{kWindowRunOptionsSymbol});
}

// Every export loads zorvel.dle, only the window view the toolkit: were the window
// linked back into the export core, each export would pay for FLTK and X11 again.
TEST(ModuleSymbolsTest, TheToolkitComesWithTheWindowModuleAlone) {
  const std::set<std::string> core = neededLibraries(kModulePath);
  EXPECT_TRUE(core.count("libc.so.6")) << "no libraries read from " << kModulePath;
  EXPECT_FALSE(anyToolkit(core)) << kModulePath << " needs the toolkit";
  EXPECT_TRUE(anyToolkit(neededLibraries(kWindowModulePath)));
}

}  // namespace
