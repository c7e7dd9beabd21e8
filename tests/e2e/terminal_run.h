// A program run on a pseudo-terminal of a given width, as a user's terminal runs it,
// with what the user types given beforehand.
#pragma once

#include <pty.h>
#include <sys/ioctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace e2e {

struct TerminalRun {
  int status = -1;
  std::string screen;      // everything written to the terminal, escapes included
  std::string noTerminal;  // why no pseudo-terminal could be opened (a chroot may lack them)
};

// `typed` reaches the program as keys would; `env` entries ("NAME=value") are added.
inline TerminalRun runInTerminal(const std::vector<std::string>& args, int columns,
                                 const std::string& dir = "", const std::string& typed = "",
                                 const std::vector<std::string>& env = {}) {
  TerminalRun result;
  winsize size = {};
  size.ws_row = 24;
  size.ws_col = static_cast<unsigned short>(columns);
  int master = -1;
  const pid_t pid = forkpty(&master, nullptr, nullptr, &size);
  if (pid < 0) {
    result.noTerminal = std::string("no pseudo-terminal: ") + std::strerror(errno);
    return result;
  }
  if (pid == 0) {
    std::vector<char*> argv;
    for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    if (!dir.empty() && chdir(dir.c_str()) != 0) _exit(127);
    for (const std::string& e : env) putenv(const_cast<char*>(e.c_str()));
    execv(argv[0], argv.data());
    _exit(127);
  }
  // The terminal holds the keys until the program reads them.
  for (size_t at = 0; at < typed.size();) {
    const ssize_t n = write(master, typed.data() + at, typed.size() - at);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) break;
    at += size_t(n);
  }
  char buffer[65536];
  for (;;) {
    const ssize_t n = read(master, buffer, sizeof buffer);
    if (n > 0) {
      result.screen.append(buffer, size_t(n));
    } else if (n < 0 && errno == EINTR) {
      continue;
    } else {
      break;  // EIO once the program has closed the terminal
    }
  }
  close(master);
  int status = 0;
  waitpid(pid, &status, 0);
  result.status = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
  return result;
}

}  // namespace e2e
