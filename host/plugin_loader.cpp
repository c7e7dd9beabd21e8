#include "host/plugin_loader.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <system_error>

#include "plugin/class_descriptor.h"

namespace fs = std::filesystem;

namespace {

bool sameExtension(const char* a, const std::string& b) {
  size_t i = 0;
  for (; a[i] && i < b.size(); ++i) {
    auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c; };
    if (lower(a[i]) != lower(b[i])) return false;
  }
  return !a[i] && i == b.size();
}

std::string hexWord(uint32_t word) {
  char text[16];
  std::snprintf(text, sizeof text, "0x%08X", static_cast<unsigned>(word));
  return text;
}

}  // namespace

PluginModule::~PluginModule() {
  unload();
}

void PluginModule::unload() {
  exporters_.clear();
  module_.close();
  libDescription_ = nullptr;
  libNumberClasses_ = nullptr;
  libClassDesc_ = nullptr;
}

bool PluginModule::load(const std::string& path) {
  unload();
  path_ = path;
  error_.clear();
  if (!module_.open(path, error_)) return false;
  auto entry = [&](const char* name) {
    return module_.entry(name, error_, " (not a plug-in module)");
  };
  libDescription_ = reinterpret_cast<LibDescriptionFn>(entry(kLibDescriptionSymbol));
  libNumberClasses_ = reinterpret_cast<LibNumberClassesFn>(entry(kLibNumberClassesSymbol));
  libClassDesc_ = reinterpret_cast<LibClassDescFn>(entry(kLibClassDescSymbol));
  auto libVersion = reinterpret_cast<LibVersionFn>(entry(kLibVersionSymbol));
  if (error_.empty() && libVersion() != kHostSdkVersion)
    error_ = "cannot load " + path + ": it was built for host version " + hexWord(libVersion()) +
             ", this host is " + hexWord(kHostSdkVersion);
  if (!error_.empty()) {
    const std::string why = error_;
    unload();
    error_ = why;
    return false;
  }
  return true;
}

SceneExporter* PluginModule::findExporter(const std::string& extension) {
  error_.clear();
  if (!module_.isOpen()) {
    error_ = "no plug-in module loaded";
    return nullptr;
  }
  const int classes = libNumberClasses_();
  for (int i = 0; i < classes; ++i) {
    ClassDescriptor* desc = libClassDesc_(i);
    if (!desc || !desc->isPublic() || desc->superClassId() != kSceneExportClass) continue;
    std::unique_ptr<SceneExporter> exporter(static_cast<SceneExporter*>(desc->create(false)));
    if (!exporter) continue;
    for (int n = 0; n < exporter->extensionCount(); ++n) {
      if (sameExtension(exporter->extension(n), extension)) {
        exporters_.push_back(std::move(exporter));
        return exporters_.back().get();
      }
    }
  }
  error_ = extension.empty() ? "no exporter for files without an extension"
                             : "no exporter for ." + extension + " files";
  return nullptr;
}

std::string PluginModule::description() const {
  const char* text = libDescription_ ? libDescription_() : nullptr;
  return text ? text : "";
}

std::string pluginDirectory() {
  if (const char* dir = std::getenv("ZORVEL_PLUGIN_DIR"); dir && *dir) return dir;
  std::error_code ec;
  const fs::path exe = fs::read_symlink("/proc/self/exe", ec);
  if (ec) return ".";
  return exe.parent_path().string();
}

std::string fileExtension(const std::string& path) {
  const std::string ext = fs::path(path).extension().string();
  return ext.empty() ? ext : ext.substr(1);
}
