#include "options/desktop_entry.h"

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>

namespace {

std::string trim(const std::string& s) {
  const char* space = " \t\r\n";
  size_t b = s.find_first_not_of(space);
  if (b == std::string::npos) return {};
  return s.substr(b, s.find_last_not_of(space) - b + 1);
}

void addDirs(std::vector<std::string>& dirs, const std::string& list) {
  size_t start = 0;
  while (start <= list.size()) {
    size_t end = list.find(':', start);
    if (end == std::string::npos) end = list.size();
    std::string dir = list.substr(start, end - start);
    // Relative entries are invalid in the XDG lists and would depend on the cwd.
    if (!dir.empty() && dir[0] == '/') dirs.push_back(dir + "/applications");
    start = end + 1;
  }
}

// The escapes of a string value, applied before the quoting of Exec.
std::string unescapeValue(const std::string& value) {
  std::string out;
  for (size_t i = 0; i < value.size(); ++i) {
    if (value[i] != '\\' || i + 1 == value.size()) {
      out += value[i];
      continue;
    }
    switch (value[++i]) {
      case 's':
        out += ' ';
        break;
      case 'n':
        out += '\n';
        break;
      case 't':
        out += '\t';
        break;
      case 'r':
        out += '\r';
        break;
      case '\\':
        out += '\\';
        break;
      default:
        out += '\\';
        out += value[i];
    }
  }
  return out;
}

bool isFileFieldCode(char c) {
  return c == 'u' || c == 'U' || c == 'f' || c == 'F';
}

// Field codes left in an argument are dropped and "%%" is a percent sign; an
// argument that was nothing but field codes goes away.
std::optional<std::string> expandFieldCodes(const std::string& arg) {
  std::string out;
  for (size_t i = 0; i < arg.size(); ++i) {
    if (arg[i] != '%' || i + 1 == arg.size()) {
      out += arg[i];
    } else if (arg[++i] == '%') {
      out += '%';
    }
  }
  if (out.empty() && !arg.empty()) return std::nullopt;
  return out;
}

}  // namespace

std::vector<std::string> desktopApplicationDirs() {
  std::vector<std::string> dirs;
  const char* home = std::getenv("XDG_DATA_HOME");
  if (home && *home) {
    addDirs(dirs, home);
  } else if (const char* user = std::getenv("HOME"); user && *user) {
    addDirs(dirs, std::string(user) + "/.local/share");
  }
  const char* data = std::getenv("XDG_DATA_DIRS");
  addDirs(dirs, data && *data ? data : "/usr/local/share:/usr/share");
  return dirs;
}

std::optional<std::string> findDesktopFile(const std::string& id,
                                           const std::vector<std::string>& dirs) {
  if (id.empty() || id[0] == '.' || id.find('/') != std::string::npos) return std::nullopt;
  // The id as it is, then with each '-' from the left turned into a folder.
  std::vector<std::string> names{id};
  std::string name = id;
  for (size_t dash = name.find('-'); dash != std::string::npos; dash = name.find('-', dash + 1)) {
    name[dash] = '/';
    names.push_back(name);
  }
  std::error_code ec;
  for (const std::string& dir : dirs) {
    for (const std::string& n : names) {
      std::string path = dir + "/" + n;
      if (std::filesystem::is_regular_file(path, ec)) return path;
    }
  }
  return std::nullopt;
}

std::optional<std::string> desktopEntryExec(std::istream& in) {
  bool inEntry = false;
  std::string line;
  while (std::getline(in, line)) {
    std::string text = trim(line);
    if (text.empty() || text[0] == '#') continue;
    if (text[0] == '[') {
      inEntry = text == "[Desktop Entry]";
      continue;
    }
    if (!inEntry) continue;
    size_t eq = text.find('=');
    if (eq != std::string::npos && trim(text.substr(0, eq)) == "Exec")
      return trim(text.substr(eq + 1));
  }
  return std::nullopt;
}

std::vector<std::string> desktopExecCommand(const std::string& exec, const std::string& target) {
  std::string line = unescapeValue(exec);
  for (size_t i = 0; i + 1 < line.size(); ++i) {
    if (line[i] != '%') continue;
    if (isFileFieldCode(line[i + 1])) {
      line.resize(i);
      break;
    }
    ++i;  // "%%" or another code: its second character is not a code's start
  }

  std::vector<std::string> args;
  std::string arg;
  bool inArg = false;
  bool quoted = false;
  auto finish = [&] {
    if (inArg) {
      if (std::optional<std::string> expanded = expandFieldCodes(arg)) args.push_back(*expanded);
    }
    arg.clear();
    inArg = false;
  };
  for (size_t i = 0; i < line.size(); ++i) {
    char c = line[i];
    if (quoted) {
      if (c == '"')
        quoted = false;
      else if (c == '\\' && i + 1 < line.size() && std::strchr("\"`$\\", line[i + 1]))
        arg += line[++i];
      else
        arg += c;
    } else if (c == ' ' || c == '\t' || c == '\n' || c == '\r') {
      finish();
    } else if (c == '"') {
      quoted = true;
      inArg = true;
    } else {
      arg += c;
      inArg = true;
    }
  }
  // An argument quoted round the field code ("%u") was cut to a lone quote.
  if (quoted && arg.empty()) inArg = false;
  finish();
  if (args.empty() || args[0].empty()) return {};
  args.push_back(target);
  return args;
}
