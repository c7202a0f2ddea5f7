#include <gtest/gtest.h>
#include <sys/resource.h>

#include <csignal>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

#include "platform/PosixHostEnv.h"
#include "tests/platform/ScratchFolder.h"

using platform::FileDisposition;
using platform::FileOpenOptions;
using platform::HostFile;
using platform::PosixHostEnv;

namespace {

class PosixHostFileTest : public ::testing::Test {
 protected:
  void SetUp() override {
    fPrefix.Link("dosdevices/c:", "../drive_c");
    fPrefix.MakeFolder("drive_c/Data");
  }

  std::unique_ptr<HostFile> Create(std::string_view path) {
    return fHost.OpenFile(path, {platform::kAccessRead | platform::kAccessWrite, platform::kShareRead,
                                 FileDisposition::kCreateAlways, false});
  }

  std::string Contents(std::string_view relative) const {
    std::ifstream in(fPrefix.Path(relative), std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  }

  static std::string ReadAll(HostFile& file, int64_t count) {
    std::string bytes(static_cast<std::size_t>(count), '?');
    int64_t got = file.Read(bytes.data(), count);
    bytes.resize(got < 0 ? 0 : static_cast<std::size_t>(got));
    return bytes;
  }

  ScratchFolder fPrefix;
  PosixHostEnv fHost{fPrefix.Path()};
};

TEST_F(PosixHostFileTest, ReadWriteSeekRoundTrip) {
  std::unique_ptr<HostFile> file = Create("C:\\Data\\x.bin");
  ASSERT_NE(file, nullptr);
  EXPECT_EQ(file->Write("hello world", 11), 11);
  EXPECT_EQ(file->Size(), 11);
  EXPECT_EQ(ReadAll(*file, 4), "") << "the pointer sits at the end";

  ASSERT_TRUE(file->Seek(6));
  EXPECT_EQ(ReadAll(*file, 100), "world");
  ASSERT_TRUE(file->Seek(0));
  EXPECT_EQ(file->Write("J", 1), 1);
  EXPECT_EQ(ReadAll(*file, 4), "ello");
  EXPECT_FALSE(file->Seek(-1));
  EXPECT_EQ(ReadAll(*file, 1), " ") << "a refused seek leaves the pointer";
  EXPECT_EQ(file->Write("", 0), 0);
  EXPECT_EQ(file->Write("x", -1), -1);
  EXPECT_TRUE(file->Flush());
  EXPECT_EQ(Contents("drive_c/Data/x.bin"), "Jello world");
}

TEST_F(PosixHostFileTest, WritingPastTheEndFillsTheGapWithZeros) {
  std::unique_ptr<HostFile> file = Create("C:\\Data\\x.bin");
  ASSERT_NE(file, nullptr);
  ASSERT_EQ(file->Write("ab", 2), 2);
  ASSERT_TRUE(file->Seek(6));
  EXPECT_EQ(file->Size(), 2) << "seeking alone does not grow the file";
  ASSERT_EQ(file->Write("z", 1), 1);
  EXPECT_EQ(file->Size(), 7);
  file.reset();
  EXPECT_EQ(Contents("drive_c/Data/x.bin"), std::string("ab\0\0\0\0z", 7));
}

TEST_F(PosixHostFileTest, SetEndOfFileCutsAndExtendsAtThePointer) {
  std::unique_ptr<HostFile> file = Create("C:\\Data\\x.bin");
  ASSERT_NE(file, nullptr);
  ASSERT_EQ(file->Write("0123456789", 10), 10);
  ASSERT_TRUE(file->Seek(4));
  ASSERT_TRUE(file->SetEndOfFile());
  EXPECT_EQ(file->Size(), 4);
  EXPECT_EQ(ReadAll(*file, 10), "");

  ASSERT_TRUE(file->Seek(8));
  ASSERT_TRUE(file->SetEndOfFile());
  EXPECT_EQ(file->Size(), 8);
  ASSERT_TRUE(file->Seek(0));
  EXPECT_EQ(ReadAll(*file, 20), std::string("0123\0\0\0\0", 8));

  ASSERT_TRUE(file->Seek(0));
  ASSERT_TRUE(file->SetEndOfFile());
  EXPECT_EQ(file->Size(), 0);
  EXPECT_TRUE(file->Flush());
  file.reset();
  EXPECT_EQ(Contents("drive_c/Data/x.bin"), "");
}

TEST_F(PosixHostFileTest, AReadOnlyOpenNeitherWritesNorResizes) {
  fPrefix.WriteFile("drive_c/Data/x.bin", "keep");
  std::unique_ptr<HostFile> file = fHost.OpenFile(
      "c:\\data\\X.BIN", {platform::kAccessRead, platform::kShareRead, FileDisposition::kOpenExisting, true});
  ASSERT_NE(file, nullptr);
  EXPECT_EQ(file->Write("lost", 4), -1);
  ASSERT_TRUE(file->Seek(1));
  EXPECT_FALSE(file->SetEndOfFile());
  EXPECT_EQ(ReadAll(*file, 10), "eep");
  EXPECT_EQ(Contents("drive_c/Data/x.bin"), "keep");
}

// The size an open saw answers only the first question, and only until the
// file changes through it; after that the host is asked, so a change made by
// anyone shows.
TEST_F(PosixHostFileTest, SizeFollowsTheFileAfterTheFirstAnswer) {
  struct Case {
    const char* name;
    void (*change)(HostFile&);
    int64_t after;
  };
  const Case cases[] = {
      {"written", [](HostFile& f) { ASSERT_TRUE(f.Seek(10)); ASSERT_EQ(f.Write("abc", 3), 3); }, 13},
      {"cut", [](HostFile& f) { ASSERT_TRUE(f.Seek(4)); ASSERT_TRUE(f.SetEndOfFile()); }, 4},
      {"extended", [](HostFile& f) { ASSERT_TRUE(f.Seek(12)); ASSERT_TRUE(f.SetEndOfFile()); }, 12},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    fPrefix.WriteFile("drive_c/Data/x.bin", "0123456789");
    const FileOpenOptions options{platform::kAccessRead | platform::kAccessWrite, platform::kShareRead,
                                  FileDisposition::kOpenExisting, false};
    std::unique_ptr<HostFile> file = fHost.OpenFile("c:\\data\\x.bin", options);
    ASSERT_NE(file, nullptr);
    c.change(*file);
    EXPECT_EQ(file->Size(), c.after) << "changed before the first question";

    file.reset();
    file = fHost.OpenFile("c:\\data\\x.bin", options);
    ASSERT_NE(file, nullptr);
    EXPECT_EQ(file->Size(), c.after);
    std::ofstream(fPrefix.Path("drive_c/Data/x.bin"), std::ios::binary | std::ios::app) << "zz";
    EXPECT_EQ(file->Size(), c.after + 2) << "grown by another writer";
  }
}

// A file-size limit stands in for a full disk: the write stops part-way, and
// what reached the file is reported as a short count.
TEST_F(PosixHostFileTest, AWriteThatRunsOutOfRoomReportsWhatReachedTheFile) {
  std::unique_ptr<HostFile> file = Create("C:\\Data\\x.bin");
  ASSERT_NE(file, nullptr);
  struct rlimit saved {};
  ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &saved), 0);
  if (saved.rlim_max != RLIM_INFINITY && saved.rlim_max < 10) GTEST_SKIP() << "file size limit too low";
  auto* oldHandler = std::signal(SIGXFSZ, SIG_IGN);
  struct rlimit small = saved;
  small.rlim_cur = 10;
  ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &small), 0);

  std::vector<char> bytes(25, 'x');
  int64_t written = file->Write(bytes.data(), 25);
  int64_t nothingMore = file->Write(bytes.data(), 5);

  ::setrlimit(RLIMIT_FSIZE, &saved);
  std::signal(SIGXFSZ, oldHandler);
  EXPECT_EQ(written, 10);
  EXPECT_EQ(nothingMore, -1);
  EXPECT_EQ(file->Size(), 10);
}

}  // namespace
