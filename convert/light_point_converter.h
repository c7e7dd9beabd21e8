#pragma once
// Light points and light strings: the record, its direction, and one vertex list
// holding a vertex for each child marked as a light vertex. The children are never
// walked as nodes.

#include "plugin/host_types.h"

class ExportContext;
class FltColorPalette;
class FltOutputFile;
class FltRecordBase;
class PropertyCheck;
class SceneNode;

class LightPointConverter {
 public:
  // The light-vertex marker: a child's FltType must equal it exactly.
  static constexpr const char* kLightVertexType = "FltLightVtx";

  void prepare(const ExportContext& context);
  // Told of each light node and each child, for the property checks; may be null.
  void setPropertyCheck(PropertyCheck* check) { check_ = check; }

  // A node of kind light point, with at least one light point property and at least
  // one child. 1 when it was taken (its records written), 0 when it does not qualify,
  // in which case nothing was written.
  [[nodiscard]] int writeLightPoint(SceneNode* node);
  // The same for a face node whose face properties select a light draw type (8, 9 or
  // 10): the face record stands in place of the light point record.
  [[nodiscard]] int writeLightString(SceneNode* node);

 private:
  void writeLights(SceneNode* node, FltRecordBase& record);
  void addLightVertex(SceneNode* parent, SceneNode* child);

  TimeValue time_ = 0;
  FltOutputFile* file_ = nullptr;
  FltColorPalette* colors_ = nullptr;
  const ExportContext* context_ = nullptr;
  PropertyCheck* check_ = nullptr;
};

struct OutsideKey;
// The FltLightVtx marker.
extern const OutsideKey kLightVertexKey;
