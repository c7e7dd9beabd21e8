#pragma once
// The faces of a written OpenFlight file as the tests compare them: each with the
// object it belongs to, its corners (position, texture coordinates, normal,
// colour), its colour, light mode, draw type, material and texture.

#include <cmath>
#include <string>
#include <vector>

struct V3 {
  double x = 0, y = 0, z = 0;
};
inline V3 operator-(V3 a, V3 b) {
  return {a.x - b.x, a.y - b.y, a.z - b.z};
}
inline V3 operator*(V3 a, double s) {
  return {a.x * s, a.y * s, a.z * s};
}
inline V3 cross(V3 a, V3 b) {
  return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}
inline double dot(V3 a, V3 b) {
  return a.x * b.x + a.y * b.y + a.z * b.z;
}
inline double length(V3 a) {
  return std::sqrt(dot(a, a));
}

struct Rgb {
  double r = 0, g = 0, b = 0;
};

struct WrittenCorner {
  V3 p;
  bool hasUv = false;
  double u = 0, v = 0;
  bool hasNormal = false;
  V3 n;
  bool hasColor = false;  // a packed vertex colour
  Rgb color;
};

struct WrittenFace {
  std::string object;
  std::vector<WrittenCorner> corners;
  V3 normal;  // Newell's, not normalised
  V3 low, high;
  bool hasColor = false;
  Rgb color;
  int lightMode = 0;
  int drawType = 0;
  int materialIndex = -1;  // into the material palette; -1 for none
  // The material's ambient, diffuse, specular and emissive colours, shininess and
  // alpha, as in its record; empty for none.
  std::vector<float> material;
  std::string texture;  // the texture palette entry's path; empty for none
};

// False with `error` set when the file cannot be read or is damaged.
bool readWrittenFaces(const std::string& path, std::vector<WrittenFace>& faces, std::string& error);
