#pragma once
// The Assimp meshes of one node as one host mesh.
//
// Geometry vertices are welded by position, normal and color, so that faces share
// the edges a modelling host would share; texture coordinates stay per corner
// through texture vertices and texture faces. A vertex whose mesh has normals
// carries that normal as a specified normal; the others get normals built from
// smoothing group 1, which every face has.

#include <cstdint>
#include <vector>

#include "plugin/mesh.h"

struct aiMesh;

struct MeshPart {
  const aiMesh* mesh = nullptr;
  uint16_t materialId = 0;  // for every face of this part
  unsigned uvChannel = 0;   // the texture coordinates the part's diffuse map uses
};

// Whether a face is a triangle whose corners all name vertices of the mesh; points,
// lines and broken faces are dropped.
bool isUsableTriangle(const aiMesh& mesh, unsigned face);
// Whether the mesh holds at least one usable triangle.
bool hasTriangles(const aiMesh& mesh);

// The triangles of all parts, in part order; a mesh without faces when none has any.
Mesh buildHostMesh(const std::vector<MeshPart>& parts);
