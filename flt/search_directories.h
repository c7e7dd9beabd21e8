#pragma once
// The texture search directories: gathered from TEXTURE_PATH, TXT_PATH and
// TXTPATH and from each texture's own directory, in order of arrival, each once.

#include <string>
#include <unordered_set>
#include <vector>

class SearchDirectories {
 public:
  // Adds each piece of a list separated by ',' or ';'. Leading white space of a
  // piece is dropped, trailing white space kept; an empty piece between two
  // separators is listed (once) as an empty directory.
  void add(const char* text);
  // Starts again from the three environment variables.
  void readEnvironment();
  void clear();

  size_t count() const { return directories_.size(); }
  const std::string& directory(size_t i) const { return directories_[i]; }

 private:
  std::vector<std::string> directories_;
  std::unordered_set<std::string> listed_;
};
