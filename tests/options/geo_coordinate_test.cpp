#include "options/geo_coordinate.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

double parsed(const std::string& text) {
  GeoCoordinate c;
  EXPECT_TRUE(c.parse(text)) << text;
  return c.decimalValue();
}

bool parses(const std::string& text) {
  GeoCoordinate c;
  return c.parse(text);
}

std::string latitude(double v) {
  GeoCoordinate c;
  c.setDecimalDegrees(v);
  return c.formatLatitude();
}

std::string longitude(double v) {
  GeoCoordinate c;
  c.setDecimalDegrees(v);
  return c.formatLongitude();
}

TEST(GeoCoordinate, ParsesBothFormsAndHemispheres) {
  EXPECT_DOUBLE_EQ(parsed("-23 30 00"), -23.5);
  EXPECT_DOUBLE_EQ(parsed("-23.50"), -23.5);
  EXPECT_DOUBLE_EQ(parsed("23 30 00 S"), -23.5);
  EXPECT_DOUBLE_EQ(parsed("23~ 30' 0.00\" S"), -23.5);
  EXPECT_DOUBLE_EQ(parsed("  + 12 15 36.5 e"), 12.26013888888889);
  EXPECT_DOUBLE_EQ(parsed("12 w"), -12.0);
  EXPECT_DOUBLE_EQ(parsed("45 N"), 45.0);
  EXPECT_DOUBLE_EQ(parsed("23abc"), 23.0);
  EXPECT_DOUBLE_EQ(parsed("10 30 junk S"), 10.5);  // only the letter after the numbers counts
  // A typed minus counts even before zero degrees.
  EXPECT_DOUBLE_EQ(parsed("-0 30 00"), -0.5);
  EXPECT_DOUBLE_EQ(parsed("-0.25"), -0.25);
  EXPECT_DOUBLE_EQ(parsed("23 .5"), 23.5);
}

TEST(GeoCoordinate, RefusesTextWithoutDegrees) {
  for (const char* text : {"", "   \t\r\n", "abc", "N 23", "-", ".5", "+ x"})
    EXPECT_FALSE(parses(text)) << '"' << text << '"';
  GeoCoordinate c;
  EXPECT_FALSE(c.parse("abc"));
  EXPECT_EQ(c.decimalValue(), 0.0);
  EXPECT_EQ(GeoCoordinate::parseDecimalDegrees("12 30 x"), 12.5);
}

TEST(GeoCoordinate, RefusesDigitRunsBeyond32Bits) {
  EXPECT_DOUBLE_EQ(parsed("2147483647"), 2147483647.0);
  for (const char* text : {"2147483648", "-2147483648", "99999999999 S", "10 4294967306 00",
                           "10 20 4294967296", "1.12345678901", "4294967296.5"})
    EXPECT_FALSE(parses(text)) << text;
  // Wrapping would have made these plausible small values.
  EXPECT_NE(GeoCoordinate::parseDecimalDegrees("4294967306"), 10.0);
}

TEST(GeoCoordinate, FormatsWithHemisphereLetter) {
  EXPECT_EQ(latitude(-23.5), "23~ 30' 0.00\" S");
  EXPECT_DOUBLE_EQ(parsed(latitude(-23.5)), -23.5);
  EXPECT_EQ(latitude(0.0), "0~ 0' 0.00\" N");
  EXPECT_EQ(longitude(0.0), "0~ 0' 0.00\" E");
  EXPECT_EQ(longitude(-122.25), "122~ 15' 0.00\" W");
  EXPECT_EQ(latitude(45.0), "45~ 0' 0.00\" N");
  EXPECT_EQ(latitude(91.0), "91~ 0' 0.00\" N");
  // 59.9964 seconds must not show as 60.00.
  EXPECT_EQ(latitude(23.999999), "24~ 0' 0.00\" N");
  EXPECT_EQ(latitude(10.0 + 59.0 / 60.0 + 59.9999 / 3600.0), "11~ 0' 0.00\" N");
}

TEST(GeoCoordinate, ValuesBeyondIntegerDegreesStayOutOfRange) {
  GeoCoordinate c;
  c.setDecimalDegrees(1e20);
  EXPECT_FALSE(GeoCoordinate::latitudeInRange(c.decimalValue()));
  c.setDecimalDegrees(-INFINITY);
  EXPECT_EQ(c.sign, -1);
  EXPECT_FALSE(GeoCoordinate::longitudeInRange(c.decimalValue()));
  c.setDecimalDegrees(NAN);
  EXPECT_EQ(c.decimalValue(), 0.0);
}

TEST(GeoCoordinate, RangeAndLambertChecks) {
  EXPECT_TRUE(GeoCoordinate::latitudeInRange(-90.0));
  EXPECT_FALSE(GeoCoordinate::latitudeInRange(90.0001));
  EXPECT_TRUE(GeoCoordinate::longitudeInRange(180.0));
  EXPECT_FALSE(GeoCoordinate::longitudeInRange(-180.5));
  EXPECT_TRUE(GeoCoordinate::lambertParallelsClash(parsed("10 N"), parsed("10 S")));
  EXPECT_TRUE(GeoCoordinate::lambertParallelsClash(33.0, 33.0));
  EXPECT_FALSE(GeoCoordinate::lambertParallelsClash(45.0, 33.0));
}

}  // namespace
