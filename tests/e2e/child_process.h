// Programs run from the end-to-end tests, their output read through pipes.
#pragma once

#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <string>
#include <utility>
#include <vector>

extern char** environ;

namespace e2e {

// A program run with its standard output and error read through pipes.
class Child {
 public:
  explicit Child(const std::vector<std::string>& args, const std::vector<std::string>& env = {},
                 const std::string& dir = "") {
    int outPipe[2], errPipe[2];
    if (pipe(outPipe) != 0 || pipe(errPipe) != 0) return;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    if (!dir.empty()) posix_spawn_file_actions_addchdir_np(&actions, dir.c_str());
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_adddup2(&actions, outPipe[1], 1);
    posix_spawn_file_actions_adddup2(&actions, errPipe[1], 2);
    for (int fd : {outPipe[0], outPipe[1], errPipe[0], errPipe[1]})
      posix_spawn_file_actions_addclose(&actions, fd);
    std::vector<char*> argv;
    for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    std::vector<std::string> envText(env);
    for (char** e = environ; *e; ++e) envText.push_back(*e);
    std::vector<char*> envp;
    for (std::string& e : envText) envp.push_back(e.data());
    envp.push_back(nullptr);
    // Ctrl-C reaches the program even when this test runs with SIGINT ignored.
    posix_spawnattr_t attributes;
    posix_spawnattr_init(&attributes);
    sigset_t defaults;
    sigemptyset(&defaults);
    sigaddset(&defaults, SIGINT);
    posix_spawnattr_setsigdefault(&attributes, &defaults);
    posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSIGDEF);
    if (posix_spawn(&pid_, argv[0], &actions, &attributes, argv.data(), envp.data()) != 0)
      pid_ = -1;
    posix_spawnattr_destroy(&attributes);
    posix_spawn_file_actions_destroy(&actions);
    close(outPipe[1]);
    close(errPipe[1]);
    outFd_ = outPipe[0];
    errFd_ = errPipe[0];
  }
  ~Child() {
    if (pid_ > 0) finish();
  }

  bool started() const { return pid_ > 0; }

  // Reads both streams until `text` shows on standard error, or both have ended.
  bool waitForErr(const std::string& text) {
    while (err.find(text) == std::string::npos)
      if (!readSome()) return false;
    return true;
  }
  void signal(int sig) { kill(pid_, sig); }

  // Reads the rest and reaps the program: its exit status, or 128 + a signal.
  int finish() {
    while (readSome()) {
    }
    int status = 0;
    waitpid(pid_, &status, 0);
    pid_ = -1;
    return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
  }

  std::string out;
  std::string err;

 private:
  bool readSome() {
    pollfd fds[2] = {{outFd_, POLLIN, 0}, {errFd_, POLLIN, 0}};
    if (outFd_ < 0 && errFd_ < 0) return false;
    if (poll(fds, 2, -1) < 0) return errno == EINTR;
    char buffer[65536];
    for (auto [fd, text] : {std::pair{&outFd_, &out}, std::pair{&errFd_, &err}}) {
      if (*fd < 0) continue;
      const pollfd& p = fd == &outFd_ ? fds[0] : fds[1];
      if (!(p.revents & (POLLIN | POLLHUP | POLLERR))) continue;
      const ssize_t n = read(*fd, buffer, sizeof buffer);
      if (n > 0) {
        text->append(buffer, size_t(n));
      } else {
        close(*fd);
        *fd = -1;
      }
    }
    return true;
  }

  pid_t pid_ = -1;
  int outFd_ = -1;
  int errFd_ = -1;
};

struct RunResult {
  int status;
  std::string out;
  std::string err;
};

// Runs a program to its end, in `dir` when one is given.
inline RunResult run(const std::vector<std::string>& args, const std::vector<std::string>& env = {},
                     const std::string& dir = "") {
  Child child(args, env, dir);
  EXPECT_TRUE(child.started()) << args[0];
  const int status = child.finish();
  return {status, child.out, child.err};
}

}  // namespace e2e
