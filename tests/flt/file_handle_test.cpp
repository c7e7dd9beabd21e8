// The owned stream: close() reports what the writes did, moves hand the stream on.

#include <gtest/gtest.h>

#include <cerrno>
#include <string>
#include <utility>

#include "flt/file_handle.h"
#include "tests/support/temp_dir.h"
#include "tests/textures/texture_test_support.h"

TEST(FileHandle, CloseReportsWritesThatNeverReachedTheFile) {
  ScopedWorkDir dir;
  FileHandle written = FileHandle::open("a.txt", "w");
  ASSERT_TRUE(written);
  std::fputs("kept", written.get());
  EXPECT_TRUE(written.close());
  EXPECT_FALSE(written);
  EXPECT_EQ(fileText("a.txt"), "kept");
  EXPECT_FALSE(written.close()) << "a second close has nothing to report as written";

  // Buffered, the write seems fine; only the flush at close finds the device full.
  FileHandle full = FileHandle::open("/dev/full", "w");
  ASSERT_TRUE(full);
  std::fputs("lost", full.get());
  errno = 0;
  EXPECT_FALSE(full.close());
  EXPECT_EQ(errno, ENOSPC);

  // A stream already in error fails its close even when the flush has nothing left.
  FileHandle reading = FileHandle::open("a.txt", "r");
  ASSERT_TRUE(reading);
  std::fputs("x", reading.get());  // not open for writing: sets the error flag
  EXPECT_FALSE(reading.close());

  errno = 0;
  EXPECT_FALSE(FileHandle::open("missing/b.txt", "w"));
  EXPECT_EQ(errno, ENOENT);
}

TEST(FileHandle, MovesHandTheStreamOnAndResetLetsItGo) {
  ScopedWorkDir dir;
  FileHandle first = FileHandle::open("a.txt", "w");
  std::FILE* stream = first.get();
  ASSERT_NE(stream, nullptr);
  FileHandle second(std::move(first));
  EXPECT_FALSE(first);
  EXPECT_EQ(second.get(), stream);

  FileHandle third = FileHandle::open("b.txt", "w");
  std::fputs("b", third.get());
  third = std::move(second);  // b.txt is closed, flushed, on the way
  EXPECT_EQ(third.get(), stream);
  EXPECT_EQ(fileText("b.txt"), "b");

  std::fputs("a", third.get());
  third.reset();
  EXPECT_FALSE(third);
  EXPECT_EQ(fileText("a.txt"), "a");
}
