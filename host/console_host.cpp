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

ProgressDisplay::~ProgressDisplay() {
  stopTicking();
  if (drawn_) out_ << '\n';
}

std::string ProgressDisplay::line(const std::string& title, int percent, int seconds, int columns) {
  const std::string number = std::to_string(percent) + "%";
  const std::string elapsed = seconds > 0 ? "  " + std::to_string(seconds) + " s" : "";
  const int room = columns - 1 - int(title.size() + 4 + number.size() + elapsed.size());
  const int width = std::min(room, kBarWidth);
  if (width < 5)
    return (title + " " + number + elapsed).substr(0, size_t(std::max(0, columns - 1)));
  const int filled = percent * width / 100;
  return title + " [" + std::string(size_t(filled), '#') +
         std::string(size_t(width - filled), '.') + "] " + number + elapsed;
}

void ProgressDisplay::start(const std::string& title) {
  stopTicking();
  std::lock_guard<std::mutex> lock(mutex_);
  running_ = true;
  title_ = title;
  percent_ = 0;
  printedPercent_ = -1;
  printedSeconds_ = 0;
  stepStarted_ = std::chrono::steady_clock::now();
  if (drawn_) out_ << '\n';
  drawn_ = false;
  if (shown()) {
    draw();
    ticker_ = std::thread([this] { tick(); });
  } else if (stageLines_ && !terminal_) {
    out_ << title_ << '\n';
    out_.flush();
  }
}

void ProgressDisplay::update(int percent) {
  std::lock_guard<std::mutex> lock(mutex_);
  if (!running_) return;
  percent_ = std::clamp(percent, 0, 100);
  stepStarted_ = std::chrono::steady_clock::now();
  if (shown() && (percent_ != printedPercent_ || printedSeconds_ > 0 || !drawn_)) {
    printedSeconds_ = 0;
    draw();
  }
}

void ProgressDisplay::end() {
  stopTicking();
  std::lock_guard<std::mutex> lock(mutex_);
  running_ = false;
}

void ProgressDisplay::finish(bool succeeded) {
  end();
  std::lock_guard<std::mutex> lock(mutex_);
  if (!shown()) return;
  if (succeeded && printedPercent_ >= 0) {
    percent_ = 100;
    printedSeconds_ = 0;
    draw();
  }
  if (drawn_) out_ << '\n';
  out_.flush();
  drawn_ = false;
}

void ProgressDisplay::breakLine() {
  std::lock_guard<std::mutex> lock(mutex_);
  if (!drawn_) return;
  out_ << '\n';
  out_.flush();
  drawn_ = false;
}

void ProgressDisplay::draw() {
  // "\x1b[K" clears what a longer line before left behind.
  out_ << '\r' << line(title_, percent_, printedSeconds_, columns_) << "\x1b[K";
  out_.flush();
  drawn_ = true;
  printedPercent_ = percent_;
}

void ProgressDisplay::tick() {
  std::unique_lock<std::mutex> lock(mutex_);
  while (running_) {
    wake_.wait_for(lock, std::chrono::milliseconds(250));
    if (!running_ || !drawn_) continue;  // a message owns the line until the next update
    const auto busy = std::chrono::steady_clock::now() - stepStarted_;
    const int seconds = int(std::chrono::duration_cast<std::chrono::seconds>(busy).count());
    if (seconds >= 1 && seconds != printedSeconds_) {
      printedSeconds_ = seconds;
      draw();
    }
  }
}

void ProgressDisplay::stopTicking() {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    if (!ticker_.joinable()) return;
    running_ = false;
  }
  wake_.notify_all();
  ticker_.join();
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

void ConsoleHost::setExtractImages(bool on) {
  extractImages_ = on;
  const PendingImages& pending = scene_.pendingImages();
  scene_.bitmapManager().setHeldImages(
      on ? FileBitmapManager::HeldImages()
         : [&pending](const std::string& path) { return pending.bytesOf(path); });
}

void ConsoleHost::progressStart(const char* title, bool, ProgressWork, void*) {
  progressStarted_ = true;
  cancelled_ = false;
  updates_ = 0;
  catchInterrupt();
  const PendingImages::Warn warn = warn_ ? warn_ : [](const std::string&) {};
  // The export has started (the dialog accepted it): the scene's own images may
  // now be written, before the first texture is read.
  if (extractImages_) scene_.pendingImages().extract(warn);
  const std::string stage = title ? title : "";
  if (window_ && !window_->isOpen() && !window_->open(stage)) {
    warn("cannot show the progress window: no display; progress shows on the terminal");
    window_ = nullptr;
  }
  if (!window_) progress_.start(stage);
}

void ConsoleHost::progressUpdate(int percent, bool, const char* title) {
  ++updates_;
  if (window_)
    window_->update(percent, title);
  else
    progress_.update(percent);
}

void ConsoleHost::progressEnd() {
  if (window_) window_->close();
  progress_.end();
  releaseInterrupt();
}

bool ConsoleHost::getCancel() {
  if (interruptFlag != 0) return true;
  if (window_ && window_->cancelled()) cancelled_ = true;
  return cancelled_;
}

bool ConsoleHost::interrupted() const {
  return progressStarted_ && interruptFlag != 0;
}
