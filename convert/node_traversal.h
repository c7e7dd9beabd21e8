#pragma once
// The walk over the host's node tree: depth first, children in index order, each
// node dispatched on its record kind to a handler, or to the default path that
// writes a group around children and faces for geometry. The walk keeps its open
// levels in a stack of its own, so a tree of any depth fits the thread's stack.
//
// Only a cancel or a failed write ends the walk early. A node whose geometry gives
// no face is reported as a warning and the walk goes on; the default path runs
// only after a handler that wrote nothing, so no node is ever written twice.

#include <functional>
#include <string>
#include <unordered_map>
#include <vector>

#include "convert/box_union.h"
#include "plugin/host_types.h"

class ExportContext;
class FltRecordBase;
class FltOutputFile;
class HostInterface;
class LightPointConverter;
class PropertyCheck;
enum class NodeWrite;
class SceneNode;

// The centre of the union of the object-space boxes of the node's object and of every
// descendant's (no node transform applied). False, and (0, 0, 0), when no node of the
// subtree has an object with extent.
[[nodiscard]] bool lodCenter(SceneNode* node, TimeValue t, double center[3]);

class NodeTraversal {
 public:
  // Writes the node's geometry as faces; answers the number of faces written.
  using GeometryWriter = std::function<int(SceneNode* node)>;

  // `host` may be null: then there is no progress and no cancel.
  void prepare(const ExportContext& context, HostInterface* host, LightPointConverter& lights,
               GeometryWriter geometry);
  void setAutoGroup(bool on) { autoGroup_ = on; }
  // Told what each node became, for the property checks; may be null.
  void setPropertyCheck(PropertyCheck* check) { check_ = check; }

  // Counts the scene for the progress (root included) and restarts nodes done at 0.
  void countScene(SceneNode* root);
  int nodeTotal() const { return nodeTotal_; }
  int nodesDone() const { return nodesDone_; }
  // 1 for the node plus the counts of its children; 0 for null.
  int subtreeCount(SceneNode* node);

  // Each returns 1 on success and 0 once the walk has stopped.
  [[nodiscard]] int visitNode(SceneNode* node);
  [[nodiscard]] int visitChildren(SceneNode* node);

  bool cancelled() const { return cancelled_; }
  // After a cancel or a failed write nothing new is written; open levels still close.
  bool stopped() const;

 private:
  // A node whose children are being visited, and what closes it once they are.
  struct Frame {
    enum class Stage { kChildrenOnly, kTyped, kDefault };
    SceneNode* node;
    Stage stage;
    int before = 0;  // nodes done when the node's visit began
    int next = 0;    // the child to visit next
    int result = 1;  // 0 once a child's visit has stopped the walk
    bool faceNode = false;
    bool popSubface = false;
    bool popLevel = false;
  };
  using Frames = std::vector<Frame>;

  // Each begin* does a step's writes before the children. True when the step is
  // over, its result in `result`; false when it left a frame for its children.
  bool beginVisit(SceneNode* node, Frames& frames, int& result);
  bool beginTypedNode(SceneNode* node, int before, Frames& frames, int& result);
  bool beginDefaultNode(SceneNode* node, int before, Frames& frames, int& result);
  bool beginFaceNode(SceneNode* node, int before, Frames& frames, int& result);
  // The record filled by the handler, its comment, and a frame one level down.
  void beginWithChildren(SceneNode* node, int before, FltRecordBase& record, Frames& frames);
  bool afterHandler(const Frame& done, int handled, Frames& frames, int& result);
  // Visits children until the last frame is closed: the result of the step that
  // pushed the first.
  int run(Frames& frames);
  int closeFrame(const Frame& frame);
  int finishVisit(SceneNode* node, int before);
  // As lodCenter, reusing the boxes of subtrees already folded.
  bool subtreeCenter(SceneNode* node, double center[3]);
  [[nodiscard]] int writeGeometry(SceneNode* node);
  void writeComment(SceneNode* node);
  void written(SceneNode* node, NodeWrite what, bool faces = false);
  void reportProgress();

  FltOutputFile* file_ = nullptr;
  HostInterface* host_ = nullptr;
  TimeValue time_ = 0;
  LightPointConverter* lights_ = nullptr;
  PropertyCheck* check_ = nullptr;
  GeometryWriter geometry_;
  const ExportContext* context_ = nullptr;
  bool autoGroup_ = true;
  bool cancelled_ = false;
  int nodeTotal_ = 0;
  int nodesDone_ = 0;
  std::unordered_map<const SceneNode*, int> counts_;
  // Subtree boxes, kept so that nested levels of detail are not walked again.
  std::unordered_map<const SceneNode*, BoxUnion> boxes_;
};
