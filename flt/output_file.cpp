#include "flt/output_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <system_error>
#include <vector>

#include "flt/group.h"
#include "flt/level_records.h"
#include "flt/opcodes.h"
#include "flt/text_record.h"

namespace {

std::string systemError() {
  return std::strerror(errno);
}

// The body waits in an unnamed file on the output's own file system, so that
// close can have the kernel copy it behind the palettes; /tmp where the folder
// takes no unnamed files.
FileHandle openBodyFile(const std::string& target) {
  const size_t slash = target.rfind('/');
  const std::string folder = slash == std::string::npos ? "."
                             : slash == 0               ? "/"
                                                        : target.substr(0, slash);
  const int fd = ::open(folder.c_str(), O_TMPFILE | O_RDWR | O_CLOEXEC, 0600);
  if (fd >= 0) {
    if (std::FILE* stream = fdopen(fd, "w+b")) return FileHandle(stream);
    ::close(fd);
  }
  return FileHandle(std::tmpfile());
}

// Copies all of `from` into `to` from offset `at` on, leaving `to`'s own position
// alone; false, errno set, on failure. Falls back to read and write where the
// kernel cannot copy between the two.
bool copyFileTo(int from, int to, loff_t at) {
  loff_t in = 0;
  for (;;) {
    const ssize_t n = copy_file_range(from, &in, to, &at, size_t{1} << 30, 0);
    if (n > 0) continue;
    if (n == 0) return true;
    if (errno == EINTR) continue;
    if (in == 0 && (errno == EXDEV || errno == EINVAL || errno == ENOSYS || errno == EOPNOTSUPP ||
                    errno == EBADF))
      break;
    return false;
  }
  std::vector<char> chunk(size_t{1} << 20);
  for (;;) {
    ssize_t n = pread(from, chunk.data(), chunk.size(), in);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) return false;
    if (n == 0) return true;
    in += n;
    for (const char* p = chunk.data(); n > 0;) {
      const ssize_t w = pwrite(to, p, static_cast<size_t>(n), at);
      if (w < 0 && errno == EINTR) continue;
      if (w < 0) return false;
      p += w;
      n -= w;
      at += w;
    }
  }
}

}  // namespace

FltOutputFile::FltOutputFile() {
  reset();
}

FltOutputFile::~FltOutputFile() {
  // A destructor has nowhere to report a failed close; the path is then left as it was.
  if (failed_)
    discard();
  else
    static_cast<void>(close());
}

void FltOutputFile::reset() {
  current_ = nullptr;
  body_.reset();
  real_.discard();
  stage_.discard();
  path_.clear();
  state_ = State::kClosed;
  pushDepth_ = subfaceDepth_ = extensionDepth_ = attributeDepth_ = 0;
  header_.reset();
  colorPalette_.reset();
  vertexPalette_.reset();
  materialPalette_.clear();
  textureList_.clear();
  pending_.clear();
  flushing_ = false;
  paletteWriting_ = false;
  setVersion(kRevision152);
}

void FltOutputFile::setVersion(int version) {
  version_ = version;
  header_.formatRevision = version;
  colorPalette_.setVersion(version);
  vertexPalette_.setVersion(version);
}

void FltOutputFile::fail(const std::string& why) {
  if (!failed_) error_ = why;
  failed_ = true;
}

int FltOutputFile::open(const std::string& path, int version) {
  if (state_ == State::kOpen) {
    // Whoever needs to know how the previous file ended closes it first.
    if (failed_)
      discard();
    else
      static_cast<void>(close());
  }
  reset();
  failed_ = false;
  error_.clear();
  if (!real_.open(path)) {
    failed_ = true;
    error_ = real_.error();
    return 0;
  }
  body_ = openBodyFile(real_.target());
  if (!body_) {
    failed_ = true;
    error_ = "cannot create a temporary file for " + path + ": " + systemError();
    reset();
    return 0;
  }
  current_ = body_.get();
  buffer_.target(fileno(current_));
  path_ = path;
  textureList_.layout().setFilePath(layoutPathFor(path), &stage_);
  state_ = State::kOpen;
  setVersion(version);
  FltGroup top;
  const bool started = writePushLevel() && write(top) && writePushLevel();
  return started && isOpen() ? 1 : 0;
}

bool FltOutputFile::flushPending() {
  if (flushing_) return true;
  bool ok = true;
  flushing_ = true;
  if (pending_.byteCount() >= 4) {
    pending_.serialise(pendingRecord_, version_);
    ok = writeRecord(pendingRecord_) != 0;
    pending_.clear();
  }
  flushing_ = false;
  return ok;
}

int FltOutputFile::writeRecord(FltRecord& record) {
  if (!current_ || failed_) return 0;
  if (!flushPending()) return 0;
  if (record.overflowed()) {
    fail(std::string("cannot write ") + opcodeName(record.opcode()) + " to " + path_ +
         ": the record would be longer than 32767 bytes");
    return 0;
  }
  switch (record.opcode()) {
    case FltPushLevel::kOpcode:
      ++pushDepth_;
      break;
    case FltPopLevel::kOpcode:
      --pushDepth_;
      break;
    case FltPushSubface::kOpcode:
      ++subfaceDepth_;
      break;
    case FltPopSubface::kOpcode:
      --subfaceDepth_;
      break;
    case FltPushExtension::kOpcode:
      ++extensionDepth_;
      break;
    case FltPopExtension::kOpcode:
      --extensionDepth_;
      break;
    case FltPushAttribute::kOpcode:
      ++attributeDepth_;
      break;
    case FltPopAttribute::kOpcode:
      --attributeDepth_;
      break;
    default:
      break;
  }
  record.finish();
  if (record.length() > 0 && !buffer_.append(record.data(), record.length())) {
    fail("cannot write " + path_ + ": " + systemError());
    return 0;
  }
  return 1;
}

int FltOutputFile::addVertex(const FltVertex& vertex) {
  if (paletteWriting_) {
    vertex.serialise(scratch_, version_);
    return writeRecord(scratch_);
  }
  return addPaletteVertex(vertexPalette_.add(vertex));
}

int FltOutputFile::addPaletteVertex(int32_t offset) {
  if (offset == FltVertexPalette::kFull) {
    fail("cannot write " + path_ +
         ": the vertex palette would pass 2147483647 bytes (too many distinct vertices)");
    return 0;
  }
  pending_.append(offset);
  return 1;
}

int FltOutputFile::writePushLevel() {
  FltPushLevel r;
  return write(r);
}

int FltOutputFile::writePopLevel() {
  FltPopLevel r;
  return write(r);
}

int FltOutputFile::writePushSubface() {
  FltPushSubface r;
  return write(r);
}

int FltOutputFile::writePopSubface() {
  FltPopSubface r;
  return write(r);
}

int FltOutputFile::writeLongId(const char* text) {
  if (!text) return 1;
  FltTextRecord::serialiseText(scratch_, FltLongId::kOpcode, text);
  return writeRecord(scratch_);
}

void FltOutputFile::BodyCopy::start(int from, int to, int64_t at, bool aside) {
  from_ = from;
  to_ = to;
  at_ = at;
  ok_ = false;
  error_ = 0;
  if (aside) {
    try {
      thread_ = std::thread([this] { run(); });
      return;
    } catch (const std::system_error&) {
    }
  }
  run();
}

void FltOutputFile::BodyCopy::run() {
  ok_ = copyFileTo(from_, to_, at_);
  error_ = ok_ ? 0 : errno;
}

bool FltOutputFile::BodyCopy::wait() {
  if (thread_.joinable()) thread_.join();
  errno = error_;
  return ok_;
}

bool FltOutputFile::finishRealFile() {
  // Beside files first, so that the output never names a file that is not there yet.
  for (const std::string& why : stage_.commit())
    if (warn_) warn_(why);
  if (!real_.commit()) {
    fail(real_.error());
    return false;
  }
  return true;
}

void FltOutputFile::closeStreams() {
  buffer_.release();
  body_.reset();
  real_.discard();
  stage_.discard();
  current_ = nullptr;
}

int FltOutputFile::close() {
  if (state_ != State::kOpen || !current_) return 0;
  // Unchecked from here on: failure is sticky, every write after a failed one is
  // refused, and !failed_ below decides.
  static_cast<void>(flushPending());
  while (pushDepth_ > 0 && !failed_) static_cast<void>(writePopLevel());
  // The body's last records, before the buffer turns to the real file.
  if (!failed_ && !buffer_.flush()) fail("cannot write " + path_ + ": " + systemError());
  current_ = real_.stream();
  buffer_.target(fileno(current_));
  vertexPalette_.resolveColors(colorPalette_);
  static_cast<void>(write(header_));
  static_cast<void>(write(colorPalette_));
  static_cast<void>(materialPalette_.write(*this));
  static_cast<void>(textureList_.write(*this));
  // Where the body goes is known once the palettes before it are: a large one is
  // copied there by the kernel while the vertices are written.
  const int real = fileno(current_);
  const int body = fileno(body_.get());
  BodyCopy copy;
  const off_t bodyAt = ::lseek(real, 0, SEEK_CUR);
  const off_t bodySize = ::lseek(body, 0, SEEK_END);
  if (!failed_ && (bodyAt < 0 || bodySize < 0 || std::fflush(real_.stream()) != 0))
    fail("cannot write " + path_ + ": " + systemError());
  const int64_t planned = int64_t(bodyAt) + int64_t(buffer_.held()) + vertexPalette_.totalLength();
  if (!failed_) copy.start(body, real, planned, bodySize >= kBodyCopiedAside);
  paletteWriting_ = true;
  static_cast<void>(write(vertexPalette_));
  paletteWriting_ = false;
  if (!failed_ && !buffer_.flush()) fail("cannot write " + path_ + ": " + systemError());
  if (!copy.wait() && !failed_) fail("cannot write " + path_ + ": " + systemError());
  if (!failed_ && ::lseek(real, 0, SEEK_CUR) != planned)
    fail("cannot write " + path_ + ": the palettes do not end where the body begins");
  // Separate files beside the images; a failure here is a warning, not a failed export.
  // How many were written does not matter here: each one missing was warned of.
  if (!failed_) static_cast<void>(textureList_.writeAttributeFiles(stage_, warn_));
  if (!failed_) static_cast<void>(finishRealFile());
  bool ok = !failed_;
  closeStreams();
  reset();
  return ok ? 1 : 0;
}

void FltOutputFile::discard() {
  if (state_ != State::kOpen) return;
  closeStreams();
  reset();
}
