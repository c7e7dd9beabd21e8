// Counts the faces of OpenFlight files and the polygons (more than three corners)
// among them that are not convex, which a reader fanning them would draw wrongly:
//
//   bench_face_shapes FILE.flt...   prints "faces N polygons P concave C" per file
//
// A corner is concave when it turns right of the face's own (Newell) normal by more
// than a sine of 1e-6, or turns back on itself; collinear corners are convex.

#include <cmath>
#include <cstdio>
#include <map>
#include <vector>

#include "flt/file_reader.h"
#include "flt/vertex.h"

namespace {

constexpr uint16_t kFace = 5, kPush = 10, kPop = 11, kComment = 31, kLongId = 33;
constexpr uint16_t kVertexPalette = 67, kVertexList = 72;

struct V {
  double x, y, z;
};
V sub(V a, V b) {
  return {a.x - b.x, a.y - b.y, a.z - b.z};
}
V cross(V a, V b) {
  return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}
double dot(V a, V b) {
  return a.x * b.x + a.y * b.y + a.z * b.z;
}
double len(V a) {
  return std::sqrt(dot(a, a));
}

bool convex(const std::vector<V>& p) {
  const size_t n = p.size();
  V normal{0, 0, 0};
  for (size_t i = 0; i < n; ++i) {
    const V a = p[i], b = p[(i + 1) % n];
    normal.x += (a.y - b.y) * (a.z + b.z);
    normal.y += (a.z - b.z) * (a.x + b.x);
    normal.z += (a.x - b.x) * (a.y + b.y);
  }
  const double nl = len(normal);
  if (!(nl > 0)) return false;
  for (size_t i = 0; i < n; ++i) {
    const V in = sub(p[i], p[(i + n - 1) % n]), out = sub(p[(i + 1) % n], p[i]);
    const double scale = len(in) * len(out) * nl;
    const double turn = dot(cross(in, out), normal);
    if (turn < -1e-6 * scale) return false;
    if (turn <= 1e-6 * scale && dot(in, out) <= 0) return false;
  }
  return true;
}

int32_t offsetAt(const std::vector<uint8_t>& b, size_t at) {
  return int32_t(uint32_t(b[at]) << 24 | uint32_t(b[at + 1]) << 16 | uint32_t(b[at + 2]) << 8 |
                 b[at + 3]);
}

}  // namespace

int main(int argc, char** argv) {
  int status = 0;
  for (int i = 1; i < argc; ++i) {
    FltFileReader reader;
    if (!reader.open(argv[i])) {
      std::fprintf(stderr, "%s\n", reader.error().c_str());
      status = 1;
      continue;
    }
    std::map<int32_t, V> vertices;
    int64_t paletteStart = -1;
    bool inFace = false;
    long faces = 0, polygons = 0, concave = 0;
    while (reader.next()) {
      const uint16_t op = reader.opcode();
      if (op == kVertexPalette) paletteStart = reader.offset();
      if (paletteStart >= 0 && op >= FltVertex::kWithColor && op <= FltVertex::kWithTexture) {
        FltVertex v;
        v.readFrom(reader);
        vertices[int32_t(reader.offset() - paletteStart)] = {v.x, v.y, v.z};
      }
      if (op == kVertexList && inFace) {
        std::vector<V> corners;
        const std::vector<uint8_t>& b = reader.bytes();
        for (size_t at = 4; at + 4 <= b.size(); at += 4) {
          const auto found = vertices.find(offsetAt(b, at));
          if (found != vertices.end()) corners.push_back(found->second);
        }
        ++faces;
        if (corners.size() > 3) ++polygons;
        if (corners.size() > 3 && !convex(corners)) ++concave;
        inFace = false;
      } else if (op == kFace) {
        inFace = true;
      } else if (op != kPush && op != kPop && op != kComment && op != kLongId) {
        inFace = false;
      }
    }
    if (reader.faulted()) {
      std::fprintf(stderr, "%s: %s\n", argv[i], reader.fault().c_str());
      status = 1;
    }
    std::printf("faces %ld polygons %ld concave %ld %s\n", faces, polygons, concave, argv[i]);
  }
  return status;
}
