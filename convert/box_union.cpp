#include "convert/box_union.h"

void BoxUnion::add(const Box3& box) {
  for (int a = 0; a < 3; ++a)
    if (!(box.pmin[a] <= box.pmax[a])) return;  // empty, or NaN
  const double lo[3] = {box.pmin.x, box.pmin.y, box.pmin.z};
  const double hi[3] = {box.pmax.x, box.pmax.y, box.pmax.z};
  add(lo, hi);
}

void BoxUnion::add(const Point3& p) {
  const double c[3] = {p.x, p.y, p.z};
  if (c[0] != c[0] || c[1] != c[1] || c[2] != c[2]) return;
  add(c, c);
}

void BoxUnion::add(const double lo[3], const double hi[3]) {
  for (int a = 0; a < 3; ++a) {
    lo_[a] = any_ && lo_[a] < lo[a] ? lo_[a] : lo[a];
    hi_[a] = any_ && hi_[a] > hi[a] ? hi_[a] : hi[a];
  }
  any_ = true;
}
