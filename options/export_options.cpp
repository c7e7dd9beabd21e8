#include "options/export_options.h"

#include "flt/header.h"

ExportOptions::ExportOptions() {
  headerToOptions(FltHeader(), *this);
}

void optionsToHeader(const ExportOptions& options, FltHeader& header) {
  header.formatRevision = options.version;
  header.projection = options.projection;
  header.ellipsoid = options.ellipsoid;
  header.vertexUnits = static_cast<uint8_t>(options.units);
  header.originLat = options.originLatitude;
  header.originLon = options.originLongitude;
  header.upperLambertLat = options.upperLambertLatitude;
  header.lowerLambertLat = options.lowerLambertLatitude;
}

void headerToOptions(const FltHeader& header, ExportOptions& options) {
  options.version = header.formatRevision;
  options.projection = header.projection;
  options.ellipsoid = header.ellipsoid;
  options.units = header.vertexUnits;
  options.originLatitude = header.originLat;
  options.originLongitude = header.originLon;
  options.upperLambertLatitude = header.upperLambertLat;
  options.lowerLambertLatitude = header.lowerLambertLat;
}
