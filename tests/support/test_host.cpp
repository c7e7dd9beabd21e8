#include "tests/support/test_host.h"

std::vector<int> TestHost::progressPercents() const {
  std::vector<int> percents;
  for (const ProgressEvent& e : events_)
    if (e.kind == ProgressEvent::kUpdate) percents.push_back(e.percent);
  return percents;
}

void TestHost::progressStart(const char* title, bool, ProgressWork, void*) {
  events_.push_back({ProgressEvent::kStart, 0, title ? title : ""});
}

void TestHost::progressUpdate(int percent, bool, const char* title) {
  events_.push_back({ProgressEvent::kUpdate, percent, title ? title : ""});
}

bool TestHost::getCancel() {
  ++queries_;
  return cancelOn_ > 0 && queries_ >= cancelOn_;
}
