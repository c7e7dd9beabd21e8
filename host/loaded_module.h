#pragma once
// A shared module opened with dlopen and closed with this object, and its entry
// points by name: what the plug-in and the progress window modules have in common.

#include <string>

class LoadedModule {
 public:
  LoadedModule() = default;
  ~LoadedModule() { close(); }
  LoadedModule(const LoadedModule&) = delete;
  LoadedModule& operator=(const LoadedModule&) = delete;

  // False, with `error` "cannot load PATH: why", when dlopen refuses the file.
  [[nodiscard]] bool open(const std::string& path, std::string& error);
  bool isOpen() const { return handle_ != nullptr; }
  // The entry point `name`, or null; the first one missing sets `error` ("cannot
  // load PATH: it has no entry point NAME" and `note`).
  void* entry(const char* name, std::string& error, const std::string& note = "") const;
  void close();

 private:
  void* handle_ = nullptr;
  std::string path_;
};
