#include "flt/bsp.h"

#include <cmath>

#include "flt/record_fields.h"

bool FltBsp::planeFromPoints(const double p1[3], const double p2[3], const double p3[3],
                             double plane[4]) {
  const double x1 = p1[0], y1 = p1[1], z1 = p1[2];
  const double x2 = p2[0], y2 = p2[1], z2 = p2[2];
  const double x3 = p3[0], y3 = p3[1], z3 = p3[2];
  double a = y1 * (z2 - z3) + y3 * (z1 - z2) + y2 * (z3 - z1);
  double b = z2 * (x3 - x1) + z3 * (x1 - x2) + z1 * (x2 - x3);
  double c = x1 * (y2 - y3) + x3 * (y1 - y2) + x2 * (y3 - y1);
  double d = -(x1 * (y2 * z3 - y3 * z2) + x2 * (y3 * z1 - y1 * z3) + x3 * (y1 * z2 - y2 * z1));
  double norm = std::sqrt(a * a + b * b + c * c + d * d);
  if (!(norm > 0.0) || !std::isfinite(norm)) return false;
  plane[0] = a / norm;
  plane[1] = b / norm;
  plane[2] = c / norm;
  plane[3] = d / norm;
  return true;
}

namespace {

template <class Record, class Io>
void bspFields(Record& f, Io& io) {
  io.text(f.id, FltBsp::kIdLength).skip(4);
  io(f.a, f.b, f.c, f.d);
}

}  // namespace

void FltBsp::serialise(FltRecord& r, int /*version*/) const {
  r.begin(kOpcode);
  FltFieldWriter io(r);
  bspFields(*this, io);
  r.finish();
}

void FltBsp::parse(FltRecord& r, int /*version*/) {
  r.seekBody();
  FltFieldReader io(r);
  bspFields(*this, io);
}
