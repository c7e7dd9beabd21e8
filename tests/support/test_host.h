#pragma once
// Hosts for tests: a host interface over a MemoryScene that records the progress
// calls and cancels on request, and an export interface that collects messages.

#include <string>
#include <vector>

#include "host/memory_scene.h"
#include "plugin/export_interface.h"
#include "plugin/host_interface.h"

class TestHost : public HostInterface {
 public:
  struct ProgressEvent {
    enum Kind { kStart, kUpdate, kEnd } kind;
    int percent;        // updates only
    std::string title;  // start, and updates that give one
  };

  explicit TestHost(MemoryScene& scene) : scene_(scene) {}

  // Cancel queries from the n-th on (1-based) answer true; 0 never cancels.
  void cancelOnQuery(int n) { cancelOn_ = n; }
  int cancelQueries() const { return queries_; }
  const std::vector<ProgressEvent>& progress() const { return events_; }
  // The percentages of the updates, in order.
  std::vector<int> progressPercents() const;

  SceneNode* rootNode() override { return &scene_.root(); }
  void progressStart(const char* title, bool showBar, ProgressWork work, void* arg) override;
  void progressUpdate(int percent, bool showPercent = true, const char* title = nullptr) override;
  void progressEnd() override { events_.push_back({ProgressEvent::kEnd, 0, {}}); }
  bool getCancel() override;
  BitmapManager* bitmapManager() override { return &scene_.bitmapManager(); }

 private:
  MemoryScene& scene_;
  std::vector<ProgressEvent> events_;
  int cancelOn_ = 0;
  int queries_ = 0;
};

class TestExportInterface : public ExportInterface {
 public:
  DialogView view = DialogView::kBatch;
  DialogFieldValues values;
  std::vector<std::string> errors;
  std::vector<std::string> warnings;

  DialogView dialogView() const override { return view; }
  const DialogFieldValues& batchValues() const override { return values; }
  void error(const std::string& text) override { errors.push_back(text); }
  void warning(const std::string& text) override { warnings.push_back(text); }
};
