#include "options/link_opener.h"

#include <cerrno>
#include <fstream>
#include <optional>

namespace {

int resultOfErrno(int e) {
  switch (e) {
    case ENOENT:
      return kOpenFileNotFound;
    case ENOTDIR:
      return kOpenPathNotFound;
    case EACCES:
    case EPERM:
      return kOpenAccessDenied;
    case ENOMEM:
      return kOpenNotEnoughMemory;
    case ENOEXEC:
    case ELIBBAD:
      return kOpenBadExecutable;
    case EAGAIN:
    case EMFILE:
    case ENFILE:
      return kOpenOutOfResources;
    default:
      return -e;
  }
}

// A browser or opener that is not installed leaves nothing to open the link with.
bool notInstalled(const LaunchOutcome& outcome) {
  return outcome.kind == LaunchOutcome::Kind::kNotStarted && outcome.code == ENOENT;
}

}  // namespace

int launchResult(const LaunchOutcome& outcome) {
  switch (outcome.kind) {
    case LaunchOutcome::Kind::kRunning:
      return kOpenSucceeded;
    case LaunchOutcome::Kind::kNotStarted:
      return resultOfErrno(outcome.code);
    case LaunchOutcome::Kind::kSignalled:
      return -(128 + outcome.code);
    case LaunchOutcome::Kind::kExited:
      break;
  }
  return outcome.code == 0 ? kOpenSucceeded : -outcome.code;
}

int xdgOpenResult(const LaunchOutcome& outcome) {
  if (notInstalled(outcome)) return kOpenNoAssociation;
  if (outcome.kind == LaunchOutcome::Kind::kExited) {
    if (outcome.code == 2) return kOpenFileNotFound;
    if (outcome.code == 3) return kOpenNoAssociation;
  }
  return launchResult(outcome);
}

int LinkOpener::open(const std::string& target) {
  if (target.empty() || target[0] == '-') return kOpenFileNotFound;
  int shellResult = xdgOpenResult(launcher_.run({"xdg-open", target}));
  if (shellResult > 32) return shellResult;
  std::vector<std::string> command = defaultHtmlHandler(target);
  if (command.empty()) return shellResult;
  LaunchOutcome handler = launcher_.run(command);
  return notInstalled(handler) ? kOpenNoAssociation : launchResult(handler);
}

std::vector<std::string> LinkOpener::defaultHtmlHandler(const std::string& target) {
  std::string output;
  LaunchOutcome query = launcher_.capture({"xdg-mime", "query", "default", "text/html"}, output);
  if (query.kind != LaunchOutcome::Kind::kExited || query.code != 0) return {};
  std::string id = output.substr(0, output.find('\n'));
  size_t first = id.find_first_not_of(" \t");
  id = first == std::string::npos ? std::string()
                                  : id.substr(first, id.find_last_not_of(" \t\r") - first + 1);
  std::optional<std::string> file = findDesktopFile(id, applicationDirs_);
  if (!file) return {};
  std::ifstream in(*file);
  std::optional<std::string> exec = desktopEntryExec(in);
  if (!exec) return {};
  return desktopExecCommand(*exec, target);
}

int openLink(const std::string& target) {
  ProcessLauncher launcher;
  return LinkOpener(launcher).open(target);
}
