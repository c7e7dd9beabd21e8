#include "options/geo_coordinate.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

TEST(GeoCoordinate, ParsesBothFormsAndHemispheres) {
  const std::pair<const char*, double> accepted[] = {
      {"-23 30 00", -23.5},
      {"-23.50", -23.5},
      {"23 30 00 S", -23.5},
      {"23~ 30' 0.00\" S", -23.5},
      {"  + 12 15 36.5 e", 12.26013888888889},
      {"12 w", -12.0},
      {"45 N", 45.0},
      {"23abc", 23.0},
      {"10 30 junk S", 10.5},  // only the letter after the numbers counts
      {"-0 30 00", -0.5},      // a typed minus counts even before zero degrees
      {"-0.25", -0.25},
      {"23 .5", 23.5},
      {"2147483647", 2147483647.0}};
  for (const auto& [text, value] : accepted) {
    GeoCoordinate c;
    EXPECT_TRUE(c.parse(text)) << text;
    EXPECT_DOUBLE_EQ(c.decimalValue(), value) << text;
  }
  // No degrees, or a digit run past 32 bits: wrapping would make plausible small values.
  for (const char* text :
       {"", "   \t\r\n", "abc", "N 23", "-", ".5", "+ x", "2147483648", "-2147483648",
        "99999999999 S", "10 4294967306 00", "10 20 4294967296", "1.12345678901", "4294967296.5"}) {
    GeoCoordinate c;
    EXPECT_FALSE(c.parse(text)) << '"' << text << '"';
  }
  GeoCoordinate c;
  EXPECT_FALSE(c.parse("abc"));
  EXPECT_EQ(c.decimalValue(), 0.0);
  EXPECT_EQ(GeoCoordinate::parseDecimalDegrees("12 30 x"), 12.5);
  EXPECT_NE(GeoCoordinate::parseDecimalDegrees("4294967306"), 10.0);
}

TEST(GeoCoordinate, FormatsWithHemisphereLetter) {
  const std::tuple<double, bool, const char*> cases[] = {
      {-23.5, true, "23~ 30' 0.00\" S"},
      {0.0, true, "0~ 0' 0.00\" N"},
      {0.0, false, "0~ 0' 0.00\" E"},
      {-122.25, false, "122~ 15' 0.00\" W"},
      {91.0, true, "91~ 0' 0.00\" N"},
      // Seconds that round to 60.00 carry into the minutes.
      {23.999999, true, "24~ 0' 0.00\" N"},
      {10.0 + 59.0 / 60.0 + 59.9999 / 3600.0, true, "11~ 0' 0.00\" N"}};
  for (const auto& [value, latitude, text] : cases) {
    GeoCoordinate c;
    c.setDecimalDegrees(value);
    EXPECT_EQ(latitude ? c.formatLatitude() : c.formatLongitude(), text) << value;
    GeoCoordinate back;
    EXPECT_TRUE(back.parse(text));
    EXPECT_NEAR(back.decimalValue(), value, 1e-5) << text;
  }
}

TEST(GeoCoordinate, RangeAndLambertChecks) {
  EXPECT_TRUE(GeoCoordinate::latitudeInRange(-90.0));
  EXPECT_FALSE(GeoCoordinate::latitudeInRange(90.0001));
  EXPECT_TRUE(GeoCoordinate::longitudeInRange(180.0));
  EXPECT_FALSE(GeoCoordinate::longitudeInRange(-180.5));
  // Values beyond integer degrees stay out of range; NaN becomes 0.
  GeoCoordinate c;
  c.setDecimalDegrees(1e20);
  EXPECT_FALSE(GeoCoordinate::latitudeInRange(c.decimalValue()));
  c.setDecimalDegrees(-INFINITY);
  EXPECT_EQ(c.sign, -1);
  EXPECT_FALSE(GeoCoordinate::longitudeInRange(c.decimalValue()));
  c.setDecimalDegrees(NAN);
  EXPECT_EQ(c.decimalValue(), 0.0);

  EXPECT_TRUE(GeoCoordinate::lambertParallelsClash(10.0, -10.0));
  EXPECT_TRUE(GeoCoordinate::lambertParallelsClash(33.0, 33.0));
  EXPECT_FALSE(GeoCoordinate::lambertParallelsClash(45.0, 33.0));
}

}  // namespace
