#pragma once
// A node of the host's scene tree, as the exporter reads it.

#include <cstdint>
#include <string>

#include "plugin/host_types.h"
#include "plugin/scene_object.h"

class Material;

class SceneNode {
 public:
  virtual ~SceneNode() = default;

  // The node's name, or null for a node without one.
  virtual const char* name() const = 0;
  virtual int childCount() const = 0;
  // Child i (0-based), null out of range.
  virtual SceneNode* child(int i) const = 0;
  // The head of a host group (a group's dummy node).
  virtual bool isGroupHead() const = 0;

  // Object space to world space at t, ancestors included.
  virtual Matrix3 objectToWorld(TimeValue t) const = 0;
  // The node's object at t, hidden nodes evaluated too; the object belongs to the node.
  virtual ObjectState evalWorldState(TimeValue t) const = 0;

  virtual Material* material() const = 0;
  // 0x00BBGGRR.
  virtual uint32_t wireColor() const = 0;

  // The whole user-property text; lines end with "\r\n".
  virtual std::string userPropertyText() const = 0;
  // User property `key`: true and the value when found; `value` is left untouched
  // otherwise (also when the text does not parse as the type asked for).
  virtual bool userPropertyString(const char* key, std::string& value) const = 0;
  virtual bool userPropertyInt(const char* key, int& value) const = 0;
  virtual bool userPropertyFloat(const char* key, float& value) const = 0;
  virtual bool userPropertyBool(const char* key, bool& value) const = 0;
};
