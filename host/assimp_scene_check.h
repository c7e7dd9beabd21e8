#pragma once
// Checks an Assimp scene as its reader left it, before the post-processing steps
// run: those steps trust the reader's data and crash on a face that names a vertex
// the mesh does not have, as readers of cut files (PLY) leave them.

#include <string>

struct aiScene;

// Why the scene cannot be used, or empty when it can. Also sets each mesh's
// primitive types from its faces: triangulation asserts on a wrong claim.
std::string checkAssimpScene(aiScene& scene);
