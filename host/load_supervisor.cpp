#include "host/load_supervisor.h"

#include <poll.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <iostream>

#include "host/zorvel_command.h"

namespace {

volatile sig_atomic_t gForward = 0;

// A Ctrl-C at the terminal reaches the child as well (si_code SI_KERNEL); one
// sent with kill to this process alone is passed on.
extern "C" void onSupervisorInterrupt(int, siginfo_t* info, void*) {
  if (info && info->si_code <= 0) gForward = 1;
}

std::string signalName(int sig) {
  const char* name = strsignal(sig);
  return name ? name : "signal " + std::to_string(sig);
}

}  // namespace

void LoadWatch::loaded() {
  if (fd_ < 0) return;
  const char mark = 'L';
  while (write(fd_, &mark, 1) < 0 && errno == EINTR) {
  }
  close(fd_);
  fd_ = -1;
}

int runSupervised(const LoadSupervision& s, const std::function<int(LoadWatch&)>& work,
                  std::ostream& err) {
  int pipeFds[2];
  if (pipe(pipeFds) != 0) {
    LoadWatch none;
    return work(none);  // no supervision rather than no export
  }
  // The child meets Ctrl-C itself; the parent stays to say what happened.
  struct sigaction interrupt = {}, before = {};
  interrupt.sa_sigaction = onSupervisorInterrupt;
  interrupt.sa_flags = SA_SIGINFO;  // no SA_RESTART: waits wake up to pass it on
  sigemptyset(&interrupt.sa_mask);
  gForward = 0;
  sigaction(SIGINT, &interrupt, &before);
  std::cout.flush();
  err.flush();
  // Held across the fork, so that a Ctrl-C there meets the right handler.
  sigset_t interruptOnly, unblocked;
  sigemptyset(&interruptOnly);
  sigaddset(&interruptOnly, SIGINT);
  sigprocmask(SIG_BLOCK, &interruptOnly, &unblocked);
  const pid_t child = fork();
  if (child != 0) sigprocmask(SIG_SETMASK, &unblocked, nullptr);
  if (child < 0) {
    sigaction(SIGINT, &before, nullptr);
    close(pipeFds[0]);
    close(pipeFds[1]);
    LoadWatch none;
    return work(none);
  }
  if (child == 0) {
    // Ctrl-C is the child's own again; and it does not outlive a killed parent.
    sigaction(SIGINT, &before, nullptr);
    sigprocmask(SIG_SETMASK, &unblocked, nullptr);
    prctl(PR_SET_PDEATHSIG, SIGKILL);
    if (getppid() == 1) _exit(kExitFailed);
    close(pipeFds[0]);
    LoadWatch watch(pipeFds[1]);
    int status = kExitFailed;
    try {
      status = work(watch);
    } catch (...) {
    }
    std::cout.flush();
    std::cerr.flush();
    _exit(status);
  }
  close(pipeFds[1]);

  bool loaded = false, timedOut = false;
  const auto started = std::chrono::steady_clock::now();
  const auto passOn = [child] {
    if (gForward) kill(child, SIGINT);
    gForward = 0;
  };
  while (!loaded) {
    passOn();
    int waitMs = 250;
    if (s.timeoutSeconds > 0) {
      const auto spent = std::chrono::steady_clock::now() - started;
      const auto left = std::chrono::seconds(s.timeoutSeconds) - spent;
      if (left <= std::chrono::seconds(0)) {
        timedOut = true;
        break;
      }
      waitMs = int(std::min<long long>(
          waitMs, std::chrono::duration_cast<std::chrono::milliseconds>(left).count() + 1));
    }
    pollfd p = {pipeFds[0], POLLIN, 0};
    const int ready = poll(&p, 1, waitMs);
    if (ready < 0 && errno != EINTR) break;
    if (ready <= 0) continue;
    char mark = 0;
    const ssize_t n = read(pipeFds[0], &mark, 1);
    if (n < 0 && errno == EINTR) continue;
    if (n == 1) loaded = true;
    if (n <= 0) break;  // the child ended, or closed the pipe without a word
  }
  close(pipeFds[0]);
  if (timedOut) kill(child, SIGKILL);

  int status = 0;
  while (waitpid(child, &status, 0) < 0 && errno == EINTR) passOn();
  sigaction(SIGINT, &before, nullptr);

  if (timedOut) {
    err << "zorvel: the reader gave no answer in " << s.timeoutSeconds << " s on " << s.input
        << " (--load-timeout)\n";
    return kExitUsage;
  }
  if (WIFEXITED(status)) return WEXITSTATUS(status);
  const int sig = WTERMSIG(status);
  if (sig == SIGINT) {
    err << "zorvel: interrupted" << (loaded ? "" : " while loading " + s.input)
        << "; nothing written\n";
    return kExitInterrupted;
  }
  if (!loaded) {
    err << "zorvel: the reader crashed on " << s.input << " (" << signalName(sig) << ")\n";
    return kExitUsage;
  }
  err << "zorvel: the export of " << s.input << " crashed (" << signalName(sig) << ")\n";
  return kExitFailed;
}
