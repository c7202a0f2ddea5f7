// Share modes and the read-only attribute of the host's OpenFile, as the
// program's opens use them: read-write with read sharing (open for writing,
// create), read with read sharing (open for reading, archives) and read with
// read and write sharing (the existence test).
#include <gtest/gtest.h>

#ifndef _WIN32
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include "platform/PosixHostEnv.h"
#endif

#include <filesystem>
#include <memory>
#include <string>

#include "platform/HostEnv.h"
#include "tests/platform/ScratchHost.h"

using platform::FileDisposition;
using platform::FileOpenOptions;
using platform::HostFailure;
using platform::HostFile;

namespace {

FileOpenOptions ReadWrite() {
  return {platform::kAccessRead | platform::kAccessWrite, platform::kShareRead, FileDisposition::kOpenExisting, false};
}
FileOpenOptions ReadOnly() {
  return {platform::kAccessRead, platform::kShareRead, FileDisposition::kOpenExisting, true};
}
FileOpenOptions ExistenceTest() {
  return {platform::kAccessRead, platform::kShareRead | platform::kShareWrite, FileDisposition::kOpenExisting, false};
}
FileOpenOptions Create() {
  return {platform::kAccessWrite, platform::kShareRead, FileDisposition::kCreateAlways, false};
}

class ShareModeTest : public ::testing::Test {
 protected:
  void SetUp() override { fScratch.folder().WriteFile("drive_c/Objects/Chair.iff", "chair bytes"); }

  std::string Contents(std::string_view relative) const { return fScratch.folder().ReadFile(relative); }

  static constexpr const char* kChair = "C:\\Objects\\Chair.iff";
  ScratchHost fScratch;
  platform::HostEnv& fHost = fScratch.Env();
  ScratchFolder& fPrefix = fScratch.folder();
};

TEST_F(ShareModeTest, AWriterExcludesEveryOpenThatLocks) {
  std::unique_ptr<HostFile> writer = fHost.OpenFile(kChair, ReadWrite());
  ASSERT_NE(writer, nullptr);
  platform::SetLastHostFailure(HostFailure::kNone);
  EXPECT_EQ(fHost.OpenFile(kChair, ReadWrite()), nullptr);
  EXPECT_EQ(platform::LastHostFailure(), HostFailure::kInUse) << "a sharing violation";
  EXPECT_EQ(fHost.OpenFile(kChair, ReadOnly()), nullptr);
  EXPECT_EQ(fHost.OpenFile("c:\\objects\\chair.iff", ReadOnly()), nullptr) << "another spelling, same file";
  EXPECT_EQ(fHost.OpenFile(kChair, Create()), nullptr);
  EXPECT_EQ(Contents("drive_c/Objects/Chair.iff"), "chair bytes");
  EXPECT_NE(fHost.OpenFile(kChair, ExistenceTest()), nullptr);
}

TEST_F(ShareModeTest, ReadersShareAndKeepWritersOut) {
  std::unique_ptr<HostFile> first = fHost.OpenFile(kChair, ReadOnly());
  std::unique_ptr<HostFile> second = fHost.OpenFile(kChair, ReadOnly());
  ASSERT_NE(first, nullptr);
  ASSERT_NE(second, nullptr);
  EXPECT_EQ(fHost.OpenFile(kChair, ReadWrite()), nullptr);
  EXPECT_NE(fHost.OpenFile(kChair, ExistenceTest()), nullptr);
}

TEST_F(ShareModeTest, CreateOverAHeldFileFailsAndLeavesItWhole) {
  std::unique_ptr<HostFile> reader = fHost.OpenFile(kChair, ReadOnly());
  ASSERT_NE(reader, nullptr);
  EXPECT_EQ(fHost.OpenFile(kChair, Create()), nullptr);
  EXPECT_EQ(Contents("drive_c/Objects/Chair.iff"), "chair bytes");
  EXPECT_EQ(reader->Size(), 11);
}

TEST_F(ShareModeTest, ClosingReleasesTheLock) {
  fHost.OpenFile(kChair, ReadWrite()).reset();
  std::unique_ptr<HostFile> reader = fHost.OpenFile(kChair, ReadOnly());
  ASSERT_NE(reader, nullptr);
  reader.reset();
  EXPECT_NE(fHost.OpenFile(kChair, ReadWrite()), nullptr);
}

TEST_F(ShareModeTest, AnExistenceTestDoesNotKeepOthersOut) {
  std::unique_ptr<HostFile> probe = fHost.OpenFile(kChair, ExistenceTest());
  ASSERT_NE(probe, nullptr);
  EXPECT_NE(fHost.OpenFile(kChair, ReadWrite()), nullptr);
  EXPECT_NE(fHost.OpenFile(kChair, ReadOnly()), nullptr);
}

TEST_F(ShareModeTest, AnOpenThatSharesNothingTakesTheFileAlone) {
  FileOpenOptions alone = ReadOnly();
  alone.share = platform::kShareNone;
  std::unique_ptr<HostFile> holder = fHost.OpenFile(kChair, alone);
  ASSERT_NE(holder, nullptr);
  EXPECT_EQ(fHost.OpenFile(kChair, ReadOnly()), nullptr);
}

#ifndef _WIN32
TEST_F(ShareModeTest, LocksHoldAgainstAnotherProcess) {
  std::unique_ptr<HostFile> writer = fHost.OpenFile(kChair, ReadWrite());
  ASSERT_NE(writer, nullptr);
  pid_t child = ::fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    platform::PosixHostEnv other(fPrefix.Path());
    bool refused = other.OpenFile(kChair, ReadOnly()) == nullptr;
    bool probed = other.OpenFile(kChair, ExistenceTest()) != nullptr;
    ::_exit(refused && probed ? 0 : 1);
  }
  int status = 0;
  ASSERT_EQ(::waitpid(child, &status, 0), child);
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
}
#endif

TEST_F(ShareModeTest, CreateMakesOrEmptiesAFile) {
  std::unique_ptr<HostFile> made = fHost.OpenFile("C:\\Objects\\New.iff", Create());
  ASSERT_NE(made, nullptr);
  EXPECT_EQ(made->Write("abc", 3), 3);
  made.reset();
  EXPECT_EQ(Contents("drive_c/Objects/New.iff"), "abc");
  EXPECT_FALSE(fPrefix.IsReadOnly("drive_c/Objects/New.iff"));
#ifndef _WIN32
  mode_t mask = ::umask(0);
  ::umask(mask);
  struct stat info {};
  ASSERT_EQ(::stat(fPrefix.Path("drive_c/Objects/New.iff").c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 0777, 0666 & ~mask);
#endif

  std::unique_ptr<HostFile> emptied = fHost.OpenFile("c:\\objects\\chair.iff", Create());
  ASSERT_NE(emptied, nullptr);
  EXPECT_EQ(emptied->Size(), 0);
  EXPECT_EQ(Contents("drive_c/Objects/Chair.iff"), "");
}

TEST_F(ShareModeTest, CreateWithoutWriteAccessIsRefused) {
  FileOpenOptions readCreate = Create();
  readCreate.access = platform::kAccessRead;
  EXPECT_EQ(fHost.OpenFile(kChair, readCreate), nullptr);
  EXPECT_EQ(Contents("drive_c/Objects/Chair.iff"), "chair bytes");
  EXPECT_EQ(fHost.OpenFile("C:\\Objects\\Other.iff", readCreate), nullptr);
  EXPECT_FALSE(std::filesystem::exists(fPrefix.path() / "drive_c/Objects/Other.iff"));
}

// The test is the organizer's own, so it holds when the tests run as root.
TEST_F(ShareModeTest, AReadOnlyFileIsNeverOpenedForWriting) {
  fPrefix.MakeReadOnly("drive_c/Objects/Chair.iff");
  platform::SetLastHostFailure(HostFailure::kNone);
  EXPECT_EQ(fHost.OpenFile(kChair, ReadWrite()), nullptr);
  EXPECT_EQ(platform::LastHostFailure(), HostFailure::kReadOnly);
  FileOpenOptions writeOnly = ReadWrite();
  writeOnly.access = platform::kAccessWrite;
  EXPECT_EQ(fHost.OpenFile(kChair, writeOnly), nullptr);
  EXPECT_EQ(fHost.OpenFile(kChair, Create()), nullptr);
  EXPECT_EQ(Contents("drive_c/Objects/Chair.iff"), "chair bytes");

  std::unique_ptr<HostFile> reader = fHost.OpenFile(kChair, ReadOnly());
  ASSERT_NE(reader, nullptr);
  char bytes[5] = {};
  EXPECT_EQ(reader->Read(bytes, 5), 5);
  EXPECT_EQ(std::string(bytes, 5), "chair");

  // Any one write bit (the attribute cleared) makes the file writable again.
  fPrefix.MakeReadOnly("drive_c/Objects/Chair.iff", false);
  reader.reset();
  EXPECT_NE(fHost.OpenFile(kChair, ReadWrite()), nullptr);
}

TEST_F(ShareModeTest, OnlyExistingRegularFilesOpen) {
  EXPECT_EQ(fHost.OpenFile("C:\\Objects", ReadOnly()), nullptr);
  EXPECT_EQ(fHost.OpenFile("C:\\Objects\\", ReadWrite()), nullptr);
  EXPECT_EQ(fHost.OpenFile("C:\\Objects", Create()), nullptr);
  EXPECT_EQ(fHost.OpenFile("C:\\Objects\\Missing.iff", ReadOnly()), nullptr);
  EXPECT_EQ(fHost.OpenFile("C:\\Objects\\Missing.iff", ExistenceTest()), nullptr);
  EXPECT_FALSE(std::filesystem::exists(fPrefix.path() / "drive_c/Objects/Missing.iff"));
  EXPECT_EQ(fHost.OpenFile("Q:\\Objects\\Chair.iff", ReadOnly()), nullptr);
  EXPECT_EQ(fHost.OpenFile("", ReadOnly()), nullptr);
#ifdef _WIN32
  EXPECT_EQ(fHost.OpenFile("NUL", ReadOnly()), nullptr) << "a device";
#else
  ASSERT_EQ(::mkfifo(fPrefix.Path("drive_c/Objects/pipe").c_str(), 0666), 0);
  EXPECT_EQ(fHost.OpenFile("C:\\Objects\\pipe", ReadOnly()), nullptr) << "must not block either";
#endif
}

}  // namespace
