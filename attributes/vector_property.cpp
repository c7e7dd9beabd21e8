#include "attributes/vector_property.h"

#include "attributes/outside_key.h"
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

const OutsideKey kVectorKeys[3] = {
    {"FltVectorX", "Light Points", OutsideKeyValue::kFloat, "a number",
     "the i component of a vector record after a light point or light-string face",
     "0, and no vector record unless another component is given"},
    {"FltVectorY", "Light Points", OutsideKeyValue::kFloat, "a number",
     "the j component of that vector record", "0"},
    {"FltVectorZ", "Light Points", OutsideKeyValue::kFloat, "a number",
     "the k component of that vector record", "1"},
};
