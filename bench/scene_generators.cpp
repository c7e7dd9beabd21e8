#include "bench/scene_generators.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
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

bool writeCityGlb(const std::string& path, int boxes) {
  const std::vector<CityBox> city = makeCityBoxes(boxes);
  // Per box: 8 positions (96 bytes) then 36 indices (72 bytes), one buffer for all.
  std::vector<uint8_t> bin;
  std::string meshes, nodes, accessors, views, children;
  auto put = [&bin](const void* p, size_t n) {
    const auto* b = static_cast<const uint8_t*>(p);
    bin.insert(bin.end(), b, b + n);
  };
  for (size_t i = 0; i < city.size(); ++i) {
    const Mesh m = makeBox(city[i].pmin, city[i].pmax);
    const size_t at = bin.size();
    for (const Point3& p : m.verts) {
      const float yUp[3] = {p.x, p.z, -p.y};
      put(yUp, sizeof yUp);
    }
    const size_t indexAt = bin.size();
    for (const Face& f : m.faces)
      for (uint32_t v : f.v) {
        const uint16_t index = static_cast<uint16_t>(v);
        put(&index, 2);
      }
    const size_t end = bin.size();
    while (bin.size() % 4) bin.push_back(0);
    float lo[3] = {1e30f, 1e30f, 1e30f}, hi[3] = {-1e30f, -1e30f, -1e30f};
    for (const Point3& p : m.verts) {
      const float yUp[3] = {p.x, p.z, -p.y};
      for (int k = 0; k < 3; ++k) lo[k] = std::min(lo[k], yUp[k]), hi[k] = std::max(hi[k], yUp[k]);
    }
    char text[512];
    const size_t a = 2 * i;
    std::snprintf(text, sizeof text,
                  "%s{\"bufferView\":%zu,\"componentType\":5126,\"count\":%zu,\"type\":\"VEC3\","
                  "\"min\":[%g,%g,%g],\"max\":[%g,%g,%g]},"
                  "{\"bufferView\":%zu,\"componentType\":5123,\"count\":%zu,\"type\":\"SCALAR\"}",
                  i ? "," : "", a, m.verts.size(), lo[0], lo[1], lo[2], hi[0], hi[1], hi[2], a + 1,
                  m.faces.size() * 3);
    accessors += text;
    std::snprintf(text, sizeof text,
                  "%s{\"buffer\":0,\"byteOffset\":%zu,\"byteLength\":%zu},"
                  "{\"buffer\":0,\"byteOffset\":%zu,\"byteLength\":%zu}",
                  i ? "," : "", at, indexAt - at, indexAt, end - indexAt);
    views += text;
    std::snprintf(text, sizeof text,
                  "%s{\"primitives\":[{\"attributes\":{\"POSITION\":%zu},\"indices\":%zu}]}",
                  i ? "," : "", a, a + 1);
    meshes += text;
    std::snprintf(text, sizeof text, "%s{\"name\":\"building_%zu\",\"mesh\":%zu}", i ? "," : "", i,
                  i);
    nodes += text;
    children += (i ? "," : "") + std::to_string(i);
  }
  std::string json = "{\"asset\":{\"version\":\"2.0\"},\"scene\":0,\"scenes\":[{\"nodes\":[" +
                     children + "]}],\"nodes\":[" + nodes + "],\"meshes\":[" + meshes +
                     "],\"accessors\":[" + accessors + "],\"bufferViews\":[" + views +
                     "],\"buffers\":[{\"byteLength\":" + std::to_string(bin.size()) + "}]}";
  while (json.size() % 4) json += ' ';

  FilePtr file(std::fopen(path.c_str(), "wb"));
  if (!file) return false;
  // glTF is little-endian, as is every host this runs on.
  const uint32_t head[3] = {0x46546C67u, 2, uint32_t(12 + 8 + json.size() + 8 + bin.size())};
  const uint32_t jsonHead[2] = {uint32_t(json.size()), 0x4E4F534Au};
  const uint32_t binHead[2] = {uint32_t(bin.size()), 0x004E4942u};
  bool ok = std::fwrite(head, sizeof head, 1, file.get()) == 1 &&
            std::fwrite(jsonHead, sizeof jsonHead, 1, file.get()) == 1 &&
            std::fwrite(json.data(), json.size(), 1, file.get()) == 1 &&
            std::fwrite(binHead, sizeof binHead, 1, file.get()) == 1 &&
            (bin.empty() || std::fwrite(bin.data(), bin.size(), 1, file.get()) == 1);
  return closeChecked(file) && ok;
}
