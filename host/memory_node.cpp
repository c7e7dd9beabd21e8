#include "host/memory_node.h"

#include <vector>

#include "host/memory_object.h"
#include "host/user_text.h"

MemoryNode& MemoryNode::setMesh(Mesh mesh) {
  return setObject(makeMeshObject(std::move(mesh)));
}

MemoryNode& MemoryNode::adoptChild(std::unique_ptr<MemoryNode> child) {
  children_.push_back(std::move(child));
  return *children_.back();
}

MemoryNode::~MemoryNode() {
  // Descendants go one at a time from a list, each already without children, so
  // that no destructor frees a subtree below it: any depth fits the stack.
  std::vector<std::unique_ptr<MemoryNode>> doomed = std::move(children_);
  while (!doomed.empty()) {
    std::unique_ptr<MemoryNode> node = std::move(doomed.back());
    doomed.pop_back();
    for (std::unique_ptr<MemoryNode>& child : node->children_) doomed.push_back(std::move(child));
    node->children_.clear();
  }
}

void MemoryNode::forgetWorld() {
  // A node not kept has no kept descendant: the walk stops there.
  if (!worldKept_) return;
  std::vector<MemoryNode*> pending{this};
  while (!pending.empty()) {
    MemoryNode* node = pending.back();
    pending.pop_back();
    node->worldKept_ = false;
    for (const std::unique_ptr<MemoryNode>& child : node->children_)
      if (child->worldKept_) pending.push_back(child.get());
  }
}

Matrix3 MemoryNode::objectToWorld(TimeValue) const {
  if (worldKept_) return world_;
  // Up to the nearest kept ancestor, then down composing each from its parent.
  std::vector<const MemoryNode*> chain;
  for (const MemoryNode* n = this; n && !n->worldKept_; n = n->parent_) chain.push_back(n);
  for (auto it = chain.rbegin(); it != chain.rend(); ++it) {
    const MemoryNode* n = *it;
    n->world_ = n->parent_ ? n->local_ * n->parent_->world_ : n->local_;
    n->worldKept_ = true;
  }
  return world_;
}

std::optional<std::string_view> MemoryNode::property(const char* key) const {
  if (!key) return std::nullopt;
  if (auto found = findUserProperty(userText_, key)) return found;
  const std::string_view wanted(key);
  for (const auto& [k, value] : defaults_)
    if (k == wanted) return std::string_view(value);
  return std::nullopt;
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
