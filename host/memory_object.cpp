#include "host/memory_object.h"

#include <utility>

SceneObjectPtr makeMeshObject(Mesh mesh) {
  return SceneObjectPtr(new TriObject(std::move(mesh)));
}

SceneObjectPtr makePrimitiveObject(Mesh mesh) {
  return SceneObjectPtr(new MemoryObject(kBoxPrimitiveClassId, kGeomObjectClass, std::move(mesh)));
}

SceneObjectPtr makeShapeObject(std::optional<Mesh> renderable) {
  return SceneObjectPtr(new MemoryObject(kSplineShapeClassId, kShapeClass, std::move(renderable)));
}

SceneObjectPtr makeCameraObject() {
  return SceneObjectPtr(new MemoryObject(kTargetCameraClassId, kCameraClass));
}

SceneObjectPtr makeLightObject() {
  return SceneObjectPtr(new MemoryObject(kOmniLightClassId, kLightClass));
}

SceneObjectPtr makeHelperObject() {
  return SceneObjectPtr(new MemoryObject(kDummyHelperClassId, kHelperClass));
}
