#include "plugin/string_table.h"

#include <algorithm>
#include <cstring>
#include <memory>

namespace {

struct StringEntry {
  int id;
  const char* text;
};

constexpr StringEntry kStringTable[] = {
    {kIdsLibDescription, "OpenFlight (.flt) exporter (QUORIX)"},
    {kIdsCategory, "Export"},
    {kIdsClassName, "OpenZorvel"},
    {kIdsLongDescription, "OpenFlight 3D Scene Exporter"},
    {kIdsShortDescription, "OpenFlight"},
    {kIdsProgressTitle, "Exporting OpenFlight..."},
};

constexpr size_t kBufferSize = 256;

// Made on first use; freed with the module's statics when it unloads.
std::unique_ptr<char[]> sharedBuffer;

}  // namespace

const char* stringTableText(int id) {
  for (const StringEntry& entry : kStringTable)
    if (entry.id == id) return entry.text;
  return nullptr;
}

const char* getString(int id) {
  if (!sharedBuffer) sharedBuffer = std::make_unique<char[]>(kBufferSize);
  const char* text = stringTableText(id);
  size_t length = text ? std::min(std::strlen(text), kBufferSize - 1) : 0;
  if (length) std::memcpy(sharedBuffer.get(), text, length);
  sharedBuffer[length] = '\0';
  return sharedBuffer.get();
}
