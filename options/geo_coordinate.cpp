#include "options/geo_coordinate.h"

#include <cmath>
#include <cstdio>
#include <limits>

namespace {

constexpr double kMinutesToDegrees = 0.016666666666666666;
constexpr double kSecondsToDegrees = 0.0002777777777777778;

bool isBlank(char c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}
bool isDigit(char c) {
  return c >= '0' && c <= '9';
}

void skipBlanks(const char*& p) {
  while (isBlank(*p)) ++p;
}

// A run of decimal digits; false (cursor unmoved) when there is none or it does
// not fit in 32 bits, so an overlong number never wraps into a plausible one.
bool readDigits(const char*& p, int32_t& value, int& count) {
  const char* q = p;
  int64_t v = 0;
  while (isDigit(*q)) {
    v = v * 10 + (*q - '0');
    if (v > std::numeric_limits<int32_t>::max()) return false;
    ++q;
  }
  if (q == p) return false;
  count = static_cast<int>(q - p);
  value = static_cast<int32_t>(v);
  p = q;
  return true;
}

// Blanks, an optional sign, blanks, digits. `negative` tells a typed '-' even
// when the digits are zero, so "-0 30" lies south of the equator.
bool readInteger(const char*& p, int32_t& value, bool& negative) {
  const char* q = p;
  skipBlanks(q);
  negative = *q == '-';
  if (*q == '-' || *q == '+') ++q;
  skipBlanks(q);
  int count = 0;
  if (!readDigits(q, value, count)) return false;
  p = q;
  return true;
}

// An integer optionally followed by '.', blanks and fraction digits.
bool readDecimal(const char*& p, double& value) {
  const char* q = p;
  int32_t whole = 0;
  bool negative = false;
  if (!readInteger(q, whole, negative)) return false;
  double v = whole;
  const char* dot = q;
  skipBlanks(dot);
  if (*dot == '.') {
    q = dot + 1;
    skipBlanks(q);
    int32_t fraction = 0;
    int count = 0;
    if (isDigit(*q) && !readDigits(q, fraction, count)) return false;
    if (count > 0) v += fraction / std::pow(10.0, count);
  }
  value = negative ? -v : v;
  p = q;
  return true;
}

}  // namespace

void GeoCoordinate::setDecimalDegrees(double value) {
  sign = value < 0.0 ? -1 : 1;
  degrees = 0;
  minutes = 0;
  seconds = 0.0;
  double a = std::fabs(value);
  if (std::isnan(a)) {
    sign = 1;
    return;
  }
  // Beyond 32-bit degrees the value is far out of any range; keep it visibly so.
  if (a >= 2147483647.0) {
    degrees = std::numeric_limits<int32_t>::max();
    return;
  }
  degrees = static_cast<int32_t>(a);
  double m = (a - degrees) * 60.0;
  minutes = static_cast<int32_t>(m);
  seconds = (m - minutes) * 60.0;
}

double GeoCoordinate::decimalValue() const {
  return sign * (degrees + minutes * kMinutesToDegrees + seconds * kSecondsToDegrees);
}

namespace {

std::string formatCoordinate(const GeoCoordinate& c, char hemisphere) {
  int64_t d = c.degrees;
  int64_t m = c.minutes;
  double s = c.seconds;
  // 59.996 seconds would print as 60.00; show the next minute instead.
  if (s < 60.0 && std::round(s * 100.0) >= 6000.0) {
    s = 0.0;
    if (++m == 60 && c.minutes == 59) {
      m = 0;
      ++d;
    }
  }
  char text[96];
  std::snprintf(text, sizeof text, "%lld~ %lld' %2.2f\" %c", static_cast<long long>(d),
                static_cast<long long>(m), s, hemisphere);
  return text;
}

}  // namespace

std::string GeoCoordinate::formatLatitude() const {
  return formatCoordinate(*this, sign < 0 ? 'S' : 'N');
}

std::string GeoCoordinate::formatLongitude() const {
  return formatCoordinate(*this, sign < 0 ? 'W' : 'E');
}

bool GeoCoordinate::parse(const std::string& text) {
  sign = 1;
  degrees = 0;
  minutes = 0;
  seconds = 0.0;
  const char* start = text.c_str();
  const char* p = start;
  skipBlanks(p);
  if (!*p) return false;

  int32_t whole = 0;
  bool negative = false;
  if (!readInteger(p, whole, negative)) return false;
  sign = negative ? -1 : 1;
  degrees = whole;
  skipBlanks(p);

  if (*p == '.') {
    p = start;
    double value = 0.0;
    if (!readDecimal(p, value)) return false;
    setDecimalDegrees(value);
    skipBlanks(p);
  } else {
    if (*p == '~') {
      ++p;
      skipBlanks(p);
    }
    if (isDigit(*p)) {
      bool unused = false;
      if (!readInteger(p, minutes, unused)) return false;
      skipBlanks(p);
      if (*p == '\'') {
        ++p;
        skipBlanks(p);
      }
      if (isDigit(*p)) {
        if (!readDecimal(p, seconds)) return false;
        skipBlanks(p);
        if (*p == '"') {
          ++p;
          skipBlanks(p);
        }
      }
    }
  }
  char c = *p;
  if (c == 's' || c == 'S' || c == 'w' || c == 'W') sign = -1;
  return true;
}

double GeoCoordinate::parseDecimalDegrees(const std::string& text) {
  GeoCoordinate c;
  // Text that does not parse leaves the coordinate's zero.
  static_cast<void>(c.parse(text));
  return c.decimalValue();
}

bool GeoCoordinate::latitudeInRange(double degrees) {
  return std::fabs(degrees) <= kMaxLatitude;
}

bool GeoCoordinate::longitudeInRange(double degrees) {
  return std::fabs(degrees) <= kMaxLongitude;
}

bool GeoCoordinate::lambertParallelsClash(double upper, double lower) {
  return std::fabs(upper) == std::fabs(lower);
}
