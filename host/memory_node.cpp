#include "host/memory_node.h"

#include "host/memory_object.h"
#include "host/user_text.h"

MemoryNode& MemoryNode::setMesh(Mesh mesh) {
  return setObject(makeMeshObject(std::move(mesh)));
}

MemoryNode& MemoryNode::adoptChild(std::unique_ptr<MemoryNode> child) {
  children_.push_back(std::move(child));
  return *children_.back();
}

Matrix3 MemoryNode::objectToWorld(TimeValue) const {
  Matrix3 m = local_;
  for (const MemoryNode* p = parent_; p; p = p->parent_) m = m * p->local_;
  return m;
}

bool MemoryNode::userPropertyString(const char* key, std::string& value) const {
  if (!key) return false;
  const auto found = findUserProperty(userText_, key);
  if (!found) return false;
  value.assign(found->data(), found->size());
  return true;
}

bool MemoryNode::userPropertyInt(const char* key, int& value) const {
  if (!key) return false;
  const auto found = findUserProperty(userText_, key);
  const auto parsed = found ? parseWholeInt(*found) : std::nullopt;
  if (parsed) value = *parsed;
  return parsed.has_value();
}

bool MemoryNode::userPropertyFloat(const char* key, float& value) const {
  if (!key) return false;
  const auto found = findUserProperty(userText_, key);
  const auto parsed = found ? parseWholeFloat(*found) : std::nullopt;
  if (parsed) value = *parsed;
  return parsed.has_value();
}

bool MemoryNode::userPropertyBool(const char* key, bool& value) const {
  if (!key) return false;
  const auto found = findUserProperty(userText_, key);
  const auto parsed = found ? parseBoolWord(*found) : std::nullopt;
  if (parsed) value = *parsed;
  return parsed.has_value();
}
