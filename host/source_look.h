#pragma once
// The look a scene has in its own viewer, carried into the export as defaults
// for the node's properties: the node's own properties always win, and the text
// it shows (and so its comment record) stays as loaded.

#include <optional>

#include "plugin/host_types.h"

class MemoryNode;

// How a node's materials are drawn, gathered over all of them.
struct SourceLook {
  bool lit = false;       // some material is lit (the stand-in counts as lit)
  bool twoSided = false;  // some material is drawn from both sides
  bool vertexColors = false;
  std::optional<Color> firstColor;  // the first real material's diffuse colour
};

// The wire colour becomes the first material's colour; the defaults answer
// light mode (lit, by vertex colour where the mesh has them), draw type (no
// culling for a double-sided material) and face colour (the wire colour, for
// faces without a material of their own). An answered face property turns off
// the exporter's wire-colour fallback, so each face keeps its material's colour.
void applySourceLook(MemoryNode& node, const SourceLook& look);
