// Failures while a block file changes: whichever write fails, the old
// resource stays where a walk finds it and no name is lost.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "msrc/File/IFFResFile.h"
#include "platform/HostEnv.h"
#include "tests/msrc/File/IFF1Builder.h"
#include "tests/msrc/File/IFF2Fixture.h"
#include "tests/platform/FaultyHostEnv.h"

namespace {

class IFFResFileFaultTest : public IFF2Fixture {
 protected:
  void SetUp() override {
    IFF2Fixture::SetUp();
    fPrevious = platform::HostEnv::Replace(&fFaulty);
  }
  void TearDown() override {
    platform::HostEnv::Replace(fPrevious);
    IFF2Fixture::TearDown();
  }

  // OBJD 1 "old!" named "keep", OBJD 2 "other" named "second".
  static std::string NamedFile() {
    IFF1Builder built;
    built.NamesCache({{1, "keep"}, {2, "second"}});
    built.Block("OBJD", 1, 0, 1, "old!");
    built.Block("OBJD", 2, 0, 2, "other");
    return built.Bytes();
  }

  static std::string NameOf(IFFResFile& file, MHandle handle) {
    Name name;
    file.GetResName(handle, &name);
    return name.Text();
  }

  // Reopens the file as it is on disk: OBJD 1 holds one of the two byte
  // strings and is still named "keep"; OBJD 2 is intact and named
  // "second" or `secondName`.
  void ExpectIntact(const std::string& after, const std::string& secondName, int n) {
    IFFResFile file;
    ASSERT_EQ(file.Open(fPath), 0) << n;
    EXPECT_FALSE(Reported("no names cache")) << n;
    MHandle one = file.GetResource(kObjd, 1, nullptr);
    const std::string found = BytesOf(one);
    EXPECT_TRUE(found == "old!" || found == after) << "write " << n << ": " << found;
    EXPECT_EQ(NameOf(file, one), "keep") << n;
    MHandle two = file.GetResource(kObjd, 2, nullptr);
    EXPECT_EQ(BytesOf(two), "other") << n;
    const std::string second = NameOf(file, two);
    EXPECT_TRUE(second == "second" || second == secondName) << "write " << n << ": " << second;
    file.Close();
  }

  // Runs `change` and Close with the n-th write failing, for n = 1, 2, ...
  // until a run makes no write fail; with `sticky` every write after the
  // n-th fails too.
  template <typename Change>
  void FailEachWrite(bool sticky, Change change, const std::string& after, const std::string& secondName) {
    for (int n = 1; n < 60; ++n) {
      WriteFile(NamedFile());
      const int failuresBefore = fFaulty.plan().Failures(HostCall::kWrite);
      {
        IFFResFile file;
        ASSERT_EQ(file.Open(fPath), 0);
        fFaulty.plan().FailNth(HostCall::kWrite, n, sticky);
        change(file);
        file.Close();
        fFaulty.plan().Heal(HostCall::kWrite);
      }
      fReports.Clear();
      ExpectIntact(after, secondName, n);
      if (fFaulty.plan().Failures(HostCall::kWrite) == failuresBefore) {
        EXPECT_GT(n, 2);
        return;
      }
    }
    ADD_FAILURE() << "the change never ran without a failure";
  }

  FaultyHostEnv fFaulty{&fDrive.Env()};
  platform::HostEnv* fPrevious = nullptr;
};

TEST_F(IFFResFileFaultTest, AFailedWriteOfAResizedResourceKeepsTheOldOne) {
  const std::string grown(40, 'N');
  for (const bool sticky : {false, true}) {
    for (const bool shortWrites : {false, true}) {
      fFaulty.SetShortWrites(shortWrites);
      FailEachWrite(
          sticky,
          [&grown](IFFResFile& file) {
            MHandle handle = file.GetResource(kObjd, 1, nullptr);
            ASSERT_EQ(SetMHandleSize(handle, 40), 0);
            std::memcpy(LockMHandle(handle), grown.data(), grown.size());
            UnlockMHandle(handle);
            file.WriteResource(handle);
          },
          grown, "second");
    }
  }
}

TEST_F(IFFResFileFaultTest, AFailedWriteOfAReplacementKeepsTheOldOne) {
  for (const bool sticky : {false, true}) {
    FailEachWrite(
        sticky,
        [](IFFResFile& file) {
          MHandle handle = MakeHandle("replacement");
          file.AddResource(handle, kObjd, 1, Name("keep"), false);
          file.WriteResource(handle);
        },
        "replacement", "second");
  }
}

TEST_F(IFFResFileFaultTest, AFailedNamesCacheRewriteKeepsEveryName) {
  for (const bool sticky : {false, true}) {
    for (const bool shortWrites : {false, true}) {
      fFaulty.SetShortWrites(shortWrites);
      FailEachWrite(
          sticky,
          [](IFFResFile& file) {
            file.SetResInfo(file.GetResource(kObjd, 2, nullptr), 2, Name("renamed"), 0);
            // A new resource makes the flush write more than the names.
            file.AddResource(MakeHandle("added"), kObjd, 3, Name("third"), false);
          },
          "old!", "renamed");
    }
  }
}

TEST_F(IFFResFileFaultTest, AFailedNamesCacheRewriteStaysDirtyAndIsSavedNextTime) {
  WriteFile(NamedFile());
  IFFResFile file;
  ASSERT_EQ(file.Open(fPath), 0);
  file.SetResInfo(file.GetResource(kObjd, 2, nullptr), 2, Name("renamed"), 0);
  fFaulty.plan().FailNth(HostCall::kWrite, 1);
  file.Flush();
  EXPECT_EQ(file.Error(), kResErrShortWrite);
  EXPECT_TRUE(file.NameList()->IsDirty());
  // Nothing changed on disk: the failed write was the header that claims
  // the new block's space.
  EXPECT_EQ(ReadFile(), NamedFile());
  EXPECT_EQ(file.Close(), 0);
  file.Open(fPath);
  EXPECT_EQ(NameOf(file, file.GetResource(kObjd, 2, nullptr)), "renamed");
  file.Close();
}

TEST_F(IFFResFileFaultTest, AFailedAppendGivesItsBytesBack) {
  WriteFile(NamedFile());
  IFFResFile file;
  ASSERT_EQ(file.Open(fPath), 0);
  MHandle handle = MakeHandle("appended");
  file.AddResource(handle, kObjd, 9, Name(""), false);
  // The free header that claims the space goes through; the payload fails.
  fFaulty.plan().FailNth(HostCall::kWrite, 2);
  file.WriteResource(handle);
  EXPECT_EQ(file.Error(), kResErrShortWrite);
  EXPECT_EQ(ReadFile(), NamedFile());
  EXPECT_EQ(file.InvalidTotal(), 0);
  file.WriteResource(handle);
  EXPECT_EQ(file.Error(), 0);
  EXPECT_EQ(IFF1Builder::Resources(ReadFile()).back().payload, "appended");
  file.Close();
}

TEST_F(IFFResFileFaultTest, CloseReportsWhatItCouldNotWrite) {
  WriteFile(NamedFile());
  IFFResFile file;
  ASSERT_EQ(file.Open(fPath), 0);
  file.AddResource(MakeHandle("pending"), kObjd, 3, Name(""), false);
  fFaulty.plan().FailAll(HostCall::kWrite);
  EXPECT_EQ(file.Close(), kResErrShortWrite);
  EXPECT_FALSE(file.ValidFile());
  fFaulty.plan().Heal(HostCall::kWrite);
  EXPECT_EQ(ReadFile(), NamedFile());
}

TEST_F(IFFResFileFaultTest, AFailedFlushToTheDeviceIsReported) {
  WriteFile(NamedFile());
  IFFResFile file;
  ASSERT_EQ(file.Open(fPath), 0);
  file.SetResID(file.GetResource(kObjd, 2, nullptr), 20);
  fFaulty.plan().FailAll(HostCall::kFlush);
  file.Flush();
  EXPECT_EQ(file.Error(), kFlatErrFailed);
  EXPECT_TRUE(Reported("could not close and reopen file of the same name"));
  EXPECT_TRUE(file.ValidFile());
  EXPECT_EQ(file.Close(), kFlatErrFailed);
  fFaulty.plan().Heal(HostCall::kFlush);
}

}  // namespace
