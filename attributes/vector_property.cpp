#include "attributes/vector_property.h"

#include "plugin/scene_node.h"

int readNodeDouble(const SceneNode& node, const char* key, double* value) {
  float v = 0.0f;
  if (!key || !node.userPropertyFloat(key, v)) return 0;
  if (value) *value = static_cast<double>(v);
  return 1;
}

int readNodeVector(const SceneNode& node, double xyz[3]) {
  int found = readNodeDouble(node, "FltVectorX", &xyz[0]);
  found |= readNodeDouble(node, "FltVectorY", &xyz[1]);
  found |= readNodeDouble(node, "FltVectorZ", &xyz[2]);
  return found;
}
