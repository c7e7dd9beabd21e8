#pragma once
// What the user chose for one export: the OpenFlight version, where the database
// lies on the earth, and the three switches. The first eight fields travel to and
// from the header record; the switches steer grouping, objects and texture copies.

#include <cstdint>

class FltHeader;

struct ExportOptions {
  // Every location field starts at the header record's default.
  ExportOptions();

  int32_t version;
  int32_t projection;
  int32_t ellipsoid;
  int32_t units;
  double originLatitude;   // decimal degrees, north positive
  double originLongitude;  // decimal degrees, east positive
  double upperLambertLatitude;
  double lowerLambertLatitude;
  bool autoGroup = true;
  bool autoObject = true;
  bool copyTextures = true;
};

void optionsToHeader(const ExportOptions& options, FltHeader& header);
// The switches are left as they are: the header has no place for them.
void headerToOptions(const FltHeader& header, ExportOptions& options);
