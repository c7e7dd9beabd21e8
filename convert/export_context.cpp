#include "convert/export_context.h"

#include "plugin/scene_node.h"

std::string nodeName(const SceneNode* node) {
  const char* name = node ? node->name() : nullptr;
  return name ? "node \"" + std::string(name) + "\"" : "an unnamed node";
}
