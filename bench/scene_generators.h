#pragma once
// The benchmark scenes, built in memory or written as OBJ files holding the same
// geometry (Z-up in memory; the OBJ files are Y-up, as the loader expects them).
//
//   MemoryScene scene;
//   makeTerrainScene(scene, 700);  // 980,000 triangles in one node

#include <string>
#include <vector>

#include "plugin/mesh.h"

class MemoryScene;

// An n x n grid of unit cells (2 n^2 triangles) with gentle heights: smooth, but
// neighbouring triangles are seldom coplanar, so faces do not merge.
Mesh makeTerrainMesh(int n);

struct CityBox {
  Point3 pmin;
  Point3 pmax;
};
// `boxes` boxes on a square grid of lots, with heights that vary from lot to lot.
std::vector<CityBox> makeCityBoxes(int boxes);

// One node "terrain" holding makeTerrainMesh(n).
void makeTerrainScene(MemoryScene& scene, int n);
// One node per box ("building_<i>"), 12 triangles each.
void makeCityScene(MemoryScene& scene, int boxes);

// The same scenes as OBJ files; false when the file cannot be written whole.
bool writeTerrainObj(const std::string& path, int n);
bool writeCityObj(const std::string& path, int boxes);
// The city as binary glTF: one mesh and one named node per box, Y-up.
bool writeCityGlb(const std::string& path, int boxes);
