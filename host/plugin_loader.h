#pragma once
// Loads a plug-in module as the modelling host does: dlopen, the library version
// word, then the scene-exporter class that takes a file extension.
//
//   PluginModule module;
//   if (!module.load(pluginDirectory() + "/zorvel.dle")) fail(module.error());
//   SceneExporter* exporter = module.findExporter("flt");

#include <memory>
#include <string>
#include <vector>

#include "host/loaded_module.h"
#include "plugin/module_entry.h"
#include "plugin/scene_exporter.h"

class PluginModule {
 public:
  PluginModule() = default;
  // Deletes the exporters it made, then unloads the module that holds their code.
  ~PluginModule();
  PluginModule(const PluginModule&) = delete;
  PluginModule& operator=(const PluginModule&) = delete;

  // False, with error() "cannot load PATH: why", when the file is no module of
  // this host: dlopen fails, an entry point is missing, or its version word differs.
  [[nodiscard]] bool load(const std::string& path);
  bool loaded() const { return module_.isOpen(); }

  // A new exporter, owned by the module, whose class lists `extension` (without
  // the dot, any case); null, with error() "no exporter for .EXT files", when none does.
  SceneExporter* findExporter(const std::string& extension);

  // The module's own description (LibDescription).
  std::string description() const;
  const std::string& path() const { return path_; }
  const std::string& error() const { return error_; }

 private:
  void unload();

  LoadedModule module_;
  std::string path_;
  std::string error_;
  LibDescriptionFn libDescription_ = nullptr;
  LibNumberClassesFn libNumberClasses_ = nullptr;
  LibClassDescFn libClassDesc_ = nullptr;
  std::vector<std::unique_ptr<SceneExporter>> exporters_;
};

// Where the module is looked for: $ZORVEL_PLUGIN_DIR when set, else the folder of
// the running program (/proc/self/exe), where the build puts them side by side.
std::string pluginDirectory();

// The extension of a file name without its dot ("flt" for "a/b.flt"); empty when none.
std::string fileExtension(const std::string& path);
