#include "convert/node_traversal.h"

#include <cstring>

#include "attributes/apply_attributes.h"
#include "attributes/node_kind.h"
#include "attributes/switch_masks.h"
#include "convert/box_union.h"
#include "convert/export_context.h"
#include "convert/light_point_converter.h"
#include "convert/node_comment.h"
#include "flt/bsp.h"
#include "flt/clip_region.h"
#include "flt/dof.h"
#include "flt/external_ref.h"
#include "flt/face.h"
#include "flt/group.h"
#include "flt/light_point.h"
#include "flt/lod.h"
#include "flt/object.h"
#include "flt/output_file.h"
#include "flt/switch.h"
#include "plugin/host_interface.h"
#include "plugin/scene_node.h"

namespace {

// The walk does not check its writes one by one: the file's failure is sticky, so
// after one failed write every later one is refused, stopped() turns true and
// close() reports the first reason. The levels it opened it still closes.
void relyOnStickyFailure(int /*written*/) {}

// A node without the properties keeps the record's defaults.
void keepDefaultsWhenAbsent(int /*applied*/) {}

// A name shorter than the 8-character ID field becomes the record's ID.
void setIdFromName(FltIdRecord& record, const SceneNode* node) {
  const char* name = node->name();
  if (name && std::strlen(name) < FltIdRecord::kIdLength) record.setId(name);
}

void addSubtreeBoxes(SceneNode* node, TimeValue t, BoxUnion& boxes) {
  if (!node) return;
  if (SceneObject* object = node->evalWorldState(t).obj) boxes.add(object->objectBoundingBox(t));
  for (int i = 0; i < node->childCount(); ++i) addSubtreeBoxes(node->child(i), t, boxes);
}

}  // namespace

bool lodCenter(SceneNode* node, TimeValue t, double center[3]) {
  BoxUnion boxes;
  addSubtreeBoxes(node, t, boxes);
  // Without any box the record's own default centre, the origin, stands.
  for (int a = 0; a < 3; ++a) center[a] = boxes.center(a);
  return !boxes.empty();
}

void NodeTraversal::prepare(const ExportContext& context, HostInterface* host,
                            LightPointConverter& lights, GeometryWriter geometry) {
  context_ = &context;
  file_ = &context.file();
  host_ = host;
  time_ = context.time();
  lights_ = &lights;
  geometry_ = std::move(geometry);
  cancelled_ = false;
}

void NodeTraversal::countScene(SceneNode* root) {
  counts_.clear();
  nodesDone_ = 0;
  nodeTotal_ = subtreeCount(root);
}

int NodeTraversal::subtreeCount(SceneNode* node) {
  if (!node) return 0;
  auto found = counts_.find(node);
  if (found != counts_.end()) return found->second;
  int count = 1;
  for (int i = 0; i < node->childCount(); ++i) count += subtreeCount(node->child(i));
  counts_.emplace(node, count);
  return count;
}

bool NodeTraversal::stopped() const {
  return cancelled_ || !file_ || file_->failed();
}

void NodeTraversal::reportProgress() {
  if (!host_ || nodeTotal_ <= 0) return;
  int percent = static_cast<int>(nodesDone_ * 100.0 / nodeTotal_);
  if (percent < 0) percent = 0;
  if (percent > 100) percent = 100;
  host_->progressUpdate(percent, true, nullptr);
}

int NodeTraversal::visitNode(SceneNode* node) {
  if (!node) return 1;
  if (stopped()) return 0;
  const int before = nodesDone_;
  if (!writeTypedNode(node) && !writeDefaultNode(node)) return 0;
  if (stopped()) return 0;
  nodesDone_ = before + subtreeCount(node);
  reportProgress();
  if (host_ && host_->getCancel()) {
    cancelled_ = true;
    return 0;
  }
  return 1;
}

int NodeTraversal::visitChildren(SceneNode* node) {
  if (!node) return 1;
  for (int i = 0; i < node->childCount(); ++i)
    if (!visitNode(node->child(i))) return 0;
  return 1;
}

int NodeTraversal::writeTypedNode(SceneNode* node) {
  int kind = 0;
  if (!node || stopped() || !readNodeKind(node, true, &kind)) return 0;
  switch (kind) {
    case FltGroup::kOpcode:
    case FltObject::kOpcode:
      return writeGroupNode(node);
    case FltFace::kOpcode:
      return writeFaceNode(node);
    case FltDof::kOpcode: {
      FltDof record;
      keepDefaultsWhenAbsent(applyAttributes(node, &record));
      setIdFromName(record, node);
      return writeWithChildren(node, record);
    }
    case FltBsp::kOpcode: {
      FltBsp record;
      keepDefaultsWhenAbsent(applyAttributes(node, &record));
      setIdFromName(record, node);
      return writeWithChildren(node, record);
    }
    case FltClipRegion::kOpcode: {
      FltClipRegion record;
      keepDefaultsWhenAbsent(applyAttributes(node, &record));
      setIdFromName(record, node);
      return writeWithChildren(node, record);
    }
    case FltExternalRef::kOpcode:
      return writeExternalRefNode(node);
    case FltLod::kOpcode:
      return writeLodNode(node);
    case FltSwitch::kOpcode:
      return writeSwitchNode(node);
    case FltLightPoint::kOpcode:
      return lights_ ? lights_->writeLightPoint(node) : 0;
    default:
      return 0;
  }
}

int NodeTraversal::writeGroupNode(SceneNode* node) {
  if (node->childCount() == 0) return 1;
  FltGroup record;
  keepDefaultsWhenAbsent(applyAttributes(node, &record));
  setIdFromName(record, node);
  return writeWithChildren(node, record);
}

int NodeTraversal::writeLodNode(SceneNode* node) {
  if (node->childCount() == 0) return 1;
  FltLod record;
  // Name and centre first, so that the node's properties can override both.
  setIdFromName(record, node);
  double center[3];
  keepDefaultsWhenAbsent(lodCenter(node, time_, center));
  record.centerX = center[0];
  record.centerY = center[1];
  record.centerZ = center[2];
  keepDefaultsWhenAbsent(applyAttributes(node, &record));
  return writeWithChildren(node, record);
}

int NodeTraversal::writeSwitchNode(SceneNode* node) {
  FltSwitch record;
  keepDefaultsWhenAbsent(readSwitchMasks(*node, record));
  setIdFromName(record, node);
  return writeWithChildren(node, record);
}

int NodeTraversal::writeExternalRefNode(SceneNode* node) {
  FltExternalRef record;
  keepDefaultsWhenAbsent(applyAttributes(node, &record));
  relyOnStickyFailure(file_->write(record));
  writeComment(node);
  return stopped() ? 0 : 1;
}

int NodeTraversal::writeWithChildren(SceneNode* node, FltRecordBase& record) {
  relyOnStickyFailure(file_->write(record));
  writeComment(node);
  relyOnStickyFailure(file_->writePushLevel());
  int result = visitChildren(node);
  relyOnStickyFailure(file_->writePopLevel());
  return result && !stopped() ? 1 : 0;
}

int NodeTraversal::writeFaceNode(SceneNode* node) {
  if (lights_ && lights_->writeLightString(node)) return stopped() ? 0 : 1;
  int superFace = 0;
  node->userPropertyInt("FltSuperFace", superFace);
  const bool hasChildren = node->childCount() > 0;
  const bool grouped = autoGroup_ && hasChildren && superFace == 0;
  if (grouped) {
    FltGroup group;
    relyOnStickyFailure(file_->write(group));
    const char* name = node->name();
    relyOnStickyFailure(file_->writeLongId((std::string(name ? name : "") + "_g").c_str()));
    relyOnStickyFailure(file_->writePushLevel());
  }
  const int faces = writeGeometry(node);
  if (hasChildren) {
    if (faces == 1 && superFace != 0) {
      relyOnStickyFailure(file_->writePushSubface());
      static_cast<void>(visitChildren(node));  // stopped() below says
      relyOnStickyFailure(file_->writePopSubface());
    } else {
      static_cast<void>(visitChildren(node));  // stopped() below says
    }
  }
  if (grouped) relyOnStickyFailure(file_->writePopLevel());
  // A node without faces has been reported; its children still stand.
  return stopped() ? 0 : 1;
}

int NodeTraversal::writeDefaultNode(SceneNode* node) {
  if (!node) return 1;
  if (stopped()) return 0;
  ++nodesDone_;
  const bool pushed = node->childCount() > 0;
  if (pushed) {
    FltGroup group;
    relyOnStickyFailure(file_->write(group));
    relyOnStickyFailure(file_->writeLongId(node->name()));
    writeComment(node);
    relyOnStickyFailure(file_->writePushLevel());
  }
  if (SceneObject* object = node->evalWorldState(time_).obj) {
    const SuperClassId super = object->superClassId();
    // A node without faces has been reported; the count is not needed here.
    if (super != kCameraClass && super != kLightClass && super != kHelperClass)
      static_cast<void>(writeGeometry(node));
  }
  // Children are visited even when the node's own geometry gave no face.
  int result = visitChildren(node);
  if (pushed) relyOnStickyFailure(file_->writePopLevel());
  return result && !stopped() ? 1 : 0;
}

int NodeTraversal::writeGeometry(SceneNode* node) {
  if (stopped()) return 0;
  const int faces = geometry_ ? geometry_(node) : 0;
  if (faces == 0 && !stopped())
    context_->warn(nodeName(node) + " gave no faces; nothing was written for its geometry");
  return faces;
}

void NodeTraversal::writeComment(SceneNode* node) {
  relyOnStickyFailure(writeNodeComment(*node, *file_));
}
