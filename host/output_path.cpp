#include "host/output_path.h"

#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <system_error>

namespace fs = std::filesystem;

std::string outputInFolder(const std::string& folder, const std::string& input) {
  std::string path = folder;
  if (!path.empty() && path.back() != '/') path += '/';
  return path + fs::path(input).stem().string() + ".flt";
}

std::string folderProblem(const std::string& folder) {
  const std::string dir = folder.empty() ? "." : folder;
  std::error_code ec;
  const fs::file_status status = fs::status(dir, ec);
  if (!fs::exists(status)) return "folder " + dir + " does not exist";
  if (!fs::is_directory(status)) return dir + " is not a folder";
  if (access(dir.c_str(), W_OK | X_OK) != 0) return "folder " + dir + ": " + std::strerror(errno);
  return "";
}

OutputPath resolveOutput(const std::string& input, const std::string& output) {
  OutputPath out;
  if (output.empty()) {
    out.error = "the output path is empty: name the .flt file or the folder to write into";
    return out;
  }
  std::error_code ec;
  out.shown =
      output.back() == '/' || fs::is_directory(output, ec) ? outputInFolder(output, input) : output;
  const fs::path absolute = fs::absolute(out.shown, ec);
  if (ec) {
    out.error = "cannot write " + out.shown + ": " + ec.message();
    return out;
  }
  out.path = absolute.lexically_normal().string();
  if (fs::is_directory(out.path, ec)) {
    out.error = "cannot write " + out.shown + ": it is a folder";
    return out;
  }
  // Checked where the path leads ("sub/../x.flt" needs no "sub"), named as written.
  if (!folderProblem(fs::path(out.path).parent_path().string()).empty()) {
    out.error = "cannot write " + out.shown + ": " +
                folderProblem(fs::path(out.shown).parent_path().string());
    return out;
  }
  if (fs::equivalent(input, out.path, ec)) {
    out.error = "cannot write " + out.shown + ": it is the input file";
    return out;
  }
  return out;
}
