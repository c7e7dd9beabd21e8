#pragma once

#include <cstdint>

#include "flt/header.h"
#include "flt/id_record.h"

// A binary separating plane a·x + b·y + c·z + d = 0.
class FltBsp : public FltIdRecord {
 public:
  static constexpr uint16_t kOpcode = 55;

  uint16_t opcode() const override { return kOpcode; }
  void serialise(FltRecord& record, int version) const override;
  void parse(FltRecord& record, int version) override;

  // The plane through three points, scaled by 1/sqrt(a²+b²+c²+d²). Collinear points
  // (or non-finite input) have no plane: the result is false and `plane` is untouched.
  [[nodiscard]] static bool planeFromPoints(const double p1[3], const double p2[3],
                                            const double p3[3], double plane[4]);

  // The plane through (0,0,0), (0,1,0) and (1,0,0).
  double a = 0.0;
  double b = 0.0;
  double c = -1.0;
  double d = 0.0;

 protected:
  const char* idFormat() const override { return "b%d"; }
  int16_t& idCounter(FltHeader& header) const override { return header.nextBspId; }
};
