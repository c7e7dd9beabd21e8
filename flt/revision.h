#pragma once
// Format revisions (the OpenFlight version times 100) and the layout changes tied
// to them, named once so that every record asks the same question the same way.

constexpr int kRevision142 = 1420;
constexpr int kRevision150 = 1500;
constexpr int kRevision151 = 1510;
constexpr int kRevision152 = 1520;
constexpr int kRevision154 = 1540;

// What a new header and a reader without a header assume.
constexpr int kDefaultRevision = kRevision154;

// 14.2 writes a shorter header: no light point, road or CAT counters.
constexpr bool hasLongHeader(int revision) {
  return revision != kRevision142;
}
// Above 14.2 color names may follow the palette's colors.
constexpr bool hasColorNames(int revision) {
  return revision > kRevision142;
}
// From 15.0 each material is a record of its own, below the one material table.
constexpr bool hasMaterialRecords(int revision) {
  return revision >= kRevision150;
}
// From 15.1 vertex and face color indexes are 32-bit, and the palette has 1024 slots.
constexpr bool hasWideColors(int revision) {
  return revision >= kRevision151;
}
