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

std::optional<std::string_view> MemoryNode::property(const char* key) const {
  if (!key) return std::nullopt;
  if (auto found = findUserProperty(userText_, key)) return found;
  return findUserProperty(defaults_, key);
}

bool MemoryNode::userPropertyString(const char* key, std::string& value) const {
  const auto found = property(key);
  if (!found) return false;
  value.assign(found->data(), found->size());
  return true;
}

bool MemoryNode::userPropertyInt(const char* key, int& value) const {
  const auto found = property(key);
  const auto parsed = found ? parseWholeInt(*found) : std::nullopt;
  if (parsed) value = *parsed;
  return parsed.has_value();
}

bool MemoryNode::userPropertyFloat(const char* key, float& value) const {
  const auto found = property(key);
  const auto parsed = found ? parseWholeFloat(*found) : std::nullopt;
  if (parsed) value = *parsed;
  return parsed.has_value();
}

bool MemoryNode::userPropertyBool(const char* key, bool& value) const {
  const auto found = property(key);
  const auto parsed = found ? parseBoolWord(*found) : std::nullopt;
  if (parsed) value = *parsed;
  return parsed.has_value();
}
