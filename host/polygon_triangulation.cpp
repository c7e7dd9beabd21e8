#include "host/polygon_triangulation.h"

#include <assimp/vector3.inl>

#include <cmath>
#include <utility>

namespace {

struct Flat {
  double x, y;
  bool operator!=(const Flat& o) const { return x != o.x || y != o.y; }
};

// Twice the signed area, negative for counter-clockwise corners.
double area(const Flat& a, const Flat& b, const Flat& c) {
  return a.x * (c.y - b.y) + b.x * (a.y - c.y) + c.x * (b.y - a.y);
}

bool inside(const Flat& p0, const Flat& p1, const Flat& p2, const Flat& p) {
  const double v0x = p1.x - p0.x, v0y = p1.y - p0.y;
  const double v1x = p2.x - p0.x, v1y = p2.y - p0.y;
  const double v2x = p.x - p0.x, v2y = p.y - p0.y;
  const double d00 = v0x * v0x + v0y * v0y, d01 = v0x * v1x + v0y * v1y;
  const double d02 = v0x * v2x + v0y * v2y, d11 = v1x * v1x + v1y * v1y;
  const double d12 = v1x * v2x + v1y * v2y;
  const double inv = 1 / (d00 * d11 - d01 * d01);
  const double u = (d11 * d02 - d01 * d12) * inv, v = (d00 * d12 - d01 * d02) * inv;
  return u > 0 && v > 0 && u + v < 1;
}

void quad(const aiVector3D* c, std::vector<unsigned>& out) {
  unsigned start = 0;
  for (unsigned i = 0; i < 4; ++i) {
    const aiVector3D& v = c[i];
    const aiVector3D left = (c[(i + 3) % 4] - v).Normalize();
    const aiVector3D diag = (c[(i + 2) % 4] - v).Normalize();
    const aiVector3D right = (c[(i + 1) % 4] - v).Normalize();
    // The angles on both sides of the diagonal add up to more than half a turn only
    // at a concave corner.
    if (std::acos(left * diag) + std::acos(right * diag) > float(M_PI)) {
      start = i;
      break;
    }
  }
  for (unsigned k : {0u, 1u, 2u, 0u, 2u, 3u}) out.push_back((start + k) % 4);
}

void earCut(const aiVector3D* c, unsigned count, std::vector<unsigned>& out) {
  // Newell's normal picks the plane to cut in, turned so that the polygon runs
  // counter-clockwise there.
  double nx = 0, ny = 0, nz = 0;
  for (unsigned i = 0; i < count; ++i) {
    const aiVector3D& a = c[i];
    const aiVector3D& b = c[(i + 1) % count];
    nx += (double(a.y) - b.y) * (double(a.z) + b.z);
    ny += (double(a.z) - b.z) * (double(a.x) + b.x);
    nz += (double(a.x) - b.x) * (double(a.y) + b.y);
  }
  unsigned ac = 0, bc = 1;
  double facing = nz;
  const double ax = std::fabs(nx), ay = std::fabs(ny), az = std::fabs(nz);
  if (ax > ay) {
    if (ax > az) {
      ac = 1;
      bc = 2;
      facing = nx;
    }
  } else if (ay > az) {
    ac = 2;
    bc = 0;
    facing = ny;
  }
  if (facing < 0) std::swap(ac, bc);

  std::vector<Flat> flat(count);
  std::vector<char> done(count, 0);
  for (unsigned i = 0; i < count; ++i) flat[i] = {c[i][ac], c[i][bc]};

  unsigned left = count, prev = count - 1, next = 0, ear = 0;
  while (left > 3) {
    int wraps = 0;
    for (ear = next;; prev = ear, ear = next) {
      for (next = ear + 1; done[next >= count ? (next = 0) : next]; ++next) {
      }
      // Two rounds without an ear: the polygon crosses itself.
      if (next < ear && ++wraps == 2) break;
      const Flat &p0 = flat[prev], &p1 = flat[ear], &p2 = flat[next];
      if (area(p0, p1, p2) > 0) continue;  // a reflex corner
      unsigned other = 0;
      for (; other < count; ++other) {
        const Flat& p = flat[other];
        // Corners that repeat one of the ear's positions do not block it.
        if (p != p0 && p != p1 && p != p2 && inside(p0, p1, p2, p)) break;
      }
      if (other == count) break;
    }
    if (wraps == 2) return;
    out.push_back(prev);
    out.push_back(ear);
    out.push_back(next);
    done[ear] = 1;
    --left;
  }
  for (unsigned i = 0; i < count; ++i)
    if (!done[i]) out.push_back(i);
}

}  // namespace

void triangulatePolygon(const aiVector3D* corners, unsigned count,
                        std::vector<unsigned>& triangles) {
  if (count < 3) return;
  if (count == 3) {
    triangles.insert(triangles.end(), {0u, 1u, 2u});
  } else if (count == 4) {
    quad(corners, triangles);
  } else {
    earCut(corners, count, triangles);
  }
}
