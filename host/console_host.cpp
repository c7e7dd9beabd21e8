#include "host/console_host.h"

#include <signal.h>

#include <algorithm>
#include <csignal>

namespace {

constexpr int kBarWidth = 30;

volatile std::sig_atomic_t interruptFlag = 0;
struct sigaction previousAction;

extern "C" void onInterrupt(int) {
  interruptFlag = 1;
}

}  // namespace

void ProgressDisplay::start(const std::string& title) {
  running_ = true;
  title_ = title;
  percent_ = 0;
  printedPercent_ = -1;
  drawn_ = false;
  if (shown()) {
    draw();
  } else if (stageLines_ && !terminal_) {
    out_ << title_ << '\n';
    out_.flush();
  }
}

void ProgressDisplay::update(int percent) {
  if (!running_) return;
  percent_ = std::clamp(percent, 0, 100);
  if (shown() && (percent_ != printedPercent_ || !drawn_)) draw();
}

void ProgressDisplay::end() {
  if (!running_) return;
  running_ = false;
  if (!shown()) return;
  if (!drawn_) draw();
  out_ << '\n';
  drawn_ = false;
  out_.flush();
}

void ProgressDisplay::breakLine() {
  if (!drawn_) return;
  out_ << '\n';
  drawn_ = false;
}

void ProgressDisplay::draw() {
  const int filled = percent_ * kBarWidth / 100;
  out_ << '\r' << title_ << " [" << std::string(filled, '#') << std::string(kBarWidth - filled, '.')
       << "] " << percent_ << '%';
  out_.flush();
  drawn_ = true;
  printedPercent_ = percent_;
}

ConsoleHost::~ConsoleHost() {
  releaseInterrupt();
}

void ConsoleHost::catchInterrupt() {
  if (catching_) return;
  interruptFlag = 0;
  // A shell that started us with SIGINT ignored (a background job, nohup) keeps it so.
  struct sigaction current = {};
  if (sigaction(SIGINT, nullptr, &current) == 0 && current.sa_handler == SIG_IGN) return;
  struct sigaction action = {};
  action.sa_handler = onInterrupt;
  sigemptyset(&action.sa_mask);
  // After the first Ctrl-C the default comes back: a second one ends the process.
  action.sa_flags = SA_RESETHAND | SA_RESTART;
  catching_ = sigaction(SIGINT, &action, &previousAction) == 0;
}

void ConsoleHost::releaseInterrupt() {
  if (!catching_) return;
  sigaction(SIGINT, &previousAction, nullptr);
  catching_ = false;
}

void ConsoleHost::progressStart(const char* title, bool, ProgressWork, void*) {
  progressStarted_ = true;
  updates_ = 0;
  catchInterrupt();
  progress_.start(title ? title : "");
}

void ConsoleHost::progressUpdate(int percent, bool, const char*) {
  ++updates_;
  progress_.update(percent);
}

void ConsoleHost::progressEnd() {
  progress_.end();
  releaseInterrupt();
}

bool ConsoleHost::getCancel() {
  return interruptFlag != 0;
}

bool ConsoleHost::interrupted() const {
  return progressStarted_ && interruptFlag != 0;
}
