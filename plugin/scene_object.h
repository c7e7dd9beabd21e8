#pragma once
// A scene object: what a node's world state holds (geometry, shape, camera,
// light, helper).
//
// Ownership: the host owns every object it hands out. convertToType answers either
// the object itself or a new object that the caller owns and releases with
// deleteThis (never `delete`, so that the host that made it also frees it).
// TriObjectHandle does that bookkeeping.

#include <memory>

#include "plugin/host_types.h"

class Mesh;
class TriObject;

// The triangle-mesh object class.
constexpr ClassId kTriObjectClassId{9, 0};

class SceneObject {
 public:
  virtual ~SceneObject() = default;

  virtual ClassId classId() const = 0;
  virtual SuperClassId superClassId() const = 0;

  virtual bool canConvertToType(ClassId cls) const = 0;
  // This object or a new one of class `cls`; null when it cannot convert.
  virtual SceneObject* convertToType(TimeValue t, ClassId cls) = 0;
  virtual void deleteThis() { delete this; }

  // Object-space bounds at t; empty for objects without extent (helpers).
  virtual Box3 objectBoundingBox(TimeValue t) const = 0;

  // The object as a triangle-mesh object (the class convertToType makes for
  // kTriObjectClassId), else null. Stands in for the host's cast after a class test.
  virtual TriObject* asTriObject() { return nullptr; }
};

struct SceneObjectDeleter {
  void operator()(SceneObject* o) const {
    if (o) o->deleteThis();
  }
};
using SceneObjectPtr = std::unique_ptr<SceneObject, SceneObjectDeleter>;

// The evaluated result of a node's pipeline; `obj` may be null (no object).
struct ObjectState {
  SceneObject* obj = nullptr;
};
