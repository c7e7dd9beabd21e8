#include "convert/node_traversal.h"

#include <cstring>

#include "attributes/apply_attributes.h"
#include "attributes/node_kind.h"
#include "attributes/switch_masks.h"
#include "convert/box_union.h"
#include "convert/export_context.h"
#include "convert/light_point_converter.h"
#include "convert/node_comment.h"
#include "convert/property_check.h"
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

// Folds every node's value into its parent's, children in index order, without
// recursion. A node whose value `memo` already holds is not walked again.
template <typename Value, typename Own, typename Add>
Value foldSubtree(SceneNode* root, std::unordered_map<const SceneNode*, Value>& memo, Own own,
                  Add add) {
  struct Pending {
    SceneNode* node;
    int next;
    Value value;
  };
  if (auto found = memo.find(root); found != memo.end()) return found->second;
  std::vector<Pending> stack;
  stack.push_back({root, 0, own(root)});
  while (true) {
    Pending& top = stack.back();
    if (top.next < top.node->childCount()) {
      SceneNode* child = top.node->child(top.next++);
      if (!child) continue;
      if (auto found = memo.find(child); found != memo.end()) {
        add(top.value, found->second);
        continue;
      }
      stack.push_back({child, 0, own(child)});
      continue;
    }
    Pending done = std::move(stack.back());
    stack.pop_back();
    memo.emplace(done.node, done.value);
    if (stack.empty()) return done.value;
    add(stack.back().value, done.value);
  }
}

// The union takes the last of equal extremes, so adding a child's whole union
// gives what adding its boxes one by one would.
BoxUnion subtreeBoxes(SceneNode* node, TimeValue t,
                      std::unordered_map<const SceneNode*, BoxUnion>& memo) {
  if (!node) return {};
  return foldSubtree(
      node, memo,
      [t](SceneNode* n) {
        BoxUnion own;
        if (SceneObject* object = n->evalWorldState(t).obj) own.add(object->objectBoundingBox(t));
        return own;
      },
      [](BoxUnion& into, const BoxUnion& child) { into.add(child); });
}

bool centerOf(const BoxUnion& boxes, double center[3]) {
  // Without any box the record's own default centre, the origin, stands.
  for (int a = 0; a < 3; ++a) center[a] = boxes.center(a);
  return !boxes.empty();
}

}  // namespace

bool lodCenter(SceneNode* node, TimeValue t, double center[3]) {
  std::unordered_map<const SceneNode*, BoxUnion> memo;
  return centerOf(subtreeBoxes(node, t, memo), center);
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
  boxes_.clear();
}

void NodeTraversal::countScene(SceneNode* root) {
  counts_.clear();
  boxes_.clear();
  nodesDone_ = 0;
  nodeTotal_ = subtreeCount(root);
}

int NodeTraversal::subtreeCount(SceneNode* node) {
  if (!node) return 0;
  return foldSubtree(
      node, counts_, [](SceneNode*) { return 1; }, [](int& into, int child) { into += child; });
}

bool NodeTraversal::subtreeCenter(SceneNode* node, double center[3]) {
  return centerOf(subtreeBoxes(node, time_, boxes_), center);
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
  Frames frames;
  int result = 0;
  if (beginVisit(node, frames, result)) return result;
  return run(frames);
}

int NodeTraversal::visitChildren(SceneNode* node) {
  if (!node) return 1;
  Frames frames;
  frames.push_back({node, Frame::Stage::kChildrenOnly});
  return run(frames);
}

int NodeTraversal::run(Frames& frames) {
  while (true) {
    Frame& top = frames.back();
    if (top.result && top.next < top.node->childCount()) {
      SceneNode* child = top.node->child(top.next++);
      int visited = 0;
      // When the child left a frame, its result comes once that frame closes.
      if (beginVisit(child, frames, visited)) frames.back().result = visited;
      continue;
    }
    const Frame done = frames.back();
    frames.pop_back();
    const int handled = closeFrame(done);
    if (done.stage == Frame::Stage::kChildrenOnly) return handled;
    int visited = 0;
    if (!afterHandler(done, handled, frames, visited)) continue;  // the default path's frame
    if (frames.empty()) return visited;
    frames.back().result = visited;
  }
}

bool NodeTraversal::beginVisit(SceneNode* node, Frames& frames, int& result) {
  result = node ? 0 : 1;
  if (!node || stopped()) return true;
  const int before = nodesDone_;
  int handled = 0;
  if (!beginTypedNode(node, before, frames, handled)) return false;
  return afterHandler({node, Frame::Stage::kTyped, before}, handled, frames, result);
}

bool NodeTraversal::afterHandler(const Frame& done, int handled, Frames& frames, int& result) {
  // A typed handler that wrote nothing leaves the node to the default path.
  if (!handled && done.stage == Frame::Stage::kTyped &&
      !beginDefaultNode(done.node, done.before, frames, handled))
    return false;
  result = handled ? finishVisit(done.node, done.before) : 0;
  return true;
}

int NodeTraversal::finishVisit(SceneNode* node, int before) {
  if (stopped()) return 0;
  nodesDone_ = before + subtreeCount(node);
  reportProgress();
  if (host_ && host_->getCancel()) {
    cancelled_ = true;
    return 0;
  }
  return 1;
}

int NodeTraversal::closeFrame(const Frame& frame) {
  if (frame.stage == Frame::Stage::kChildrenOnly) return frame.result;
  if (frame.popSubface) relyOnStickyFailure(file_->writePopSubface());
  if (frame.popLevel) relyOnStickyFailure(file_->writePopLevel());
  // A face node's children do not decide its result; only a stop does.
  if (frame.faceNode) return stopped() ? 0 : 1;
  return frame.result && !stopped() ? 1 : 0;
}

bool NodeTraversal::beginTypedNode(SceneNode* node, int before, Frames& frames, int& result) {
  result = 0;
  int kind = 0;
  if (stopped() || !readNodeKind(node, true, &kind)) return true;
  switch (kind) {
    case FltGroup::kOpcode:
    case FltObject::kOpcode: {
      result = 1;
      if (node->childCount() == 0) {
        written(node, NodeWrite::kNothing);
        return true;
      }
      written(node, NodeWrite::kGroup);
      FltGroup record;
      keepDefaultsWhenAbsent(applyAttributes(node, &record));
      setIdFromName(record, node);
      beginWithChildren(node, before, record, frames);
      return false;
    }
    case FltFace::kOpcode:
      return beginFaceNode(node, before, frames, result);
    case FltDof::kOpcode: {
      written(node, NodeWrite::kDof);
      FltDof record;
      keepDefaultsWhenAbsent(applyAttributes(node, &record));
      setIdFromName(record, node);
      beginWithChildren(node, before, record, frames);
      return false;
    }
    case FltBsp::kOpcode: {
      written(node, NodeWrite::kBsp);
      FltBsp record;
      keepDefaultsWhenAbsent(applyAttributes(node, &record));
      setIdFromName(record, node);
      beginWithChildren(node, before, record, frames);
      return false;
    }
    case FltClipRegion::kOpcode: {
      written(node, NodeWrite::kClipRegion);
      FltClipRegion record;
      keepDefaultsWhenAbsent(applyAttributes(node, &record));
      setIdFromName(record, node);
      beginWithChildren(node, before, record, frames);
      return false;
    }
    case FltExternalRef::kOpcode: {
      written(node, NodeWrite::kExternalRef);
      FltExternalRef record;
      keepDefaultsWhenAbsent(applyAttributes(node, &record));
      relyOnStickyFailure(file_->write(record));
      writeComment(node);
      result = stopped() ? 0 : 1;
      return true;
    }
    case FltLod::kOpcode: {
      result = 1;
      if (node->childCount() == 0) {
        written(node, NodeWrite::kNothing);
        return true;
      }
      written(node, NodeWrite::kLod);
      FltLod record;
      // Name and centre first, so that the node's properties can override both.
      setIdFromName(record, node);
      double center[3];
      keepDefaultsWhenAbsent(subtreeCenter(node, center));
      record.centerX = center[0];
      record.centerY = center[1];
      record.centerZ = center[2];
      keepDefaultsWhenAbsent(applyAttributes(node, &record));
      beginWithChildren(node, before, record, frames);
      return false;
    }
    case FltSwitch::kOpcode: {
      written(node, NodeWrite::kSwitch);
      FltSwitch record;
      keepDefaultsWhenAbsent(readSwitchMasks(*node, record));
      setIdFromName(record, node);
      beginWithChildren(node, before, record, frames);
      return false;
    }
    case FltLightPoint::kOpcode:
      result = lights_ ? lights_->writeLightPoint(node) : 0;
      return true;
    default:
      return true;
  }
}

void NodeTraversal::beginWithChildren(SceneNode* node, int before, FltRecordBase& record,
                                      Frames& frames) {
  relyOnStickyFailure(file_->write(record));
  writeComment(node);
  relyOnStickyFailure(file_->writePushLevel());
  Frame frame{node, Frame::Stage::kTyped, before};
  frame.popLevel = true;
  frames.push_back(frame);
}

bool NodeTraversal::beginFaceNode(SceneNode* node, int before, Frames& frames, int& result) {
  if (lights_ && lights_->writeLightString(node)) {
    result = stopped() ? 0 : 1;
    return true;
  }
  written(node, NodeWrite::kFaces);
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
  if (!hasChildren) {
    // A node without faces has been reported; its children still stand.
    result = stopped() ? 0 : 1;
    return true;
  }
  Frame frame{node, Frame::Stage::kTyped, before};
  frame.faceNode = true;
  frame.popLevel = grouped;
  if (faces == 1 && superFace != 0) {
    relyOnStickyFailure(file_->writePushSubface());
    frame.popSubface = true;
  }
  frames.push_back(frame);
  return false;
}

bool NodeTraversal::beginDefaultNode(SceneNode* node, int before, Frames& frames, int& result) {
  result = 0;
  if (stopped()) return true;
  ++nodesDone_;
  const bool pushed = node->childCount() > 0;
  if (pushed) {
    FltGroup group;
    relyOnStickyFailure(file_->write(group));
    relyOnStickyFailure(file_->writeLongId(node->name()));
    writeComment(node);
    relyOnStickyFailure(file_->writePushLevel());
  }
  bool faces = false;
  if (SceneObject* object = node->evalWorldState(time_).obj) {
    const SuperClassId super = object->superClassId();
    faces = super != kCameraClass && super != kLightClass && super != kHelperClass;
  }
  written(node, NodeWrite::kPlain, faces);
  // A node without faces has been reported; the count is not needed here.
  if (faces) static_cast<void>(writeGeometry(node));
  // Children are visited even when the node's own geometry gave no face.
  if (node->childCount() == 0) {
    result = stopped() ? 0 : 1;
    return true;
  }
  Frame frame{node, Frame::Stage::kDefault, before};
  frame.popLevel = pushed;
  frames.push_back(frame);
  return false;
}

int NodeTraversal::writeGeometry(SceneNode* node) {
  if (stopped()) return 0;
  const int faces = geometry_ ? geometry_(node) : 0;
  if (faces == 0 && !stopped())
    context_->warn(nodeName(node) + " gave no faces; nothing was written for its geometry");
  return faces;
}

void NodeTraversal::written(SceneNode* node, NodeWrite what, bool faces) {
  if (check_) check_->nodeWritten(*node, what, faces);
}

void NodeTraversal::writeComment(SceneNode* node) {
  relyOnStickyFailure(writeNodeComment(*node, *file_));
}
