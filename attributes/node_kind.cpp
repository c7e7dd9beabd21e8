#include "attributes/node_kind.h"

#include <string>

#include "attributes/outside_key.h"
#include "flt/face.h"
#include "flt/group.h"
#include "flt/opcodes.h"
#include "plugin/scene_node.h"

int readNodeKind(const SceneNode* node, bool fallback, int* opcode) {
  if (!node) return 0;
  std::string type;
  int16_t named = 0;
  if (node->userPropertyString("FltType", type) && opcodeFromName(type.c_str(), &named)) {
    if (opcode) *opcode = named;
    return 1;
  }
  if (!fallback) return 0;
  if (SceneObject* object = node->evalWorldState(0).obj) {
    SuperClassId super = object->superClassId();
    if (super == kGeomObjectClass || super == kShapeClass) {
      if (opcode) *opcode = FltFace::kOpcode;
      return 1;
    }
  }
  if (node->isGroupHead()) {
    if (opcode) *opcode = FltGroup::kOpcode;
    return 1;
  }
  return 0;
}

const OutsideKey kNodeKindKey = {
    "FltType",
    nullptr,
    OutsideKeyValue::kNodeKind,
    "a record kind: Group, Object, Face, LOD, Switch, DOF, BSP, Clip_Region, External_Ref, "
    "Light_Point (any case, FLT_ optional); FltLightVtx, exactly so, on a light vertex",
    "which record the node becomes",
    "a face for geometry, a group for a group head, else a plain group around the children"};
