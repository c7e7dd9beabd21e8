#include "host/export_each.h"

#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <map>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "host/output_path.h"
#include "host/zorvel_command.h"

extern char** environ;

namespace fs = std::filesystem;

namespace {

volatile sig_atomic_t gInterrupted = 0;

extern "C" void onInterruptOfEach(int) {
  gInterrupted = 1;
}

// A child's standard output or error, kept in an unnamed file until it ends.
struct Capture {
  std::unique_ptr<std::FILE, int (*)(std::FILE*)> file{std::tmpfile(), std::fclose};

  int fd() const { return file ? fileno(file.get()) : -1; }
  void copyTo(std::ostream& to) {
    if (!file) return;
    std::rewind(file.get());
    char buffer[4096];
    for (size_t n; (n = std::fread(buffer, 1, sizeof buffer, file.get())) > 0;)
      to.write(buffer, std::streamsize(n));
    to.flush();
  }
};

struct Child {
  size_t input = 0;
  Capture out, err;
};

// Two inputs that would land on one file: "" when there are none.
std::string collisions(const CommandLine& args) {
  std::map<std::string, std::vector<std::string>> byOutput;
  for (const std::string& input : args.inputs)
    byOutput[fs::absolute(outputInFolder(args.outputDir, input)).lexically_normal().string()]
        .push_back(input);
  std::string text;
  for (const auto& [output, inputs] : byOutput) {
    if (inputs.size() < 2) continue;
    text += "zorvel: ";
    for (size_t i = 0; i < inputs.size(); ++i)
      text += (i == 0 ? "" : i + 1 == inputs.size() ? " and " : ", ") + inputs[i];
    text += std::string(inputs.size() == 2 ? " would both" : " would all") + " be written to " +
            outputInFolder(args.outputDir, inputs[0]) + "\n";
  }
  return text;
}

pid_t spawn(const std::vector<std::string>& arguments, Child& child) {
  std::vector<char*> argv;
  for (const std::string& a : arguments) argv.push_back(const_cast<char*>(a.c_str()));
  argv.push_back(nullptr);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  if (child.out.fd() >= 0) posix_spawn_file_actions_adddup2(&actions, child.out.fd(), 1);
  if (child.err.fd() >= 0) posix_spawn_file_actions_adddup2(&actions, child.err.fd(), 2);
  pid_t pid = -1;
  const int failed = posix_spawn(&pid, "/proc/self/exe", &actions, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  return failed ? -1 : pid;
}

}  // namespace

int exportEach(const CommandLine& args, int argc, const char* const* argv, std::ostream& out,
               std::ostream& err) {
  if (const std::string problem = folderProblem(args.outputDir); !problem.empty()) {
    err << "zorvel: cannot write into " << args.outputDir << ": " << problem << '\n';
    return kExitUsage;
  }
  if (const std::string text = collisions(args); !text.empty()) {
    err << text << "zorvel: nothing exported; rename one of them or export it apart\n";
    return kExitUsage;
  }

  std::vector<std::string> common(argv, argv + argc);
  // Every child types the same fields into its own dialog; none may open a window.
  if (!args.noPrompt && !args.dialog) common.push_back("--dialog=batch");
  const size_t jobs =
      args.jobs > 0 ? size_t(args.jobs) : std::max(1u, std::thread::hardware_concurrency());

  struct sigaction interrupt = {}, before = {};
  interrupt.sa_handler = onInterruptOfEach;  // no SA_RESTART: the wait below wakes up
  sigemptyset(&interrupt.sa_mask);
  gInterrupted = 0;
  sigaction(SIGINT, &interrupt, &before);

  std::map<pid_t, Child> running;
  size_t next = 0, exported = 0, failed = 0;
  bool forwarded = false;
  while (next < args.inputs.size() || !running.empty()) {
    while (!gInterrupted && next < args.inputs.size() && running.size() < jobs) {
      std::vector<std::string> arguments = common;
      arguments.push_back("--one-of=" + std::to_string(next));
      Child child;
      child.input = next;
      const pid_t pid = spawn(arguments, child);
      if (pid < 0) {
        err << "zorvel: cannot start the export of " << args.inputs[next] << ": "
            << std::strerror(errno) << '\n';
        ++failed;
      } else {
        running.emplace(pid, std::move(child));
      }
      ++next;
    }
    if (gInterrupted && !forwarded) {
      // Children of a terminal had the signal already; one sent by kill had not.
      for (const auto& entry : running) kill(entry.first, SIGINT);
      forwarded = true;
    }
    if (running.empty()) break;
    int status = 0;
    const pid_t pid = waitpid(-1, &status, 0);
    if (pid < 0) continue;  // EINTR: Ctrl-C, handled above
    auto found = running.find(pid);
    if (found == running.end()) continue;
    Child& child = found->second;
    child.out.copyTo(out);
    child.err.copyTo(err);
    if (WIFEXITED(status) && WEXITSTATUS(status) == kExitExported) {
      ++exported;
    } else {
      ++failed;
      if (WIFSIGNALED(status))
        err << "zorvel: the export of " << args.inputs[child.input] << " ended by signal "
            << WTERMSIG(status) << " (" << strsignal(WTERMSIG(status)) << ")\n";
    }
    running.erase(found);
  }
  sigaction(SIGINT, &before, nullptr);

  const size_t skipped = args.inputs.size() - exported - failed;
  if (!args.quiet || failed > 0 || skipped > 0)
    (failed > 0 || skipped > 0 ? err : out)
        << "zorvel: exported " << exported << " of " << args.inputs.size() << " files into "
        << args.outputDir << (skipped > 0 ? " (interrupted)" : "") << '\n';
  if (gInterrupted) return kExitInterrupted;
  return failed > 0 ? kExitFailed : kExitExported;
}
