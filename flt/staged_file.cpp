#include "flt/staged_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <random>
#include <vector>

namespace {

std::string folderOf(const std::string& path) {
  const size_t slash = path.rfind('/');
  if (slash == std::string::npos) return ".";
  return slash == 0 ? "/" : path.substr(0, slash);
}

std::string nameOf(const std::string& path) {
  const size_t slash = path.rfind('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

// Replacing a symlink with a plain file would leave its target stale, so the
// target is what gets replaced; a chain is followed to its end.
std::string resolveLinks(std::string path) {
  for (int hops = 0; hops < 40; ++hops) {
    struct stat st;
    if (lstat(path.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) return path;
    std::vector<char> buffer(PATH_MAX);
    const ssize_t n = readlink(path.c_str(), buffer.data(), buffer.size() - 1);
    if (n <= 0) return path;
    std::string link(buffer.data(), static_cast<size_t>(n));
    path = link.front() == '/' ? link : folderOf(path) + "/" + link;
  }
  return path;
}

std::string hiddenName(const std::string& target) {
  static std::mt19937_64 random{std::random_device{}()};
  const std::string folder = folderOf(target);
  char suffix[17];
  std::snprintf(suffix, sizeof suffix, "%016llx", static_cast<unsigned long long>(random()));
  return (folder == "/" ? "" : folder) + "/." + nameOf(target) + "." + suffix;
}

}  // namespace

bool StagedFile::fail(const std::string& why) {
  if (error_.empty()) {
    reason_ = why;
    error_ = "cannot write " + path_ + ": " + why;
  }
  discard();
  return false;
}

bool StagedFile::open(const std::string& path) {
  discard();
  error_.clear();
  reason_.clear();
  path_ = path;
  target_ = resolveLinks(path);
  // A file that is replaced keeps its permissions; a new one gets what a plain
  // creation would give it.
  struct stat existing;
  const bool replaces = stat(target_.c_str(), &existing) == 0;
  const mode_t mask = umask(0);
  umask(mask);
  const mode_t mode = replaces ? (existing.st_mode & 07777) : (0666 & ~mask);

  fd_ = ::open(folderOf(target_).c_str(), O_TMPFILE | O_WRONLY | O_CLOEXEC, 0600);
  unnamed_ = fd_ >= 0 && access("/proc/self/fd", X_OK) == 0;
  if (fd_ >= 0 && !unnamed_) {
    ::close(fd_);
    fd_ = -1;
  }
  // File systems without unnamed files get a hidden name, removed again on discard.
  for (int attempt = 0; fd_ < 0 && attempt < 100; ++attempt) {
    hidden_ = hiddenName(target_);
    fd_ = ::open(hidden_.c_str(), O_CREAT | O_EXCL | O_WRONLY | O_CLOEXEC, 0600);
    if (fd_ < 0 && errno != EEXIST) {
      hidden_.clear();
      return fail(std::strerror(errno));
    }
  }
  if (fd_ < 0) return fail("no free temporary name");
  if (fchmod(fd_, mode) != 0) return fail(std::strerror(errno));
  stream_ = FileHandle(fdopen(fd_, "wb"));
  if (!stream_) return fail(std::strerror(errno));
  return true;
}

bool StagedFile::commit() {
  if (!stream_) return fail("the file is not open");
  std::FILE* f = stream_.get();
  if (std::fflush(f) != 0 || std::ferror(f)) return fail(std::strerror(errno ? errno : EIO));
  if (unnamed_) {
    // Linked under a hidden name first: linkat cannot replace an existing file.
    const std::string self = "/proc/self/fd/" + std::to_string(fd_);
    for (int attempt = 0; attempt < 100; ++attempt) {
      hidden_ = hiddenName(target_);
      if (linkat(AT_FDCWD, self.c_str(), AT_FDCWD, hidden_.c_str(), AT_SYMLINK_FOLLOW) == 0) break;
      const int why = errno;
      hidden_.clear();
      if (why != EEXIST) return fail(std::strerror(why));
    }
    if (hidden_.empty()) return fail("no free temporary name");
  }
  if (std::rename(hidden_.c_str(), target_.c_str()) != 0) return fail(std::strerror(errno));
  hidden_.clear();
  const bool closed = stream_.close();
  fd_ = -1;
  // The data was flushed above; a failing close now can only be a late write error.
  if (!closed) {
    reason_ = std::strerror(errno);
    error_ = "cannot write " + path_ + ": " + reason_;
    return false;
  }
  return true;
}

void StagedFile::discard() {
  if (stream_)
    stream_.reset();
  else if (fd_ >= 0)
    ::close(fd_);
  fd_ = -1;
  if (!hidden_.empty()) unlink(hidden_.c_str());
  hidden_.clear();
  unnamed_ = false;
}
