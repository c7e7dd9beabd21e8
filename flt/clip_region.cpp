#include "flt/clip_region.h"

#include "flt/record.h"

void FltClipRegion::serialise(FltRecord& r, int /*version*/) const {
  r.begin(kOpcode);
  r.writeText(id, kIdLength);
  r.skip(6);
  r.writeBytes(edgeFlags, kEdgeCount);
  r.skip(1);
  for (const auto& corner : corners)
    for (double v : corner) r.write64(v);
  for (const auto& plane : planes)
    for (double v : plane) r.write64(v);
  r.finish();
}

void FltClipRegion::parse(FltRecord& r, int /*version*/) {
  r.seekBody();
  r.readText(id, kIdLength);
  r.skip(6);
  r.readBytes(edgeFlags, kEdgeCount);
  r.skip(1);
  for (auto& corner : corners)
    for (double& v : corner) r.read64(v);
  for (auto& plane : planes)
    for (double& v : plane) r.read64(v);
}
