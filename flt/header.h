#pragma once
// The header record: first record of every file, and keeper of the next-ID
// counters from which unnamed records draw their default IDs.

#include <cstdint>

#include "flt/record_base.h"

class FltHeader : public FltRecordBase {
 public:
  static constexpr uint16_t kOpcode = 1;

  FltHeader() { reset(); }
  void reset();

  uint16_t opcode() const override { return kOpcode; }
  const char* name() const override { return id; }
  void serialise(FltRecord& record, int version) const override;
  void parse(FltRecord& record, int version) override;

  char id[9];
  int32_t formatRevision;
  int32_t editRevision;
  char dateTime[33];
  int16_t unitMultiplier;
  uint8_t vertexUnits;
  uint8_t texWhite;
  int32_t flags;
  int32_t projection;
  int16_t vertexStorage;
  int32_t databaseOrigin;
  int32_t ellipsoid;
  double southWestX, southWestY;
  double deltaX, deltaY;
  double southWestLat, southWestLon;
  double northEastLat, northEastLon;
  double originLat, originLon;
  double upperLambertLat;
  double lowerLambertLat;
  int16_t nextGroupId, nextLodId, nextObjectId, nextFaceId;
  int16_t nextDofId, nextSoundId, nextPathId, nextClipId, nextTextId, nextBspId, nextSwitchId,
      nextLightSourceId, nextLightPointId, nextRoadId, nextCatId;
};
