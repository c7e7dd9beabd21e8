#pragma once
// The vector properties (FltVectorX, FltVectorY, FltVectorZ) and the float reader
// they share, for the light point and vector records.

class SceneNode;

// The float accessor's value widened to double. 1 when found.
[[nodiscard]] int readNodeDouble(const SceneNode& node, const char* key, double* value);
// FltVectorX, FltVectorY, FltVectorZ, each independently: an absent key leaves its
// component as it was. 1 when any of them was found.
[[nodiscard]] int readNodeVector(const SceneNode& node, double xyz[3]);

struct OutsideKey;
// FltVectorX, FltVectorY, FltVectorZ.
extern const OutsideKey kVectorKeys[3];
