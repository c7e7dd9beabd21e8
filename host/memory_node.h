#pragma once
// A node of the in-memory scene. Setters chain, so that a test builds a node in
// one statement: scene.addNode("lod", parent).setUserText("FltType = LOD\r\n").

#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "plugin/mesh.h"
#include "plugin/scene_node.h"

class MemoryNode : public SceneNode {
 public:
  MemoryNode(std::string name, MemoryNode* parent) : name_(std::move(name)), parent_(parent) {}
  ~MemoryNode() override;
  MemoryNode(const MemoryNode&) = delete;
  MemoryNode& operator=(const MemoryNode&) = delete;

  MemoryNode& setName(std::string name) {
    name_ = std::move(name);
    return *this;
  }
  // Relative to the parent: object-to-world is this, then every ancestor's.
  MemoryNode& setTransform(const Matrix3& local) {
    local_ = local;
    forgetWorld();
    return *this;
  }
  MemoryNode& setGroupHead(bool head = true) {
    groupHead_ = head;
    return *this;
  }
  MemoryNode& setWireColor(uint32_t bgr) {
    wireColor_ = bgr;
    return *this;
  }
  MemoryNode& setMaterial(Material* material) {
    material_ = material;
    return *this;
  }
  MemoryNode& setObject(SceneObjectPtr object) {
    object_ = std::move(object);
    return *this;
  }
  // The node's object becomes a triangle-mesh object holding `mesh`.
  MemoryNode& setMesh(Mesh mesh);
  // The text as given; lines are expected to end with "\r\n".
  MemoryNode& setUserText(std::string text) {
    userText_ = std::move(text);
    return *this;
  }
  // Appends the line "key = value\r\n".
  MemoryNode& addProperty(const std::string& key, const std::string& value) {
    userText_ += key + " = " + value + "\r\n";
    return *this;
  }
  // Answers a key the user text lacks: the host's own reading of the scene (its
  // look). Defaults are no part of the text the node shows, so they never reach a
  // comment record. A few keys at most, asked for every key of every table.
  MemoryNode& setDefault(std::string key, std::string value) {
    defaults_.emplace_back(std::move(key), std::move(value));
    return *this;
  }
  const std::vector<std::pair<std::string, std::string>>& defaults() const { return defaults_; }

  MemoryNode* parent() const { return parent_; }
  const Matrix3& localTransform() const { return local_; }
  SceneObject* object() const { return object_.get(); }

  const char* name() const override { return name_.empty() ? nullptr : name_.c_str(); }
  int childCount() const override { return static_cast<int>(children_.size()); }
  SceneNode* child(int i) const override {
    return i >= 0 && i < childCount() ? children_[i].get() : nullptr;
  }
  bool isGroupHead() const override { return groupHead_; }
  Matrix3 objectToWorld(TimeValue t) const override;
  ObjectState evalWorldState(TimeValue) const override { return {object_.get()}; }
  Material* material() const override { return material_; }
  uint32_t wireColor() const override { return wireColor_; }
  std::string userPropertyText() const override { return userText_; }
  bool userPropertyString(const char* key, std::string& value) const override;
  bool userPropertyInt(const char* key, int& value) const override;
  bool userPropertyFloat(const char* key, float& value) const override;
  bool userPropertyBool(const char* key, bool& value) const override;

 private:
  friend class MemoryScene;
  MemoryNode& adoptChild(std::unique_ptr<MemoryNode> child);
  std::optional<std::string_view> property(const char* key) const;
  // Drops the kept object-to-world of the node and of every descendant.
  void forgetWorld();

  std::string name_;
  MemoryNode* parent_;
  std::vector<std::unique_ptr<MemoryNode>> children_;
  Matrix3 local_;
  // Object-to-world, kept once asked: each node's is composed from its parent's,
  // so a deep chain costs one product per node. Only a node whose parent's is kept
  // keeps its own.
  mutable Matrix3 world_;
  mutable bool worldKept_ = false;
  bool groupHead_ = false;
  uint32_t wireColor_ = 0x00808080;
  Material* material_ = nullptr;
  SceneObjectPtr object_;
  std::string userText_;
  std::vector<std::pair<std::string, std::string>> defaults_;
};
