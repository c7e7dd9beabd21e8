#include "bench/scene_generators.h"

#include <cmath>
#include <cstdio>
#include <memory>

#include "host/memory_scene.h"
#include "host/mesh_builders.h"

namespace {

float terrainHeight(float x, float y) {
  // Incommensurate wavelengths keep the surface from repeating or flattening out.
  return 3.0f * std::sin(x * 0.031f) * std::cos(y * 0.027f) +
         0.8f * std::sin(x * 0.173f + y * 0.119f) + 0.25f * std::sin(x * 0.71f - y * 0.53f);
}

struct FileCloser {
  void operator()(std::FILE* f) const { std::fclose(f); }
};
using FilePtr = std::unique_ptr<std::FILE, FileCloser>;

// Z-up to the Y-up the OBJ loader turns back to Z-up (+90 degrees about X).
bool writeVertex(std::FILE* f, const Point3& p) {
  return std::fprintf(f, "v %.6g %.6g %.6g\n", p.x, p.z, -p.y) > 0;
}

bool closeChecked(FilePtr& file) {
  const bool ok = !std::ferror(file.get());
  return std::fclose(file.release()) == 0 && ok;
}

}  // namespace

Mesh makeTerrainMesh(int n) {
  Mesh m = makeGridMesh(n, n, 1.0f);
  for (Point3& p : m.verts) p.z = terrainHeight(p.x, p.y);
  return m;
}

std::vector<CityBox> makeCityBoxes(int boxes) {
  std::vector<CityBox> out;
  if (boxes <= 0) return out;
  out.reserve(boxes);
  const int side = static_cast<int>(std::ceil(std::sqrt(double(boxes))));
  const float lot = 12.0f;
  for (int i = 0; i < boxes; ++i) {
    const int col = i % side, row = i / side;
    // A cheap integer hash gives heights from 4 to 63 without a random generator.
    const uint32_t h = (uint32_t(i) * 2654435761u) >> 16;
    const float height = 4.0f + float(h % 60);
    const float w = 6.0f + float((h >> 6) % 4), d = 6.0f + float((h >> 9) % 4);
    const Point3 lo{col * lot, row * lot, 0.0f};
    out.push_back({lo, {lo.x + w, lo.y + d, height}});
  }
  return out;
}

void makeTerrainScene(MemoryScene& scene, int n) {
  scene.addNode("terrain").setMesh(makeTerrainMesh(n));
}

void makeCityScene(MemoryScene& scene, int boxes) {
  const std::vector<CityBox> city = makeCityBoxes(boxes);
  for (size_t i = 0; i < city.size(); ++i)
    scene.addNode("building_" + std::to_string(i)).setMesh(makeBox(city[i].pmin, city[i].pmax));
}

bool writeTerrainObj(const std::string& path, int n) {
  FilePtr file(std::fopen(path.c_str(), "w"));
  if (!file) return false;
  std::FILE* f = file.get();
  const Mesh m = makeTerrainMesh(n);
  bool ok = std::fprintf(f, "o terrain\n") > 0;
  for (const Point3& p : m.verts) ok = ok && writeVertex(f, p);
  for (const Point3& t : m.tVerts) ok = ok && std::fprintf(f, "vt %.6g %.6g\n", t.x, t.y) > 0;
  // The grid's texture vertices are numbered as its geometry vertices.
  for (const Face& face : m.faces) {
    const uint32_t a = face.v[0] + 1, b = face.v[1] + 1, c = face.v[2] + 1;
    ok = ok && std::fprintf(f, "f %u/%u %u/%u %u/%u\n", a, a, b, b, c, c) > 0;
  }
  return closeChecked(file) && ok;
}

bool writeCityObj(const std::string& path, int boxes) {
  FilePtr file(std::fopen(path.c_str(), "w"));
  if (!file) return false;
  std::FILE* f = file.get();
  const std::vector<CityBox> city = makeCityBoxes(boxes);
  bool ok = true;
  uint32_t base = 1;
  for (size_t i = 0; i < city.size() && ok; ++i) {
    const Mesh m = makeBox(city[i].pmin, city[i].pmax);
    ok = std::fprintf(f, "o building_%zu\n", i) > 0;
    for (const Point3& p : m.verts) ok = ok && writeVertex(f, p);
    for (const Face& face : m.faces)
      ok = ok && std::fprintf(f, "f %u %u %u\n", face.v[0] + base, face.v[1] + base,
                              face.v[2] + base) > 0;
    base += static_cast<uint32_t>(m.verts.size());
  }
  return closeChecked(file) && ok;
}
