#include "flt/header.h"

#include <cstring>

#include "flt/record_fields.h"
#include "flt/revision.h"

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

namespace {

template <class Record, class Io>
void headerFields(Record& f, Io& io) {
  io.text(f.id, 8);
  io(f.formatRevision, f.editRevision).text(f.dateTime, 32);
  io(f.nextGroupId, f.nextLodId, f.nextObjectId, f.nextFaceId);
  io(f.unitMultiplier, f.vertexUnits, f.texWhite, f.flags).skip(24);
  io(f.projection).skip(28);
  io(f.nextDofId, f.vertexStorage, f.databaseOrigin);
  io(f.southWestX, f.southWestY, f.deltaX, f.deltaY);
  io(f.nextSoundId, f.nextPathId).skip(8);
  io(f.nextClipId, f.nextTextId, f.nextBspId, f.nextSwitchId).skip(4);
  io(f.southWestLat, f.southWestLon, f.northEastLat, f.northEastLon);
  io(f.originLat, f.originLon, f.upperLambertLat, f.lowerLambertLat);
  io(f.nextLightSourceId);
  // Revision 14.2 ends after the light source ID; every other revision has the long
  // form. The revision is the record's own, read a few fields above.
  if (!hasLongHeader(f.formatRevision)) {
    io.skip(6);
  } else {
    io(f.nextLightPointId, f.nextRoadId, f.nextCatId).skip(8);
    io(f.ellipsoid).skip(4);
  }
}

}  // namespace

void FltHeader::serialise(FltRecord& r, int /*version*/) const {
  r.begin(kOpcode);
  FltFieldWriter io(r);
  headerFields(*this, io);
  r.finish();
}

void FltHeader::parse(FltRecord& r, int /*version*/) {
  r.seekBody();
  FltFieldReader io(r);
  headerFields(*this, io);
}
