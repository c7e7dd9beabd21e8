#include "flt/header.h"

#include <cstring>

#include "flt/record.h"
#include "flt/revision.h"

namespace {

// Revision 14.2 ends after the light source ID; every other revision writes the long form.

}  // namespace

void FltHeader::reset() {
  std::memset(id, 0, sizeof id);
  std::strcpy(id, "db");
  formatRevision = kDefaultRevision;
  editRevision = 1;
  std::memset(dateTime, 0, sizeof dateTime);
  std::strcpy(dateTime, "hereafter");
  unitMultiplier = 1;
  vertexUnits = 0;
  texWhite = 0;
  flags = 1;
  projection = 0;
  vertexStorage = 1;
  databaseOrigin = 100;
  ellipsoid = 0;
  southWestX = southWestY = 0;
  deltaX = deltaY = 0;
  southWestLat = southWestLon = 0;
  northEastLat = 1.0;
  northEastLon = 0;
  originLat = originLon = 0;
  upperLambertLat = 45.0;
  lowerLambertLat = 33.0;
  nextGroupId = nextLodId = nextObjectId = nextFaceId = 1;
  nextDofId = nextSoundId = nextPathId = nextClipId = nextTextId = nextBspId = nextSwitchId = 1;
  nextLightSourceId = nextLightPointId = nextRoadId = nextCatId = 1;
}

void FltHeader::serialise(FltRecord& r, int /*version*/) const {
  r.begin(kOpcode);
  r.writeText(id, 8);
  r.write32(formatRevision).write32(editRevision);
  r.writeText(dateTime, 32);
  r.write16(nextGroupId).write16(nextLodId).write16(nextObjectId).write16(nextFaceId);
  r.write16(unitMultiplier).write8(vertexUnits).write8(texWhite).write32(flags);
  r.skip(24);
  r.write32(projection);
  r.skip(28);
  r.write16(nextDofId).write16(vertexStorage).write32(databaseOrigin);
  r.write64(southWestX).write64(southWestY).write64(deltaX).write64(deltaY);
  r.write16(nextSoundId).write16(nextPathId);
  r.skip(8);
  r.write16(nextClipId).write16(nextTextId).write16(nextBspId).write16(nextSwitchId);
  r.skip(4);
  r.write64(southWestLat).write64(southWestLon).write64(northEastLat).write64(northEastLon);
  r.write64(originLat).write64(originLon).write64(upperLambertLat).write64(lowerLambertLat);
  r.write16(nextLightSourceId);
  if (!hasLongHeader(formatRevision)) {
    r.skip(6);
  } else {
    r.write16(nextLightPointId).write16(nextRoadId).write16(nextCatId);
    r.skip(8);
    r.write32(ellipsoid);
    r.skip(4);
  }
  r.finish();
}

void FltHeader::parse(FltRecord& r, int /*version*/) {
  r.seekBody();
  r.readText(id, 8);
  r.read32(formatRevision).read32(editRevision);
  r.readText(dateTime, 32);
  r.read16(nextGroupId).read16(nextLodId).read16(nextObjectId).read16(nextFaceId);
  r.read16(unitMultiplier).read8(vertexUnits).read8(texWhite).read32(flags);
  r.skip(24);
  r.read32(projection);
  r.skip(28);
  r.read16(nextDofId).read16(vertexStorage).read32(databaseOrigin);
  r.read64(southWestX).read64(southWestY).read64(deltaX).read64(deltaY);
  r.read16(nextSoundId).read16(nextPathId);
  r.skip(8);
  r.read16(nextClipId).read16(nextTextId).read16(nextBspId).read16(nextSwitchId);
  r.skip(4);
  r.read64(southWestLat).read64(southWestLon).read64(northEastLat).read64(northEastLon);
  r.read64(originLat).read64(originLon).read64(upperLambertLat).read64(lowerLambertLat);
  r.read16(nextLightSourceId);
  if (!hasLongHeader(formatRevision)) {
    r.skip(6);
  } else {
    r.read16(nextLightPointId).read16(nextRoadId).read16(nextCatId);
    r.skip(8);
    r.read32(ellipsoid);
  }
}
