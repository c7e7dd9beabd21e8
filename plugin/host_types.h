#pragma once
// The host's small value types: points, colors, the affine matrix, boxes, class IDs.
//
// Matrices follow the host's row-vector convention: a point is transformed as
// `p * m`, rows 0-2 hold the images of the axes and row 3 the translation, and
// `a * b` applies a first, then b.

#include <cassert>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <limits>

// Animation time in the host's ticks; the exporter always reads time 0.
using TimeValue = int32_t;

struct Point3 {
  float x = 0.0f;
  float y = 0.0f;
  float z = 0.0f;

  constexpr Point3() = default;
  constexpr Point3(float px, float py, float pz) : x(px), y(py), z(pz) {}

  float& operator[](int i) { return i == 0 ? x : (i == 1 ? y : z); }
  float operator[](int i) const { return i == 0 ? x : (i == 1 ? y : z); }

  Point3 operator+(const Point3& o) const { return {x + o.x, y + o.y, z + o.z}; }
  Point3 operator-(const Point3& o) const { return {x - o.x, y - o.y, z - o.z}; }
  Point3 operator-() const { return {-x, -y, -z}; }
  Point3 operator*(float s) const { return {x * s, y * s, z * s}; }
  Point3& operator+=(const Point3& o) {
    x += o.x;
    y += o.y;
    z += o.z;
    return *this;
  }
  bool operator==(const Point3& o) const { return x == o.x && y == o.y && z == o.z; }
  bool operator!=(const Point3& o) const { return !(*this == o); }

  float length() const { return std::sqrt(x * x + y * y + z * z); }
};

inline Point3 CrossProd(const Point3& a, const Point3& b) {
  return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}

inline float DotProd(const Point3& a, const Point3& b) {
  return a.x * b.x + a.y * b.y + a.z * b.z;
}

// Unit vector along p; the zero vector stays zero.
inline Point3 normalize(const Point3& p) {
  const float len = p.length();
  return len > 0.0f ? p * (1.0f / len) : Point3{};
}

// A color as three floats in 0..1.
struct Color {
  float r = 0.0f;
  float g = 0.0f;
  float b = 0.0f;

  constexpr Color() = default;
  constexpr Color(float cr, float cg, float cb) : r(cr), g(cg), b(cb) {}
  bool operator==(const Color& o) const { return r == o.r && g == o.g && b == o.b; }
};

// 3x4 affine matrix: three axis rows and a translation row. Default: identity.
class Matrix3 {
 public:
  Matrix3() { setIdentity(); }
  Matrix3(const Point3& r0, const Point3& r1, const Point3& r2, const Point3& r3)
      : rows_{r0, r1, r2, r3} {}

  static Matrix3 identity() { return Matrix3(); }
  static Matrix3 translation(const Point3& t) {
    Matrix3 m;
    m.setTrans(t);
    return m;
  }
  static Matrix3 scaling(const Point3& s) {
    return Matrix3({s.x, 0, 0}, {0, s.y, 0}, {0, 0, s.z}, {});
  }
  // Rotations by an angle in radians, counter-clockwise looking down the axis.
  static Matrix3 rotationX(float a) {
    const float c = std::cos(a), s = std::sin(a);
    return Matrix3({1, 0, 0}, {0, c, s}, {0, -s, c}, {});
  }
  static Matrix3 rotationY(float a) {
    const float c = std::cos(a), s = std::sin(a);
    return Matrix3({c, 0, -s}, {0, 1, 0}, {s, 0, c}, {});
  }
  static Matrix3 rotationZ(float a) {
    const float c = std::cos(a), s = std::sin(a);
    return Matrix3({c, s, 0}, {-s, c, 0}, {0, 0, 1}, {});
  }

  void setIdentity() {
    rows_[0] = {1, 0, 0};
    rows_[1] = {0, 1, 0};
    rows_[2] = {0, 0, 1};
    rows_[3] = {0, 0, 0};
  }
  const Point3& getRow(int i) const {
    assert(i >= 0 && i < 4);
    return rows_[i];
  }
  void setRow(int i, const Point3& p) {
    assert(i >= 0 && i < 4);
    rows_[i] = p;
  }
  const Point3& getTrans() const { return rows_[3]; }
  void setTrans(const Point3& t) { rows_[3] = t; }

  // Applies this matrix, then `o`.
  Matrix3 operator*(const Matrix3& o) const {
    Matrix3 m;
    for (int i = 0; i < 3; ++i) m.rows_[i] = o.transformVector(rows_[i]);
    m.rows_[3] = o.transformVector(rows_[3]) + o.rows_[3];
    return m;
  }
  bool operator==(const Matrix3& o) const {
    return rows_[0] == o.rows_[0] && rows_[1] == o.rows_[1] && rows_[2] == o.rows_[2] &&
           rows_[3] == o.rows_[3];
  }

  // Whether the axes are left-handed, which turns every triangle's winding round.
  bool mirrors() const { return DotProd(CrossProd(rows_[0], rows_[1]), rows_[2]) < 0.0f; }

  // The axis part alone, without the translation.
  Point3 transformVector(const Point3& v) const {
    return rows_[0] * v.x + rows_[1] * v.y + rows_[2] * v.z;
  }

 private:
  Point3 rows_[4];
};

inline Point3 operator*(const Point3& p, const Matrix3& m) {
  return m.transformVector(p) + m.getTrans();
}

// Axis-aligned box; empty (pmin above pmax) until a point is added.
struct Box3 {
  Point3 pmin;
  Point3 pmax;

  Box3() { init(); }
  Box3(const Point3& lo, const Point3& hi) : pmin(lo), pmax(hi) {}

  void init() {
    const float big = std::numeric_limits<float>::max();
    pmin = {big, big, big};
    pmax = {-big, -big, -big};
  }
  bool isEmpty() const { return pmin.x > pmax.x || pmin.y > pmax.y || pmin.z > pmax.z; }
  Point3 center() const { return (pmin + pmax) * 0.5f; }
  Point3 width() const { return pmax - pmin; }

  // Coordinates that are NaN compare false everywhere and so never widen the box.
  Box3& operator+=(const Point3& p) {
    for (int i = 0; i < 3; ++i) {
      if (p[i] < pmin[i]) pmin[i] = p[i];
      if (p[i] > pmax[i]) pmax[i] = p[i];
    }
    return *this;
  }
  Box3& operator+=(const Box3& b) {
    if (!b.isEmpty()) {
      *this += b.pmin;
      *this += b.pmax;
    }
    return *this;
  }
};

// A host class ID: two 32-bit words.
struct ClassId {
  uint32_t partA = 0;
  uint32_t partB = 0;

  constexpr ClassId() = default;
  constexpr ClassId(uint32_t a, uint32_t b) : partA(a), partB(b) {}
  constexpr bool operator==(const ClassId& o) const { return partA == o.partA && partB == o.partB; }
  constexpr bool operator!=(const ClassId& o) const { return !(*this == o); }
};

// Super class IDs of scene objects.
using SuperClassId = uint32_t;
constexpr SuperClassId kGeomObjectClass = 0x10;
constexpr SuperClassId kCameraClass = 0x20;
constexpr SuperClassId kLightClass = 0x30;
constexpr SuperClassId kShapeClass = 0x40;
constexpr SuperClassId kHelperClass = 0x50;

// The host's assertion facility: an internal consistency check that failed.
// Debug builds stop; release builds report it and carry on.
inline void assert1(int line, const char* file) {
  std::fprintf(stderr, "internal check failed at %s:%d\n", file, line);
  assert(!"internal check failed");
}
