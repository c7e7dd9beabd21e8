#pragma once
// Where an export goes, settled before the scene loads: a wrong OUTPUT should
// not wait for a big scene and a whole dialog to be found out.

#include <string>

struct OutputPath {
  std::string path;   // absolute, normalised: what the plug-in is handed
  std::string shown;  // as the user would write it, for messages
  std::string error;  // "cannot write X: why", or empty when the path is usable

  explicit operator bool() const { return error.empty(); }
};

// FOLDER/<input stem>.flt
std::string outputInFolder(const std::string& folder, const std::string& input);

// OUTPUT as given, or, for an existing folder or a path ending in '/', the input's
// stem in it. Refused: an empty path, a folder, a missing or unwritable folder,
// the input file itself.
OutputPath resolveOutput(const std::string& input, const std::string& output);

// The checks on a folder that is to take exports: "" when it exists and is writable.
std::string folderProblem(const std::string& folder);
