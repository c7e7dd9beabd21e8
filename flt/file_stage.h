#pragma once
// The files one export writes besides its output (texture copies, attribute
// files, the layout), held unnamed until the export succeeds and then put in
// place together; a failed or cancelled export leaves none of them.

#include <memory>
#include <string>
#include <vector>

#include "flt/staged_file.h"

class FileStage {
 public:
  // A new file meant for `path`, open for writing; null, with `why` set, when it
  // cannot be made. A file discarded before the commit is left out of it.
  StagedFile* add(const std::string& path, std::string& why);
  // Whether `path` is the target of a file added here.
  bool holds(const std::string& path) const;

  // Puts every file in place; the messages of those that could not be.
  std::vector<std::string> commit();
  void discard() { files_.clear(); }
  bool empty() const { return files_.empty(); }
  size_t size() const { return files_.size(); }

 private:
  std::vector<std::unique_ptr<StagedFile>> files_;
};
