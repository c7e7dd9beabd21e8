#pragma once
// A file written under no name (or a hidden one) in the folder it is meant for,
// and given its name only by commit(): a failed, cancelled or killed export
// leaves nothing behind and never touches the file that was there until then.

#include <cstdio>
#include <string>

#include "flt/file_handle.h"

class StagedFile {
 public:
  StagedFile() = default;
  ~StagedFile() { discard(); }
  StagedFile(const StagedFile&) = delete;
  StagedFile& operator=(const StagedFile&) = delete;

  // Opens an empty file for writing in the folder of `path` (a symlink's target's
  // folder when `path` is a symlink). False, with error() set, when it cannot.
  [[nodiscard]] bool open(const std::string& path);
  std::FILE* stream() const { return stream_.get(); }
  bool isOpen() const { return static_cast<bool>(stream_); }
  // The name the file gets: `path`, or the target `path` links to.
  const std::string& target() const { return target_; }

  // Flushes and puts the file in place, atomically replacing what was there; a
  // replaced file's permissions carry over. False, with error() set, when any
  // write failed or the file cannot be put in place (nothing is then left).
  [[nodiscard]] bool commit();
  // Drops the file; nothing of it remains.
  void discard();

  // "cannot write PATH: why", and the why alone.
  const std::string& error() const { return error_; }
  const std::string& reason() const { return reason_; }

 private:
  bool fail(const std::string& why);

  FileHandle stream_;
  int fd_ = -1;
  bool unnamed_ = false;  // O_TMPFILE: linked into place at commit
  std::string hidden_;    // the name it has until commit, when not unnamed
  std::string target_;
  std::string path_;  // as given, for the messages
  std::string error_;
  std::string reason_;
};
