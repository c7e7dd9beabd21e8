#pragma once
// The module's string table, loaded through one shared buffer.

enum StringId : int {
  kIdsLibDescription = 1,
  kIdsCategory = 2,
  kIdsClassName = 3,
  kIdsLongDescription = 6,
  kIdsShortDescription = 7,
  kIdsProgressTitle = 29,
};

// String `id` copied into the module's one text buffer, which is returned: the
// text stays valid only until the next call overwrites it. An id the table does
// not hold gives the empty text; a text longer than the buffer is cut.
const char* getString(int id);

// The table's own text of `id`, which never changes; null when there is none.
const char* stringTableText(int id);
