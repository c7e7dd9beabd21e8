#include "options/process_launcher.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>

namespace {

// What the launch processes tell the caller through the report pipe.
struct Report {
  int kind;
  int code;
};

constexpr size_t kCaptureLimit = 64 * 1024;

// argv as execvp wants it; the strings stay owned by the caller's vector.
std::vector<char*> execArgs(const std::vector<std::string>& argv) {
  std::vector<char*> args;
  args.reserve(argv.size() + 1);
  for (const std::string& a : argv) args.push_back(const_cast<char*>(a.c_str()));
  args.push_back(nullptr);
  return args;
}

// Only async-signal-safe calls from here on: they run in forked children.
void sendReport(int fd, LaunchOutcome::Kind kind, int code) {
  Report r{static_cast<int>(kind), code};
  ssize_t n;
  do n = write(fd, &r, sizeof r);
  while (n < 0 && errno == EINTR);
}

LaunchOutcome outcomeOfStatus(int status) {
  if (WIFSIGNALED(status)) return {LaunchOutcome::Kind::kSignalled, WTERMSIG(status)};
  return {LaunchOutcome::Kind::kExited, WEXITSTATUS(status)};
}

long long nowMs() {
  timespec ts;
  clock_gettime(CLOCK_MONOTONIC, &ts);
  return static_cast<long long>(ts.tv_sec) * 1000 + ts.tv_nsec / 1000000;
}

void execOrReport(char* const* args, int reportFd) {
  sigset_t none;
  sigemptyset(&none);
  sigprocmask(SIG_SETMASK, &none, nullptr);
  execvp(args[0], args);
  sendReport(reportFd, LaunchOutcome::Kind::kNotStarted, errno);
  _exit(127);
}

pid_t waitRetrying(pid_t pid, int* status, int flags) {
  pid_t r;
  do r = waitpid(pid, status, flags);
  while (r < 0 && errno == EINTR);
  return r;
}

}  // namespace

LaunchOutcome ProcessLauncher::run(const std::vector<std::string>& argv) {
  if (argv.empty() || argv[0].empty()) return {LaunchOutcome::Kind::kNotStarted, ENOENT};
  std::vector<char*> args = execArgs(argv);
  int report[2];
  if (pipe2(report, O_CLOEXEC) != 0) return {LaunchOutcome::Kind::kNotStarted, errno};
  const long long settleMs = settle_.count();

  // A middle process starts the program and waits for it at most `settle`; when
  // it leaves, a program still running is adopted by init, so no zombie stays
  // behind in the host and the caller never waits on a browser.
  pid_t middle = fork();
  if (middle < 0) {
    int e = errno;
    close(report[0]);
    close(report[1]);
    return {LaunchOutcome::Kind::kNotStarted, e};
  }
  if (middle == 0) {
    close(report[0]);
    pid_t child = fork();
    if (child < 0) {
      sendReport(report[1], LaunchOutcome::Kind::kNotStarted, errno);
      _exit(0);
    }
    if (child == 0) {
      setsid();  // a browser outlives the dialog and its terminal
      execOrReport(args.data(), report[1]);
    }
    const long long deadline = nowMs() + settleMs;
    for (;;) {
      int status = 0;
      if (waitRetrying(child, &status, WNOHANG) == child) {
        LaunchOutcome done = outcomeOfStatus(status);
        sendReport(report[1], done.kind, done.code);
        _exit(0);
      }
      if (nowMs() >= deadline) break;
      timespec pause{0, 10 * 1000 * 1000};
      nanosleep(&pause, nullptr);
    }
    sendReport(report[1], LaunchOutcome::Kind::kRunning, 0);
    _exit(0);
  }

  close(report[1]);
  // The first report is the one that counts: an exec failure comes before the
  // middle process reports its child's exit status 127.
  LaunchOutcome outcome{LaunchOutcome::Kind::kNotStarted, ECHILD};
  bool first = true;
  Report r;
  for (;;) {
    ssize_t n = read(report[0], &r, sizeof r);
    if (n < 0 && errno == EINTR) continue;
    if (n != static_cast<ssize_t>(sizeof r)) break;
    if (first) outcome = {static_cast<LaunchOutcome::Kind>(r.kind), r.code};
    first = false;
  }
  close(report[0]);
  int status = 0;
  waitRetrying(middle, &status, 0);
  return outcome;
}

LaunchOutcome ProcessLauncher::capture(const std::vector<std::string>& argv, std::string& output) {
  output.clear();
  if (argv.empty() || argv[0].empty()) return {LaunchOutcome::Kind::kNotStarted, ENOENT};
  std::vector<char*> args = execArgs(argv);
  int out[2];
  int report[2];
  if (pipe2(out, O_CLOEXEC) != 0) return {LaunchOutcome::Kind::kNotStarted, errno};
  if (pipe2(report, O_CLOEXEC) != 0) {
    int e = errno;
    close(out[0]);
    close(out[1]);
    return {LaunchOutcome::Kind::kNotStarted, e};
  }
  pid_t child = fork();
  if (child < 0) {
    int e = errno;
    for (int fd : {out[0], out[1], report[0], report[1]}) close(fd);
    return {LaunchOutcome::Kind::kNotStarted, e};
  }
  if (child == 0) {
    if (dup2(out[1], STDOUT_FILENO) < 0) {
      sendReport(report[1], LaunchOutcome::Kind::kNotStarted, errno);
      _exit(127);
    }
    execOrReport(args.data(), report[1]);
  }
  close(out[1]);
  close(report[1]);

  Report r;
  ssize_t n;
  do n = read(report[0], &r, sizeof r);
  while (n < 0 && errno == EINTR);
  close(report[0]);
  if (n == static_cast<ssize_t>(sizeof r)) {
    close(out[0]);
    int status = 0;
    waitRetrying(child, &status, 0);
    return {static_cast<LaunchOutcome::Kind>(r.kind), r.code};
  }

  const long long deadline = nowMs() + captureLimit_.count();
  bool timedOut = false;
  char buffer[4096];
  for (;;) {
    long long left = deadline - nowMs();
    if (left <= 0) {
      timedOut = true;
      break;
    }
    pollfd p{out[0], POLLIN, 0};
    int ready = poll(&p, 1, static_cast<int>(left));
    if (ready < 0 && errno == EINTR) continue;
    if (ready <= 0) {
      timedOut = ready == 0;
      break;
    }
    ssize_t got = read(out[0], buffer, sizeof buffer);
    if (got < 0 && errno == EINTR) continue;
    if (got <= 0) break;
    size_t room = kCaptureLimit - std::min(kCaptureLimit, output.size());
    output.append(buffer, std::min(room, static_cast<size_t>(got)));
  }
  close(out[0]);
  if (timedOut) kill(child, SIGKILL);
  int status = 0;
  if (waitRetrying(child, &status, 0) != child) return {LaunchOutcome::Kind::kNotStarted, ECHILD};
  return outcomeOfStatus(status);
}
