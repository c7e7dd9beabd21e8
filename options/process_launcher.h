#pragma once
// Starting the programs that open a web link: argv straight to execvp, never a
// shell, so nothing in a link target is interpreted. Behind an interface so that
// tests script the outcomes and never open a real browser.

#include <chrono>
#include <string>
#include <vector>

// What starting a program came to.
struct LaunchOutcome {
  enum class Kind {
    kNotStarted,  // code: the errno of fork or execvp
    kExited,      // code: the exit status
    kSignalled,   // code: the signal number
    kRunning,     // still running when the launcher stopped waiting: started
  };
  Kind kind = Kind::kNotStarted;
  int code = 0;
};

class ProgramLauncher {
 public:
  virtual ~ProgramLauncher() = default;

  // Starts argv[0], searched on PATH, with the rest as its arguments, and waits
  // a moment for it to end; a program still running after that is left alone.
  virtual LaunchOutcome run(const std::vector<std::string>& argv) = 0;
  // Runs argv to its end and gives what it wrote to standard output.
  virtual LaunchOutcome capture(const std::vector<std::string>& argv, std::string& output) = 0;
};

class ProcessLauncher : public ProgramLauncher {
 public:
  // `settle`: how long run() waits for a program to end (a browser may never end);
  // `captureLimit`: how long capture() lets a program run before it is killed.
  explicit ProcessLauncher(std::chrono::milliseconds settle = std::chrono::milliseconds(2000),
                           std::chrono::milliseconds captureLimit = std::chrono::seconds(5))
      : settle_(settle), captureLimit_(captureLimit) {}

  LaunchOutcome run(const std::vector<std::string>& argv) override;
  LaunchOutcome capture(const std::vector<std::string>& argv, std::string& output) override;

 private:
  std::chrono::milliseconds settle_;
  std::chrono::milliseconds captureLimit_;
};
