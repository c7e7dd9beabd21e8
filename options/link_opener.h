#pragma once
// Opening a web link in the user's browser: `xdg-open` first, then the desktop's
// default handler for text/html. Results read as the Windows shell's do, so the
// hyperlink's error texts apply: above 32 is success, 0..32 the shell's error
// numbers, and failures with no such number are negative (-status for an exit
// status, -(128 + n) for signal n, -errno for a program that could not start).

#include <string>
#include <vector>

#include "options/desktop_entry.h"
#include "options/process_launcher.h"

// The shell results this system gives.
enum LinkOpenResult : int {
  kOpenOutOfResources = 0,
  kOpenFileNotFound = 2,
  kOpenPathNotFound = 3,
  kOpenAccessDenied = 5,
  kOpenNotEnoughMemory = 8,
  kOpenBadExecutable = 11,
  kOpenNoAssociation = 31,
  kOpenSucceeded = 33,
};

// The result of running a link handler: started (exit 0, or still running) is
// success; a program that could not start maps by its errno.
int launchResult(const LaunchOutcome& outcome);
// The same for xdg-open, whose exit statuses 2 (no such file) and 3 (no tool to
// open it with) have listed counterparts; xdg-open not installed is no tool either.
int xdgOpenResult(const LaunchOutcome& outcome);

class LinkOpener {
 public:
  explicit LinkOpener(ProgramLauncher& launcher,
                      std::vector<std::string> applicationDirs = desktopApplicationDirs())
      : launcher_(launcher), applicationDirs_(std::move(applicationDirs)) {}

  // The target is always one argument of its own, never read by a shell; a
  // target that a program would take for an option is refused.
  [[nodiscard]] int open(const std::string& target);

 private:
  // The default text/html handler's command for `target`; empty when the
  // desktop names none or its entry cannot be read.
  std::vector<std::string> defaultHtmlHandler(const std::string& target);

  ProgramLauncher& launcher_;
  std::vector<std::string> applicationDirs_;
};

// Opens `target` with real processes.
[[nodiscard]] int openLink(const std::string& target);
