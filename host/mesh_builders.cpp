#include "host/mesh_builders.h"

#include <algorithm>

namespace {

Face face(uint32_t a, uint32_t b, uint32_t c, uint32_t smGroup, uint16_t materialId = 0) {
  Face f;
  f.v[0] = a;
  f.v[1] = b;
  f.v[2] = c;
  f.smGroup = smGroup;
  f.setMaterialId(materialId);
  return f;
}

TVFace tvFace(uint32_t a, uint32_t b, uint32_t c) {
  TVFace t;
  t.t[0] = a;
  t.t[1] = b;
  t.t[2] = c;
  return t;
}

}  // namespace

Mesh makeTriangleMesh(const Point3& a, const Point3& b, const Point3& c) {
  Mesh m;
  m.verts = {a, b, c};
  m.faces = {face(0, 1, 2, 1)};
  m.tVerts = {{0, 0, 0}, {1, 0, 0}, {0, 1, 0}};
  m.tvFaces = {tvFace(0, 1, 2)};
  return m;
}

Mesh makeQuadMesh(const Point3& origin, const Point3& u, const Point3& v) {
  Mesh m;
  m.verts = {origin, origin + u, origin + u + v, origin + v};
  m.faces = {face(0, 1, 2, 1), face(0, 2, 3, 1)};
  m.tVerts = {{0, 0, 0}, {1, 0, 0}, {1, 1, 0}, {0, 1, 0}};
  m.tvFaces = {tvFace(0, 1, 2), tvFace(0, 2, 3)};
  return m;
}

Mesh makeGridMesh(int nx, int ny, float cell) {
  Mesh m;
  nx = std::max(nx, 0);
  ny = std::max(ny, 0);
  if (nx == 0 || ny == 0) return m;
  const auto index = [nx](int i, int j) { return static_cast<uint32_t>(j * (nx + 1) + i); };
  for (int j = 0; j <= ny; ++j) {
    for (int i = 0; i <= nx; ++i) {
      m.verts.push_back({i * cell, j * cell, 0.0f});
      m.tVerts.push_back({float(i) / nx, float(j) / ny, 0.0f});
    }
  }
  for (int j = 0; j < ny; ++j) {
    for (int i = 0; i < nx; ++i) {
      const uint32_t a = index(i, j), b = index(i + 1, j), c = index(i + 1, j + 1),
                     d = index(i, j + 1);
      m.faces.push_back(face(a, b, c, 1));
      m.faces.push_back(face(a, c, d, 1));
      m.tvFaces.push_back(tvFace(a, b, c));
      m.tvFaces.push_back(tvFace(a, c, d));
    }
  }
  return m;
}

Mesh makeBox(const Point3& lo, const Point3& hi) {
  Mesh m;
  // Vertex i has bit 0 for x, bit 1 for y, bit 2 for z at the high end.
  for (int i = 0; i < 8; ++i)
    m.verts.push_back({(i & 1) ? hi.x : lo.x, (i & 2) ? hi.y : lo.y, (i & 4) ? hi.z : lo.z});
  m.tVerts = {{0, 0, 0}, {1, 0, 0}, {1, 1, 0}, {0, 1, 0}};
  // Each side as a quad a, b, c, d counter-clockwise seen from outside.
  const uint32_t sides[6][4] = {
      {0, 2, 3, 1},  // -Z
      {4, 5, 7, 6},  // +Z
      {0, 1, 5, 4},  // -Y
      {1, 3, 7, 5},  // +X
      {3, 2, 6, 7},  // +Y
      {2, 0, 4, 6},  // -X
  };
  for (int s = 0; s < 6; ++s) {
    const uint32_t* q = sides[s];
    const uint32_t smGroup = 1u << (s + 1);
    const auto id = static_cast<uint16_t>(s);
    m.faces.push_back(face(q[0], q[1], q[2], smGroup, id));
    m.faces.push_back(face(q[0], q[2], q[3], smGroup, id));
    m.tvFaces.push_back(tvFace(0, 1, 2));
    m.tvFaces.push_back(tvFace(0, 2, 3));
  }
  return m;
}
