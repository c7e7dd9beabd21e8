#include "plugin/open_zorvel.h"

#include <cstdio>
#include <cstring>
#include <exception>
#include <vector>

#include "attributes/apply_attributes.h"
#include "flt/header.h"
#include "flt/opcodes.h"
#include "options/geo_coordinate.h"
#include "plugin/bitmap.h"
#include "plugin/export_interface.h"
#include "plugin/host_interface.h"
#include "plugin/run_options_dialog.h"
#include "plugin/scene_node.h"
#include "plugin/string_table.h"

namespace {

unsigned long noProgressWork(void*) {
  return 0;
}

// The first node named like the header record, root first, children in index order.
// A stack of nodes still to look at rather than recursion: scenes can be very deep.
SceneNode* findHeaderNode(SceneNode* root, const char* headerName) {
  std::vector<SceneNode*> pending{root};
  while (!pending.empty()) {
    SceneNode* node = pending.back();
    pending.pop_back();
    if (!node) continue;
    const char* name = node->name();
    if (name && std::strcmp(name, headerName) == 0) return node;
    // Last child first onto the stack, so the first is looked at next.
    for (int i = node->childCount(); i-- > 0;) pending.push_back(node->child(i));
  }
  return nullptr;
}

std::string degreesText(double value) {
  char text[32];
  std::snprintf(text, sizeof text, "%g", value);
  return text;
}

// The dialog refuses coordinates beyond the poles or the date line; without it
// they reach the header as the node gave them, so the user hears of them.
void warnOutOfRange(const ExportOptions& options, ExportInterface& ei) {
  const std::pair<const char*, double> latitudes[] = {
      {"origin latitude", options.originLatitude},
      {"upper Lambert latitude", options.upperLambertLatitude},
      {"lower Lambert latitude", options.lowerLambertLatitude}};
  for (const auto& [name, value] : latitudes)
    if (!GeoCoordinate::latitudeInRange(value))
      ei.warning(std::string("the FLT_HEADER node's ") + name + " " + degreesText(value) +
                 " lies beyond +/- 90 degrees; written as it is");
  if (!GeoCoordinate::longitudeInRange(options.originLongitude))
    ei.warning("the FLT_HEADER node's origin longitude " + degreesText(options.originLongitude) +
               " lies beyond +/- 180 degrees; written as it is");
}

}  // namespace

int OpenZorvel::doExport(const char* path, ExportInterface* ei, HostInterface* host,
                         bool suppressPrompts, unsigned /*options*/) {
  if (!path || !host) {
    if (ei) ei->error("nothing to export: no output path or no host");
    return 0;
  }
  host_ = host;
  ei_ = ei;
  progressStarted_ = false;
  // The module's own copy of the bitmap manager global, for this export.
  BitmapManagerScope bitmaps(host->bitmapManager());
  int result = 0;
  try {
    result = runExport(path, suppressPrompts);
  } catch (const std::exception& e) {
    file_.discard();
    if (ei_) ei_->error(std::string("cannot export ") + path + ": " + e.what());
    result = 0;
  } catch (...) {
    file_.discard();
    if (ei_) ei_->error(std::string("cannot export ") + path + ": an unexpected failure");
    result = 0;
  }
  if (progressStarted_) host_->progressEnd();
  progressStarted_ = false;
  // The sink may not outlive this call's export interface.
  if (context_) context_->dropWarningSink();
  file_.setWarningSink(nullptr);
  return result;
}

void OpenZorvel::useStandardOptionsDialog() {
  setOptionsDialog([](OpenZorvel& exporter, ExportInterface& ei) {
    return static_cast<int>(runOptionsDialog(exporter.options(), ei));
  });
}

void OpenZorvel::readHeaderNode(SceneNode* root) {
  SceneNode* node = findHeaderNode(root, opcodeName(FltHeader::kOpcode));
  if (!node) return;
  FltHeader scratch;
  optionsToHeader(options_, scratch);
  if (applyAttributes(node, &scratch)) headerToOptions(scratch, options_);
}

int OpenZorvel::runExport(const std::string& path, bool suppressPrompts) {
  SceneNode* root = host_->rootNode();
  readHeaderNode(root);
  const bool checkOnly = ei_ && ei_->checkOnly();

  if (!suppressPrompts && !checkOnly && dialog_ && ei_) {
    int answer = dialog_(*this, *ei_);
    if (answer == 0) return 1;  // cancelled: nothing written, not a failure
    if (answer != 1) return 0;  // the dialog's view has said why
  } else if (ei_) {
    warnOutOfRange(options_, *ei_);
  }

  traversal_.countScene(root);
  if (!file_.open(path, options_.version)) {
    if (ei_) ei_->error(file_.error());
    return 0;
  }
  // Without the dialog the header takes the options as the header node left
  // them, which is what an untouched dialog would have stored but for its raise
  // of old versions: dropping them would lose the scene's location.
  optionsToHeader(options_, file_.header());

  host_->progressStart(getString(kIdsProgressTitle), true, noProgressWork, nullptr);
  progressStarted_ = true;

  context_.emplace(file_, time_, [this](const std::string& text) {
    if (ei_) ei_->warning(text);
  });
  file_.setWarningSink(context_->warningSink());
  // A check copies nothing: the scene's own images are held in memory only.
  textureSource_.setCopyTextures(options_.copyTextures && !checkOnly);
  textureSource_.setKeptFiles(ei_ ? ei_->keptFiles() : std::vector<std::string>());
  textureSource_.prepare(path, *context_);
  materials_.prepare(*context_);
  meshes_.setAutoObject(options_.autoObject);
  meshes_.prepare(*context_, materials_, textureSource_);
  lights_.prepare(*context_);
  checks_.prepare(*context_);
  checks_.setHeaderNode(findHeaderNode(root, opcodeName(FltHeader::kOpcode)));
  lights_.setPropertyCheck(&checks_);
  traversal_.setPropertyCheck(&checks_);
  traversal_.prepare(*context_, host_, lights_,
                     [this](SceneNode* node) { return meshes_.convertNode(node); });
  traversal_.setAutoGroup(options_.autoGroup);

  // The walk's result is its cancel or the file's failure, both asked below.
  static_cast<void>(traversal_.visitChildren(root));
  if (ei_ && checks_.warningCount() > 0) ei_->propertySummary(checks_.summary());

  if (traversal_.cancelled() && ei_ && !ei_->keepsCancelledFile()) {
    file_.discard();
    return 1;
  }
  if (traversal_.cancelled())
    context_->warn("export to " + path + " cancelled after " +
                   std::to_string(traversal_.nodesDone()) + " of " +
                   std::to_string(traversal_.nodeTotal() - 1) +
                   " nodes; the file holds the nodes written until then");
  if (checkOnly) {
    // A record the file refused would fail the export: the check says so too.
    const bool failed = file_.failed();
    const std::string why = file_.error();
    file_.discard();
    if (failed && ei_) ei_->error(why);
    return failed ? 0 : 1;
  }
  if (ei_ && !ei_->acceptsFile()) {
    file_.discard();
    return 0;
  }
  // A failed write or a refused record fails the whole export: close leaves nothing.
  if (!file_.close()) {
    if (ei_) ei_->error(file_.error());
    return 0;
  }
  return 1;
}
