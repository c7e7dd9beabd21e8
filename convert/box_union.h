#pragma once
// The union of boxes and points in double precision, for centres that records
// hold as doubles. A box that is empty or a point with a NaN coordinate leaves the
// union as it was.

#include "plugin/host_types.h"

class BoxUnion {
 public:
  void add(const Box3& box);
  void add(const Point3& p);
  void add(const BoxUnion& other) {
    if (other.any_) add(other.lo_, other.hi_);
  }

  bool empty() const { return !any_; }
  // The middle of the union along axis a; 0 while it is empty.
  double center(int a) const { return any_ ? (lo_[a] + hi_[a]) * 0.5 : 0.0; }

 private:
  void add(const double lo[3], const double hi[3]);

  double lo_[3] = {0, 0, 0};
  double hi_[3] = {0, 0, 0};
  bool any_ = false;
};
