#include "convert/light_point_converter.h"

#include <algorithm>
#include <string>

#include "attributes/apply_attributes.h"
#include "attributes/face_colors.h"
#include "attributes/node_kind.h"
#include "attributes/outside_key.h"
#include "attributes/vector_property.h"
#include "convert/box_union.h"
#include "convert/export_context.h"
#include "convert/property_check.h"
#include "flt/face.h"
#include "flt/light_point.h"
#include "flt/output_file.h"
#include "flt/vector.h"
#include "flt/vertex.h"
#include "plugin/scene_node.h"
#include "plugin/tri_object.h"

namespace {

bool isLightDrawType(uint8_t drawType) {
  return drawType == 8 || drawType == 9 || drawType == 10;
}

bool isOfKind(SceneNode* node, int wanted) {
  int kind = 0;
  return readNodeKind(node, true, &kind) && kind == wanted;
}

}  // namespace

void LightPointConverter::prepare(const ExportContext& context) {
  context_ = &context;
  time_ = context.time();
  file_ = &context.file();
  colors_ = &file_->colors();
}

int LightPointConverter::writeLightPoint(SceneNode* node) {
  if (!node || !file_) return 0;
  FltLightPoint record;
  if (!isOfKind(node, FltLightPoint::kOpcode)) return 0;
  if (!applyAttributes(node, &record)) return 0;
  if (node->childCount() < 1) return 0;
  if (check_) check_->nodeWritten(*node, NodeWrite::kLightPoint);
  writeLights(node, record);
  return 1;
}

int LightPointConverter::writeLightString(SceneNode* node) {
  if (!node || !file_ || !colors_) return 0;
  FltFace record;
  if (!isOfKind(node, FltFace::kOpcode)) return 0;
  if (!readFaceColors(*node, record, *colors_)) return 0;
  if (!isLightDrawType(record.drawType)) return 0;
  if (node->childCount() < 1) return 0;
  if (check_) check_->nodeWritten(*node, NodeWrite::kLightString);
  writeLights(node, record);
  return 1;
}

// Unchecked writes, as in the node walk: the file's failure is sticky, so a failed
// one refuses the rest and fails the export at close.
void LightPointConverter::writeLights(SceneNode* node, FltRecordBase& record) {
  static_cast<void>(file_->write(record));
  FltVector vector;
  double direction[3] = {vector.i, vector.j, vector.k};
  if (readNodeVector(*node, direction)) {
    vector.i = direction[0];
    vector.j = direction[1];
    vector.k = direction[2];
    static_cast<void>(file_->write(vector));
  }
  static_cast<void>(file_->writePushLevel());
  for (int i = 0; i < node->childCount(); ++i) addLightVertex(node, node->child(i));
  // The pop flushes the collected vertices as one vertex list.
  static_cast<void>(file_->writePopLevel());
}

void LightPointConverter::addLightVertex(SceneNode* parent, SceneNode* child) {
  if (!child) return;
  std::string type;
  if (!child->userPropertyString("FltType", type) || type != kLightVertexType) {
    if (check_) check_->lightChildLeftOut(*child);
    return;
  }
  if (check_) check_->nodeWritten(*child, NodeWrite::kLightVertex);
  const Matrix3 toWorld = child->objectToWorld(time_);
  TriObjectHandle tri(child->evalWorldState(time_).obj, time_);
  if (!tri) return;
  // The centre of the world-space box around the mesh; NaN coordinates never widen it.
  BoxUnion box;
  for (const Point3& p : tri.mesh()->verts) box.add(p * toWorld);
  if (box.empty()) {
    // A box with no point has no centre; writing one would place a light nowhere.
    context_->warn("light vertex " + nodeName(child) + " of " + nodeName(parent) +
                   " has no usable vertex; it is left out");
    return;
  }
  FltVertex vertex;
  vertex.x = box.center(0);
  vertex.y = box.center(1);
  vertex.z = box.center(2);
  static_cast<void>(file_->addVertex(vertex));  // a full palette fails the file
}

const OutsideKey kLightVertexKey = {
    LightPointConverter::kLightVertexType,
    "Light Points",
    OutsideKeyValue::kMarker,
    "FltType = FltLightVtx, exactly so, on a child of a light point or light-string face",
    "one vertex of the light string: the centre of the child's world box",
    "the child is left out of the light string and never written"};
