#pragma once
// A property key the export reads outside the attribute tables. Each reader
// describes its own keys beside its code, for the checks and the reference.

enum class OutsideKeyValue {
  kHexColor,  // RRGGBBAA hex digits
  kFloat,
  kNodeKind,  // a record kind's name
  kMarker,    // a value of FltType, never a key of its own
  kNoRecord,  // read by no record
};

struct OutsideKey {
  const char* key;
  // The table set whose records take the key ("Face"), or null for every node.
  const char* kind;
  OutsideKeyValue value;
  const char* accepted;  // the texts taken, in words
  const char* fills;     // what it fills
  const char* absent;    // what an absent key leaves
};
