#pragma once
// Scene objects of the in-memory host other than the plain triangle-mesh object
// (plugin TriObject): parametric geometry and shapes that convert to a new
// triangle-mesh object each time, cameras, lights and helpers.

#include <optional>

#include "plugin/mesh.h"
#include "plugin/scene_object.h"
#include "plugin/tri_object.h"

// Class IDs as the modelling host numbers them; only their kind matters here.
constexpr ClassId kBoxPrimitiveClassId{0x10, 0};
constexpr ClassId kSplineShapeClassId{0x0A, 0};
constexpr ClassId kTargetCameraClassId{0x1001, 0};
constexpr ClassId kOmniLightClassId{0x1011, 0};
constexpr ClassId kDummyHelperClassId{0x876234, 0};

class MemoryObject : public SceneObject {
 public:
  // `mesh`: what the object converts to; without one it cannot become a mesh.
  MemoryObject(ClassId cls, SuperClassId superClass, std::optional<Mesh> mesh = std::nullopt)
      : classId_(cls), superClassId_(superClass), mesh_(std::move(mesh)) {}

  ClassId classId() const override { return classId_; }
  SuperClassId superClassId() const override { return superClassId_; }
  bool canConvertToType(ClassId cls) const override {
    return cls == kTriObjectClassId && mesh_.has_value();
  }
  // A new triangle-mesh object, owned by the caller.
  SceneObject* convertToType(TimeValue, ClassId cls) override {
    return canConvertToType(cls) ? new TriObject(*mesh_) : nullptr;
  }
  Box3 objectBoundingBox(TimeValue) const override {
    Box3 box;
    if (mesh_)
      for (const Point3& p : mesh_->verts) box += p;
    return box;
  }

 private:
  ClassId classId_;
  SuperClassId superClassId_;
  std::optional<Mesh> mesh_;
};

// The triangle-mesh object itself: converting gives the same object.
SceneObjectPtr makeMeshObject(Mesh mesh);
// Geometry that makes a new mesh object on every conversion.
SceneObjectPtr makePrimitiveObject(Mesh mesh);
// A shape; one without a renderable mesh cannot convert.
SceneObjectPtr makeShapeObject(std::optional<Mesh> renderable = std::nullopt);
SceneObjectPtr makeCameraObject();
SceneObjectPtr makeLightObject();
SceneObjectPtr makeHelperObject();
