#include "plugin/open_zorvel_desc.h"

#include "plugin/open_zorvel.h"
#include "plugin/string_table.h"

void* OpenZorvelDesc::create(bool /*loading*/) {
  auto* exporter = new OpenZorvel();
  exporter->useStandardOptionsDialog();
  // Through the interface's pointer: the host casts the result back to it.
  return static_cast<SceneExporter*>(exporter);
}

const char* OpenZorvelDesc::className() {
  return getString(kIdsClassName);
}

const char* OpenZorvelDesc::category() {
  return getString(kIdsCategory);
}
