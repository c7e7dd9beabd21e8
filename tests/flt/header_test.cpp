// The header record's two layouts and its round trip.
#include <gtest/gtest.h>

#include <cstring>

#include "flt/header.h"
#include "flt/record.h"

TEST(FltHeader, ShortFormFor142) {
  FltHeader h;
  h.formatRevision = 1420;
  FltRecord r;
  h.serialise(r, 1420);
  ASSERT_EQ(r.length(), 264);
  EXPECT_EQ(r.data()[2], 0x01);
  EXPECT_EQ(r.data()[3], 0x08);
  for (int i = 254; i < 264; ++i) EXPECT_EQ(r.data()[i], 0) << i;
  // The light source counter is the last field written.
  EXPECT_EQ(r.data()[252], 0);
  EXPECT_EQ(r.data()[253], 1);
}

TEST(FltHeader, LongFormCarriesTheEllipsoid) {
  for (int revision : {1500, 1520, 1540}) {
    FltHeader h;
    h.formatRevision = revision;
    h.ellipsoid = 3;
    FltRecord r;
    h.serialise(r, revision);
    ASSERT_EQ(r.length(), 280) << revision;
    EXPECT_EQ(r.data()[271], 3);
    EXPECT_EQ(r.data()[15], revision & 0xFF);
    EXPECT_EQ(std::memcmp(r.data() + 4, "db\0\0\0\0\0\0", 8), 0);
    EXPECT_EQ(std::memcmp(r.data() + 20, "hereafter", 9), 0);
    for (int i = 29; i < 52; ++i) EXPECT_EQ(r.data()[i], 0) << i;
    // Database origin 100 and the double-precision vertex storage.
    EXPECT_EQ(r.data()[131], 100);
    EXPECT_EQ(r.data()[127], 1);
  }
}

TEST(FltHeader, EveryFieldSurvivesTheRoundTrip) {
  for (int revision : {1420, 1540}) {
    FltHeader h;
    std::strcpy(h.id, "scene01");
    h.formatRevision = revision;
    h.editRevision = 7;
    std::strcpy(h.dateTime, "Sun Dec  6 07:00:00 2026");
    h.unitMultiplier = 3;
    h.vertexUnits = 4;
    h.texWhite = 1;
    h.flags = 0x12345678;
    h.projection = 3;
    h.vertexStorage = 2;
    h.databaseOrigin = 101;
    h.ellipsoid = 2;
    h.southWestX = 1.5;
    h.southWestY = -2.5;
    h.deltaX = 3.25;
    h.deltaY = 4.75;
    h.southWestLat = 10.1;
    h.southWestLon = 20.2;
    h.northEastLat = 30.3;
    h.northEastLon = 40.4;
    h.originLat = 50.5;
    h.originLon = -60.6;
    h.upperLambertLat = 44.0;
    h.lowerLambertLat = 32.0;
    int16_t n = 2;
    for (int16_t* c : {&h.nextGroupId, &h.nextLodId, &h.nextObjectId, &h.nextFaceId, &h.nextDofId,
                       &h.nextSoundId, &h.nextPathId, &h.nextClipId, &h.nextTextId, &h.nextBspId,
                       &h.nextSwitchId, &h.nextLightSourceId})
      *c = n++;
    if (revision != 1420) {
      h.nextLightPointId = 100;
      h.nextRoadId = 101;
      h.nextCatId = 102;
    }
    FltRecord first;
    h.serialise(first, revision);
    FltHeader back;
    back.parse(first, revision);
    FltRecord second;
    back.serialise(second, revision);
    ASSERT_EQ(first.length(), second.length());
    EXPECT_EQ(std::memcmp(first.data(), second.data(), first.length()), 0) << revision;
    EXPECT_STREQ(back.id, "scene01");
    EXPECT_STREQ(back.dateTime, "Sun Dec  6 07:00:00 2026");
    EXPECT_EQ(back.originLon, -60.6);
    EXPECT_EQ(back.nextLightSourceId, 13);
    EXPECT_EQ(back.ellipsoid, revision == 1420 ? 0 : 2);
  }
}
