#include "tests/platform/FaultyHostEnv.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "tests/platform/ScratchHost.h"

using platform::FileDisposition;
using platform::FileOpenOptions;
using platform::HostFile;

namespace {

class FaultyHostEnvTest : public ::testing::Test {
 protected:
  std::unique_ptr<HostFile> Create(std::string_view path) {
    return fEnv.OpenFile(path, {platform::kAccessRead | platform::kAccessWrite, platform::kShareRead,
                                FileDisposition::kCreateAlways, false});
  }

  std::string Contents(std::string_view relative) const { return fHost.folder().ReadFile(relative); }

  ScratchHost fHost;
  FaultyHostEnv fEnv{&fHost.Env()};
};

TEST_F(FaultyHostEnvTest, TheNthWriteFailsCountingAcrossFiles) {
  std::unique_ptr<HostFile> a = Create("C:\\a");
  std::unique_ptr<HostFile> b = Create("C:\\b");
  ASSERT_TRUE(a && b);
  fEnv.plan().FailNth(HostCall::kWrite, 3);
  EXPECT_EQ(a->Write("1", 1), 1);
  EXPECT_EQ(b->Write("2", 1), 1);
  EXPECT_EQ(a->Write("3", 1), -1);
  EXPECT_EQ(b->Write("4", 1), 1) << "not sticky";
  EXPECT_EQ(fEnv.plan().Count(HostCall::kWrite), 4);
  EXPECT_EQ(fEnv.plan().Failures(HostCall::kWrite), 1);
  a.reset();
  b.reset();
  EXPECT_EQ(Contents("drive_c/a"), "1");
  EXPECT_EQ(Contents("drive_c/b"), "24");
}

TEST_F(FaultyHostEnvTest, StickyFailuresAndShortWrites) {
  fEnv.SetShortWrites(true);
  std::unique_ptr<HostFile> file = Create("C:\\f");
  ASSERT_NE(file, nullptr);
  fEnv.plan().FailNth(HostCall::kWrite, 2, true);
  EXPECT_EQ(file->Write("abcd", 4), 4);
  EXPECT_EQ(file->Write("efgh", 4), 2);
  EXPECT_EQ(file->Write("ijkl", 4), 2);
  EXPECT_EQ(file->Write("m", 1), 0);
  fEnv.plan().Heal(HostCall::kWrite);
  EXPECT_EQ(file->Write("n", 1), 1);
  file.reset();
  EXPECT_EQ(Contents("drive_c/f"), "abcdefijn");
}

TEST_F(FaultyHostEnvTest, FlushTruncateSeekAndReadFail) {
  std::unique_ptr<HostFile> file = Create("C:\\f");
  ASSERT_NE(file, nullptr);
  ASSERT_EQ(file->Write("abcdef", 6), 6);
  fEnv.plan().FailAll(HostCall::kFlush);
  fEnv.plan().FailNth(HostCall::kSetEndOfFile, 1);
  fEnv.plan().FailNth(HostCall::kSeek, 1);
  fEnv.plan().FailNth(HostCall::kRead, 1);
  EXPECT_FALSE(file->Flush());
  EXPECT_FALSE(file->Flush());
  EXPECT_FALSE(file->Seek(2));
  ASSERT_TRUE(file->Seek(2));
  EXPECT_FALSE(file->SetEndOfFile());
  EXPECT_EQ(file->Size(), 6) << "a failed call changes nothing";
  char byte = 0;
  EXPECT_EQ(file->Read(&byte, 1), -1);
  EXPECT_EQ(file->Read(&byte, 1), 1);
  EXPECT_EQ(byte, 'c');
  EXPECT_TRUE(file->SetEndOfFile());
  EXPECT_EQ(file->Size(), 3);
}

TEST_F(FaultyHostEnvTest, OpensAndRemovesCanBeRefused) {
  fEnv.RefuseOpens([](std::string_view path, const FileOpenOptions& options) {
    return path.ends_with(".tmp") && (options.access & platform::kAccessWrite) != 0;
  });
  EXPECT_EQ(Create("C:\\save.tmp"), nullptr);
  EXPECT_EQ(fEnv.plan().Count(HostCall::kOpenFile), 0) << "a filtered open is not counted";
  EXPECT_NE(Create("C:\\save.iff"), nullptr);
  fEnv.RefuseOpens({});
  fEnv.plan().FailNth(HostCall::kOpenFile, 1);
  EXPECT_EQ(Create("C:\\save.tmp"), nullptr);
  EXPECT_NE(Create("C:\\save.tmp"), nullptr);

  fEnv.plan().FailNth(HostCall::kRemoveFile, 1);
  EXPECT_FALSE(fEnv.RemoveFile("C:\\save.tmp"));
  EXPECT_TRUE(fEnv.RemoveFile("C:\\save.tmp"));
}

TEST_F(FaultyHostEnvTest, FilesKeepFailingAfterTheEnvIsGone) {
  std::unique_ptr<HostFile> file;
  {
    FaultyHostEnv shortLived(&fHost.Env());
    file = shortLived.OpenFile("C:\\x",
                               {platform::kAccessWrite, platform::kShareRead, FileDisposition::kCreateAlways, false});
    ASSERT_NE(file, nullptr);
    shortLived.plan().FailAll(HostCall::kWrite);
  }
  EXPECT_EQ(file->Write("x", 1), -1);
}

}  // namespace
