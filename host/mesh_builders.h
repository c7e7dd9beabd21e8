#pragma once
// Meshes for tests and examples, built as a modelling host's primitives are.
// Faces wind counter-clockwise seen from outside; normals are not built.

#include "plugin/mesh.h"

// One triangle a, b, c; smoothing group 1; texture vertices (0,0) (1,0) (0,1).
Mesh makeTriangleMesh(const Point3& a, const Point3& b, const Point3& c);

// The quad origin, origin+u, origin+u+v, origin+v as the two triangles (0,1,2) and
// (0,2,3); smoothing group 1; texture vertices at the unit square's corners.
Mesh makeQuadMesh(const Point3& origin = {0, 0, 0}, const Point3& u = {1, 0, 0},
                  const Point3& v = {0, 1, 0});

// A flat grid in the XY plane from (0,0): nx by ny cells of `cell` units, two
// triangles per cell, smoothing group 1, texture vertices spanning 0..1.
Mesh makeGridMesh(int nx, int ny, float cell = 1.0f);

// An axis-aligned box of 8 shared vertices and 12 triangles. Each side has its own
// smoothing group (bits 1..6 for -Z, +Z, -Y, +X, +Y, -X) and material ID (0..5),
// and texture vertices at the unit square's corners.
Mesh makeBox(const Point3& pmin, const Point3& pmax);
