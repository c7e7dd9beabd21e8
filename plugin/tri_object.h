#pragma once
// The triangle-mesh object (class 9, 0) and the handle that converts an object
// into one and releases the conversion when it was a new object.

#include <utility>

#include "plugin/mesh.h"
#include "plugin/scene_object.h"

class TriObject : public SceneObject {
 public:
  TriObject() = default;
  explicit TriObject(Mesh m) : mesh(std::move(m)) {}

  Mesh mesh;

  Mesh& getMesh() { return mesh; }

  ClassId classId() const override { return kTriObjectClassId; }
  SuperClassId superClassId() const override { return kGeomObjectClass; }
  bool canConvertToType(ClassId cls) const override { return cls == kTriObjectClassId; }
  SceneObject* convertToType(TimeValue, ClassId cls) override {
    return cls == kTriObjectClassId ? this : nullptr;
  }
  Box3 objectBoundingBox(TimeValue) const override {
    Box3 box;
    for (const Point3& p : mesh.verts) box += p;
    return box;
  }
  TriObject* asTriObject() override { return this; }
};

// A triangle-mesh view of an object at a time. Owns the converted object when the
// conversion made a new one; move-only.
class TriObjectHandle {
 public:
  TriObjectHandle() = default;
  // Empty when `object` is null or cannot become a triangle mesh.
  TriObjectHandle(SceneObject* object, TimeValue t) {
    if (!object || !object->canConvertToType(kTriObjectClassId)) return;
    SceneObject* converted = object->convertToType(t, kTriObjectClassId);
    if (!converted) return;
    owned_ = converted != object;
    tri_ = converted->asTriObject();
    if (!tri_) {  // a host that answered with another class: nothing usable
      if (owned_) converted->deleteThis();
      owned_ = false;
    }
  }
  TriObjectHandle(TriObjectHandle&& o) noexcept
      : tri_(std::exchange(o.tri_, nullptr)), owned_(std::exchange(o.owned_, false)) {}
  TriObjectHandle& operator=(TriObjectHandle&& o) noexcept {
    if (this != &o) {
      reset();
      tri_ = std::exchange(o.tri_, nullptr);
      owned_ = std::exchange(o.owned_, false);
    }
    return *this;
  }
  TriObjectHandle(const TriObjectHandle&) = delete;
  TriObjectHandle& operator=(const TriObjectHandle&) = delete;
  ~TriObjectHandle() { reset(); }

  explicit operator bool() const { return tri_ != nullptr; }
  TriObject* get() const { return tri_; }
  Mesh* mesh() const { return tri_ ? &tri_->mesh : nullptr; }
  // True when the conversion made a new object that this handle releases.
  bool owned() const { return owned_; }

  void reset() {
    if (tri_ && owned_) tri_->deleteThis();
    tri_ = nullptr;
    owned_ = false;
  }

 private:
  TriObject* tri_ = nullptr;
  bool owned_ = false;
};
