#pragma once
// A latitude or longitude as the options dialog shows and reads it: degrees,
// minutes and seconds with a hemisphere, held in the options as decimal degrees.

#include <cstdint>
#include <string>

struct GeoCoordinate {
  // Inclusive limits of the dialog's checks, in decimal degrees.
  static constexpr double kMaxLatitude = 90.0;
  static constexpr double kMaxLongitude = 180.0;

  void setDecimalDegrees(double value);
  double decimalValue() const;

  // "23~ 30' 0.00\" S"; seconds that round to 60.00 carry into the minutes.
  std::string formatLatitude() const;
  std::string formatLongitude() const;

  // Degrees-minutes-seconds ("-23 30 00", "23~ 30' 0.00\" S") or decimal degrees
  // ("-23.50"), with an optional hemisphere letter. False when no degrees could be
  // read or a number does not fit in 32 bits; the members keep what was read.
  [[nodiscard]] bool parse(const std::string& text);
  // The decimal value of whatever `parse` left.
  static double parseDecimalDegrees(const std::string& text);

  static bool latitudeInRange(double degrees);
  static bool longitudeInRange(double degrees);
  // Lambert parallels may not be equal, nor each other's mirror across the equator.
  static bool lambertParallelsClash(double upper, double lower);

  int32_t sign = 1;
  int32_t degrees = 0;
  int32_t minutes = 0;
  double seconds = 0.0;
};
