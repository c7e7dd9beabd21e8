#include "attributes/node_kind.h"

#include <string>

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
