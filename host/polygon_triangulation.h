#pragma once
// Splits a polygon into triangles as Assimp's triangulation does, so that an OBJ
// file gives the same triangles through either reader: a quad is fanned from its
// concave corner (the first corner when it has none), a larger polygon is cut ear
// by ear in the plane it faces most. Triangles of more than four corners may start
// at another of their corners than Assimp's.

#include <assimp/vector3.h>

#include <vector>

// Appends three corner numbers (0 .. count-1) per triangle to `triangles`; a
// polygon without an ear (one that crosses itself) gives the ears found so far.
void triangulatePolygon(const aiVector3D* corners, unsigned count,
                        std::vector<unsigned>& triangles);
