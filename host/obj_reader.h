#pragma once
// Reads an OBJ file and its .mtl files with tinyobjloader into an Assimp scene
// shaped as Assimp's OBJ importer and its triangulation shape it: a root named
// after the file, one child per object or group in file order (faces before any
// get "defaultobject"), one mesh per run of faces in one material, and meshes of
// the line segments and points. Its vertices are shared where Assimp gives each
// corner its own: the building welds them alike. The scene then goes through the
// same building as Assimp's. Unlike Assimp, an object named twice gives two nodes,
// a name keeps its spaces, an object without faces gives no node, a vertex without
// a colour among coloured ones is white, a corner without a normal among corners
// with one takes its face's, faces before any `usemtl` have no material (Assimp
// gives them the library's last), and a `vt` line's third number is dropped. The
// count of lines and points not exported may differ too: tinyobjloader gives an
// object's lines again at each change of material after them, and drops those of a
// group without faces that another group follows.
//
//   ObjReadResult read = readObj("city.obj");
//   if (read.scene) build(*read.scene, read.opened);

#include <assimp/scene.h>

#include <memory>
#include <string>
#include <vector>

struct ObjReadResult {
  std::unique_ptr<aiScene> scene;   // null when the file could not be read
  std::string error;                // why, in one line
  std::vector<std::string> opened;  // the .mtl files read
  // The file holds what tinyobjloader cannot carry (a face of over 255 corners):
  // Assimp should read it.
  bool needsAssimp = false;
};

ObjReadResult readObj(const std::string& path);
