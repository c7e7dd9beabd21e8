#pragma once
// The exporter the host creates once: it keeps the export options between exports
// and runs one whole export per call of its export entry.

#include <functional>
#include <optional>
#include <string>

#include "convert/export_context.h"
#include "convert/light_point_converter.h"
#include "convert/material_converter.h"
#include "convert/mesh_converter.h"
#include "convert/node_traversal.h"
#include "convert/property_check.h"
#include "convert/texture_source.h"
#include "flt/output_file.h"
#include "options/export_options.h"
#include "plugin/host_types.h"
#include "plugin/scene_exporter.h"

class ExportInterface;
class HostInterface;
class SceneNode;

class OpenZorvel : public SceneExporter {
 public:
  // Shows the options dialog over the exporter's options: 1 (true) when the user
  // pressed OK (the options then hold the choices), 0 (false) on Cancel, 2 when the
  // dialog could not be answered (DialogResult's values; the export is bad usage).
  using OptionsDialog = std::function<int(OpenZorvel& exporter, ExportInterface& ei)>;

  OpenZorvel() = default;
  OpenZorvel(const OpenZorvel&) = delete;
  OpenZorvel& operator=(const OpenZorvel&) = delete;

  // The export entry. 1 when the file was written, cancelled by the user, or the
  // dialog was cancelled (then nothing is written); 0 on failure, after telling
  // the export interface why. `options` is not used.
  [[nodiscard]] int doExport(const char* path, ExportInterface* ei, HostInterface* host,
                             bool suppressPrompts, unsigned options = 0) override;

  // What the host's export file dialog shows (open_zorvel_queries.cpp).
  int extensionCount() override;
  const char* extension(int n) override;
  const char* longDescription() override;
  const char* shortDescription() override;
  const char* authorName() override;
  const char* copyrightMessage() override;
  const char* otherMessage1() override;
  const char* otherMessage2() override;
  unsigned version() override;
  void showAbout(void* window) override;
  int supportsOptions(int extension, unsigned options) override;
  bool propertyReference(const std::string& kind, bool markdown, std::string& text) override;

  // Until a dialog is installed, exports run as with prompts suppressed.
  void setOptionsDialog(OptionsDialog dialog) { dialog_ = std::move(dialog); }
  // Installs the options dialog of options/, in the view the export interface names.
  void useStandardOptionsDialog();

  ExportOptions& options() { return options_; }
  const ExportOptions& options() const { return options_; }
  // Of the last export: nodes in the scene (root included) and nodes finished.
  int nodeTotal() const { return traversal_.nodeTotal(); }
  int nodesDone() const { return traversal_.nodesDone(); }
  bool cancelled() const { return traversal_.cancelled(); }

 private:
  [[nodiscard]] int runExport(const std::string& path, bool suppressPrompts);
  void readHeaderNode(SceneNode* root);

  HostInterface* host_ = nullptr;
  ExportInterface* ei_ = nullptr;
  FltOutputFile file_;
  // Lives for one export; every converter reports through it.
  std::optional<ExportContext> context_;
  TextureSource textureSource_;
  MaterialConverter materials_;
  MeshConverter meshes_;
  LightPointConverter lights_;
  NodeTraversal traversal_;
  PropertyCheck checks_;
  TimeValue time_ = 0;
  ExportOptions options_;
  OptionsDialog dialog_;
  bool progressStarted_ = false;
};
