#pragma once
// The host of the zorvel command: the loaded scene, a progress bar on standard
// error or in a window, Ctrl-C (or the window's Cancel) as the user's cancel, and
// the scene's bitmap manager.

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <ostream>
#include <string>
#include <thread>

#include "host/memory_scene.h"
#include "host/progress_window.h"
#include "plugin/host_interface.h"

// The progress bar on a terminal, redrawn in place to fit its width, and only
// when the percentage changes; while one step takes longer than a second, the
// seconds it has taken show beside the bar. Elsewhere (a pipe, a log, an export
// among several) it shows nothing: bars are for watching, and logs keep the
// warnings and the summary.
class ProgressDisplay {
 public:
  ProgressDisplay(std::ostream& out, bool terminal, bool quiet, int columns = 80)
      : out_(out), terminal_(terminal), quiet_(quiet), columns_(columns) {}
  ~ProgressDisplay();
  ProgressDisplay(const ProgressDisplay&) = delete;
  ProgressDisplay& operator=(const ProgressDisplay&) = delete;

  // Off a terminal, also a line when a stage starts (for -v and logs that time it).
  void setStageLines(bool on) { stageLines_ = on; }

  void start(const std::string& title);
  void update(int percent);
  // The work stopped updating; the bar stays on its line until finish.
  void end();
  // Draws 100% after work that succeeded, and gives the line back either way.
  void finish(bool succeeded);
  // Ends a bar drawn on the terminal's current line, so that a message gets a line
  // of its own; the next update draws the bar again.
  void breakLine();

  bool running() const { return running_; }

  // The line drawn for `percent` after `seconds` in the current step (0: none
  // shown), at most columns - 1 wide so that it never wraps.
  static std::string line(const std::string& title, int percent, int seconds, int columns);

 private:
  bool shown() const { return terminal_ && !quiet_; }
  void draw();  // with mutex_ held
  void tick();
  void stopTicking();

  std::ostream& out_;
  bool terminal_;
  bool quiet_;
  int columns_;
  bool stageLines_ = false;
  bool running_ = false;
  bool drawn_ = false;  // a bar stands on the current terminal line
  std::string title_;
  int percent_ = 0;
  int printedPercent_ = -1;
  int printedSeconds_ = 0;
  std::chrono::steady_clock::time_point stepStarted_;
  // Redraws the elapsed seconds while the exporter is busy with one node.
  std::mutex mutex_;
  std::condition_variable wake_;
  std::thread ticker_;
};

class ConsoleHost : public HostInterface {
 public:
  ConsoleHost(MemoryScene& scene, ProgressDisplay& progress) : scene_(scene), progress_(progress) {}
  // Gives SIGINT back to its previous handler if an export is still running.
  ~ConsoleHost() override;
  ConsoleHost(const ConsoleHost&) = delete;
  ConsoleHost& operator=(const ConsoleHost&) = delete;

  SceneNode* rootNode() override { return &scene_.root(); }
  // Ctrl-C cancels from here until progressEnd; a second Ctrl-C ends the process.
  void progressStart(const char* title, bool showBar, ProgressWork work, void* arg) override;
  void progressUpdate(int percent, bool showPercent = true, const char* title = nullptr) override;
  void progressEnd() override;
  bool getCancel() override;
  BitmapManager* bitmapManager() override { return &scene_.bitmapManager(); }

  // Hears what went wrong extracting the scene's embedded images, and a window
  // that cannot be shown.
  void setWarningSink(PendingImages::Warn warn) { warn_ = std::move(warn); }
  // Whether the scene's embedded images are written out once the export starts.
  // Unwritten ones are read from memory.
  void setExtractImages(bool on);
  // The export's progress shows in `window` (loaded) instead of on the terminal;
  // without a display it falls back to the terminal with a warning.
  void setProgressWindow(ProgressWindow* window) { window_ = window; }

  // Whether the export got as far as its progress display (it does not after a
  // cancelled dialog or an output that cannot be opened).
  bool progressStarted() const { return progressStarted_; }
  // The exporter updates the progress once after each node it has written in
  // full, so the count of updates is the count of such nodes.
  int nodesFinished() const { return updates_; }
  // Whether Ctrl-C came during the export.
  bool interrupted() const;
  // Whether the progress window's Cancel (or its closing) ended the export.
  bool cancelled() const { return cancelled_; }

 private:
  void catchInterrupt();
  void releaseInterrupt();

  MemoryScene& scene_;
  ProgressDisplay& progress_;
  PendingImages::Warn warn_;
  bool extractImages_ = true;
  ProgressWindow* window_ = nullptr;
  bool progressStarted_ = false;
  bool cancelled_ = false;
  bool catching_ = false;
  int updates_ = 0;
};
