#pragma once

class SceneNode;

// The record opcode a node becomes: FltType when it names an opcode, else (with the
// fallback) a face for geometry and shapes, a group for a group head. 1 when found.
[[nodiscard]] int readNodeKind(const SceneNode* node, bool fallback, int* opcode);

struct OutsideKey;
// FltType.
extern const OutsideKey kNodeKindKey;
