#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>

#include "msrc/File/flatfile.h"
#include "msrc/Util/FixedStringBuffer.h"
#include "platform/HostEnv.h"
#include "tests/filesystem/ScratchDrive.h"
#include "tests/msrc/Util/AssertRecorder.h"
#include "tests/platform/FaultyHostEnv.h"

namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

using Path = FixedStringBuffer<260>;

class FlatFileTest : public ::testing::Test {
 protected:
  void SetUp() override { fDrive.WriteFile("x/data.bin", "0123456789"); }

  std::string ReadAll(FlatFile& file, int32_t count) {
    std::string bytes(static_cast<size_t>(count), '\0');
    EXPECT_EQ(file.Read(bytes.data(), count), 0);
    return bytes;
  }

  ScratchDrive fDrive;
  AssertRecorder fReports;
  const Path fData{"c:\\x\\data.bin"};
};

TEST_F(FlatFileTest, ReadWriteAndPosition) {
  FlatFile file;
  EXPECT_FALSE(file.ValidFile());
  ASSERT_EQ(file.Open(Path("C:/X/Data.bin")), 0);
  EXPECT_TRUE(file.ValidFile());
  EXPECT_TRUE(file.IsWritable());
  int32_t length = 0;
  EXPECT_EQ(file.GetSize(&length), 0);
  EXPECT_EQ(length, 10);
  EXPECT_EQ(ReadAll(file, 4), "0123");
  EXPECT_EQ(file.SetPos(10), 0);
  EXPECT_EQ(file.Write("ab", 2), 0);
  EXPECT_EQ(file.GetSize(&length), 0);
  EXPECT_EQ(length, 12);
  EXPECT_EQ(file.SetPos(1), 0);
  EXPECT_EQ(file.Write("X", 1), 0);
  EXPECT_EQ(file.Flush(), 0);
  Path path;
  EXPECT_EQ(file.GetPath(&path), 0);
  EXPECT_STREQ(path.Text(), "c:\\x\\data.bin");
  EXPECT_EQ(file.Close(), 0);
  EXPECT_FALSE(file.ValidFile());
  EXPECT_EQ(fDrive.ReadFile("x/data.bin"), "0X23456789ab");
}

TEST_F(FlatFileTest, ShortReadAndPositionsPastTheEnd) {
  FlatFile file;
  ASSERT_EQ(file.Open(fData), 0);
  char buffer[16];
  EXPECT_EQ(file.Read(buffer, 16), kFlatErrShortRead);
  EXPECT_EQ(file.SetPos(10), 0);
  EXPECT_EQ(file.SetPos(11), kFlatErrShortRead);
  EXPECT_EQ(file.SetPos(-1), kFlatErrShortRead);
  EXPECT_EQ(file.Read(buffer, 0), 0);
}

TEST_F(FlatFileTest, NegativeCountsAreRefused) {
  FlatFile file;
  ASSERT_EQ(file.Open(fData), 0);
  char buffer[4] = {'k', 'k', 'k', 'k'};
  EXPECT_EQ(file.Read(buffer, -1), kFlatErrShortRead);
  EXPECT_EQ(file.Write(buffer, -4), kFlatErrShortWrite);
  EXPECT_EQ(std::string(buffer, 4), "kkkk");
  EXPECT_EQ(ReadAll(file, 2), "01");
  file.Close();
  EXPECT_EQ(fDrive.ReadFile("x/data.bin"), "0123456789");
}

TEST_F(FlatFileTest, SizeCanBeCutAndGrown) {
  FlatFile file;
  ASSERT_EQ(file.Open(fData), 0);
  EXPECT_EQ(file.SetSize(3), 0);
  int32_t length = 0;
  file.GetSize(&length);
  EXPECT_EQ(length, 3);
  EXPECT_EQ(file.SetSize(5), 0);
  EXPECT_EQ(file.SetSize(-1), kFlatErrFailed);
  file.Close();
  EXPECT_EQ(fDrive.ReadFile("x/data.bin"), std::string("012\0\0", 5));
}

TEST_F(FlatFileTest, ReadOnlyFileOpensReadOnly) {
  fDrive.MakeReadOnly("x/data.bin");
  FlatFile file;
  ASSERT_EQ(file.Open(fData), 0);
  EXPECT_FALSE(file.IsWritable());
  EXPECT_EQ(ReadAll(file, 3), "012");
  EXPECT_EQ(file.Write("z", 1), kFlatErrShortWrite);
  EXPECT_EQ(file.SetSize(2), kFlatErrFailed);
  file.Close();
  EXPECT_EQ(fDrive.ReadFile("x/data.bin"), "0123456789");
}

TEST_F(FlatFileTest, OpenFailures) {
  FlatFile file;
  EXPECT_EQ(file.Open(Path("c:\\x\\missing.bin")), kFlatErrFailed);
  EXPECT_FALSE(file.ValidFile());
  ASSERT_EQ(file.Open(fData), 0);
  EXPECT_EQ(file.Open(fData), kFlatErrAlreadyOpen);
  EXPECT_TRUE(file.ValidFile());
}

TEST_F(FlatFileTest, AWriterShutsOutEveryOtherOpen) {
  FlatFile writer;
  ASSERT_EQ(writer.Open(fData), 0);
  ASSERT_TRUE(writer.IsWritable());
  FlatFile second;
  EXPECT_EQ(second.Open(fData), kFlatErrFailed);
  EXPECT_FALSE(second.ValidFile());
  writer.Close();
  EXPECT_EQ(second.Open(fData), 0);
  EXPECT_TRUE(second.IsWritable());
}

TEST_F(FlatFileTest, ReadersShareAReadOnlyFile) {
  fDrive.MakeReadOnly("x/data.bin");
  FlatFile first;
  FlatFile second;
  ASSERT_EQ(first.Open(fData), 0);
  ASSERT_EQ(second.Open(fData), 0);
  EXPECT_FALSE(first.IsWritable());
  EXPECT_FALSE(second.IsWritable());
  EXPECT_EQ(ReadAll(second, 2), "01");
}

TEST_F(FlatFileTest, ReadOnlyAccessNeverWritesAndSharesWithReaders) {
  FlatFile looker;
  looker.SetReadOnlyAccess(true);
  ASSERT_EQ(looker.Open(fData), 0);
  EXPECT_FALSE(looker.IsWritable());
  EXPECT_EQ(looker.Write("x", 1), kFlatErrShortWrite);
  // A second reader gets in; a would-be writer only gets read access while
  // the looker reads, and write access once it has gone.
  FlatFile reader;
  reader.SetReadOnlyAccess(true);
  EXPECT_EQ(reader.Open(fData), 0);
  FlatFile writer;
  ASSERT_EQ(writer.Open(fData), 0);
  EXPECT_FALSE(writer.IsWritable());
  writer.Close();
  looker.Close();
  reader.Close();
  ASSERT_EQ(writer.Open(fData), 0);
  EXPECT_TRUE(writer.IsWritable());
}

TEST_F(FlatFileTest, DestructionCloses) {
  {
    FlatFile file;
    ASSERT_EQ(file.Open(fData), 0);
  }
  FlatFile again;
  EXPECT_EQ(again.Open(fData), 0);
  EXPECT_TRUE(again.IsWritable());
  EXPECT_THAT(fReports.Reports(), IsEmpty());
}

TEST_F(FlatFileTest, ClosedFileRefusesEverything) {
  FlatFile file;
  char buffer[2];
  int32_t length = 5;
  Path path("kept");
  EXPECT_EQ(file.Read(buffer, 2), kFlatErrNotOpen);
  EXPECT_EQ(file.Write(buffer, 2), kFlatErrNotOpen);
  EXPECT_EQ(file.SetPos(0), kFlatErrNotOpen);
  EXPECT_EQ(file.GetSize(&length), kFlatErrNotOpen);
  EXPECT_EQ(length, 5);
  EXPECT_EQ(file.SetSize(0), kFlatErrNotOpen);
  EXPECT_EQ(file.Flush(), kFlatErrNotOpen);
  EXPECT_EQ(file.GetPath(&path), kFlatErrNotOpen);
  EXPECT_STREQ(path.Text(), "kept");
  EXPECT_THAT(fReports.Reports(), IsEmpty());
}

TEST_F(FlatFileTest, ClosingAClosedFileIsReported) {
  FlatFile file;
  EXPECT_EQ(file.Close(), kFlatErrNotOpen);
  EXPECT_THAT(fReports.Reports(), ElementsAre("XASSERT failure in file msrc/File/flatfile, line 130 : (ValidFile()) "
                                              "closing an unopened file"));
  ASSERT_EQ(file.Open(fData), 0);
  EXPECT_EQ(file.Close(), 0);
  EXPECT_EQ(file.Close(), kFlatErrNotOpen);
  EXPECT_EQ(fReports.Count(), 2u);
}

TEST_F(FlatFileTest, CreateMakesAnEmptyFileAndStaysClosed) {
  FlatFile file;
  EXPECT_EQ(file.Create(Path("c:\\x\\new.iff")), 0);
  EXPECT_FALSE(file.ValidFile());
  EXPECT_TRUE(fDrive.FileExists("x/new.iff"));
  EXPECT_EQ(fDrive.ReadFile("x/new.iff"), "");
}

TEST_F(FlatFileTest, CreateRefusals) {
  FlatFile file;
  EXPECT_EQ(file.Create(fData), kFlatErrExists);
  EXPECT_EQ(fDrive.ReadFile("x/data.bin"), "0123456789");
  EXPECT_EQ(file.Create(Path("c:\\nowhere\\new.iff")), kFlatErrCreateFailed);
  ASSERT_EQ(file.Open(fData), 0);
  EXPECT_EQ(file.Create(Path("c:\\x\\other.iff")), kFlatErrAlreadyOpen);
  EXPECT_FALSE(fDrive.FileExists("x/other.iff"));
}

TEST_F(FlatFileTest, Delete) {
  fDrive.WriteFile("x/gone.bin", "g");
  FlatFile file;
  EXPECT_EQ(file.Delete(Path("c:\\x\\gone.bin")), 0);
  EXPECT_FALSE(fDrive.FileExists("x/gone.bin"));
  EXPECT_EQ(file.Delete(Path("c:\\x\\gone.bin")), kFlatErrNoSuchFile);
}

TEST_F(FlatFileTest, DeleteRefusals) {
  fDrive.WriteFile("x/locked.bin", "l");
  fDrive.MakeReadOnly("x/locked.bin");
  FlatFile file;
  EXPECT_EQ(file.Delete(Path("c:\\x\\locked.bin")), kFlatErrDeleteFailed);
  EXPECT_TRUE(fDrive.FileExists("x/locked.bin"));

  fDrive.WriteFile("x/other.bin", "o");
  ASSERT_EQ(file.Open(fData), 0);
  EXPECT_EQ(file.Delete(Path("c:\\x\\other.bin")), kFlatErrAlreadyOpen);
  EXPECT_TRUE(fDrive.FileExists("x/other.bin"));
}

class FlatFileFaultTest : public FlatFileTest {
 protected:
  void SetUp() override {
    FlatFileTest::SetUp();
    fPrevious = platform::HostEnv::Replace(&fFaulty);
  }
  void TearDown() override { platform::HostEnv::Replace(fPrevious); }

  FaultyHostEnv fFaulty{&fDrive.Env()};
  platform::HostEnv* fPrevious = nullptr;
};

TEST_F(FlatFileFaultTest, FailedFlushAndShortWrite) {
  FlatFile file;
  ASSERT_EQ(file.Open(fData), 0);
  fFaulty.plan().FailAll(HostCall::kFlush);
  EXPECT_EQ(file.Flush(), kFlatErrFailed);
  fFaulty.SetShortWrites(true);
  fFaulty.plan().FailNth(HostCall::kWrite, 1);
  EXPECT_EQ(file.Write("abcd", 4), kFlatErrShortWrite);
}

TEST_F(FlatFileFaultTest, FailedTruncation) {
  FlatFile file;
  ASSERT_EQ(file.Open(fData), 0);
  fFaulty.plan().FailAll(HostCall::kSetEndOfFile);
  EXPECT_EQ(file.SetSize(2), kFlatErrFailed);
}

TEST_F(FlatFileFaultTest, RefusedWritableOpenFallsBackToReadOnly) {
  fFaulty.RefuseOpens([](std::string_view, const platform::FileOpenOptions& options) {
    return (options.access & platform::kAccessWrite) != 0;
  });
  FlatFile file;
  ASSERT_EQ(file.Open(fData), 0);
  EXPECT_FALSE(file.IsWritable());
  fFaulty.RefuseOpens([](std::string_view, const platform::FileOpenOptions&) { return true; });
  FlatFile none;
  EXPECT_EQ(none.Open(fData), kFlatErrFailed);
}

}  // namespace
