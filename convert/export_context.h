#pragma once
// What every converter of one export shares: the file being written, the time
// the scene is read at, and the one warning sink. The driver owns it for the
// length of an export; converters keep a pointer from `prepare` on.

#include <string>

#include "flt/warning_sink.h"
#include "plugin/host_types.h"

class FltOutputFile;
class SceneNode;

class ExportContext {
 public:
  ExportContext(FltOutputFile& file, TimeValue t, WarningSink sink = nullptr)
      : file_(&file), time_(t), sink_(std::move(sink)) {}

  FltOutputFile& file() const { return *file_; }
  TimeValue time() const { return time_; }
  void warn(const std::string& text) const {
    if (sink_) sink_(text);
  }
  // For the layers below, which take a sink, not the context.
  const WarningSink& warningSink() const { return sink_; }
  // Ends the sink's use, so that it cannot outlive what it reports to.
  void dropWarningSink() { sink_ = nullptr; }

 private:
  FltOutputFile* file_;
  TimeValue time_;
  WarningSink sink_;
};

// How every message names a node: `node "x"`, or "an unnamed node".
std::string nodeName(const SceneNode* node);
