// Failures and the faults this file class mends: a write that fails keeps the
// old resource, the stored free-space total stays true, and a map offset that
// names some other block does not cost that block.
#include <gtest/gtest.h>

#include <cstring>
#include <optional>
#include <string>

#include "msrc/File/IFFResFile2.h"
#include "platform/HostEnv.h"
#include "tests/msrc/File/IFF2Builder.h"
#include "tests/msrc/File/IFF2Fixture.h"
#include "tests/msrc/File/IFF2Reader.h"
#include "tests/platform/FaultyHostEnv.h"

namespace {

class IFFResFile2FaultTest : public IFF2Fixture {
 protected:
  void SetUp() override {
    IFF2Fixture::SetUp();
    fPrevious = platform::HostEnv::Replace(&fFaulty);
  }
  void TearDown() override {
    platform::HostEnv::Replace(fPrevious);
    IFF2Fixture::TearDown();
  }

  // OBJD 1 "old!" named "keep", OBJD 2 "other", and a map naming both.
  std::string MappedFile() {
    IFF2Builder built;
    built.Block("OBJD", 1, 0, "keep", "old!");
    built.Block("OBJD", 2, 0, "", "other");
    built.SetMapOffset(static_cast<uint32_t>(
        built.Block("rsmp", 0, 0x0010, "", IFF2Builder::MapPayload(0, {{"OBJD", {{64, 1, 0, "keep"}, {144, 2, 0, ""}}}}))));
    return built.Bytes();
  }

  // Reopens the file as it is on disk, from its map and then by walking, and
  // checks that OBJD 1 holds one of the two byte strings and OBJD 2 is intact.
  void ExpectOneOf(const std::string& before, const std::string& after, int n) {
    for (const bool walk : {false, true}) {
      if (walk) {
        std::string bytes = ReadFile();
        bytes.replace(60, 4, IFF2Builder::BigEndian32(0));
        WriteFile(bytes);
      }
      IFFResFile2 file;
      ASSERT_EQ(file.Open(fPath), 0) << n;
      const std::string found = BytesOf(file.GetResource(kObjd, 1, nullptr));
      EXPECT_TRUE(found == before || found == after) << "write " << n << (walk ? " walked: " : " mapped: ") << found;
      EXPECT_EQ(BytesOf(file.GetResource(kObjd, 2, nullptr)), "other") << n;
      file.Close();
    }
  }

  // Runs `change` with the n-th write failing, for n = 1, 2, ... until a run
  // makes no write fail; with `sticky` every write after the n-th fails too,
  // Close's included.
  template <typename Change>
  void FailEachWrite(bool sticky, Change change, const std::string& after) {
    for (int n = 1; n < 60; ++n) {
      WriteFile(MappedFile());
      const int failuresBefore = fFaulty.plan().Failures(HostCall::kWrite);
      {
        IFFResFile2 file;
        ASSERT_EQ(file.Open(fPath), 0);
        fFaulty.plan().FailNth(HostCall::kWrite, n, sticky);
        change(file);
        file.Close();
        fFaulty.plan().Heal(HostCall::kWrite);
      }
      ExpectOneOf("old!", after, n);
      if (fFaulty.plan().Failures(HostCall::kWrite) == failuresBefore) {
        EXPECT_GT(n, 3);
        return;
      }
    }
    ADD_FAILURE() << "the change never ran without a failure";
  }

  FaultyHostEnv fFaulty{&fDrive.Env()};
  platform::HostEnv* fPrevious = nullptr;
};

TEST_F(IFFResFile2FaultTest, AFailedWriteOfAResizedResourceKeepsTheOldOne) {
  const std::string grown(40, 'N');
  for (const bool sticky : {false, true}) {
    FailEachWrite(
        sticky,
        [&grown](IFFResFile2& file) {
          MHandle handle = file.GetResource(kObjd, 1, nullptr);
          ASSERT_EQ(SetMHandleSize(handle, 40), 0);
          std::memcpy(LockMHandle(handle), grown.data(), grown.size());
          UnlockMHandle(handle);
          file.WriteResource(handle);
        },
        grown);
  }
}

TEST_F(IFFResFile2FaultTest, AFailedWriteOfAReplacementKeepsTheOldOne) {
  for (const bool sticky : {false, true}) {
    FailEachWrite(
        sticky,
        [](IFFResFile2& file) {
          MHandle handle = MakeHandle("replacement");
          file.AddResource(handle, kObjd, 1, Name("keep"), false);
          file.WriteResource(handle);
        },
        "replacement");
  }
}

TEST_F(IFFResFile2FaultTest, AFailedMapDropChangesNothing) {
  WriteFile(MappedFile());
  IFFResFile2 file;
  ASSERT_EQ(file.Open(fPath), 0);
  const int32_t mapAt = file.MapOffset();
  // The swizzled mark makes the block's header change, and the map with it.
  MHandle handle = file.GetResource(kObjd, 2, [](void*, int32_t) {});
  fFaulty.plan().FailNth(HostCall::kWrite, 1);
  file.WriteResource(handle);
  EXPECT_EQ(file.Error(), kResErrShortWrite);
  EXPECT_TRUE(Reported("error occurred invalidating map header"));
  EXPECT_EQ(file.MapOffset(), mapAt);
  EXPECT_EQ(ReadFile(), MappedFile());
  file.WriteResource(handle);
  EXPECT_EQ(file.Error(), 0);
  EXPECT_EQ(file.MapOffset(), 0);
  file.Close();
}

TEST_F(IFFResFile2FaultTest, CloseReportsWhatItCouldNotWrite) {
  WriteFile(MappedFile());
  IFFResFile2 file;
  ASSERT_EQ(file.Open(fPath), 0);
  file.AddResource(MakeHandle("pending"), kObjd, 3, Name(""), false);
  fFaulty.plan().FailAll(HostCall::kWrite);
  EXPECT_EQ(file.Close(), kResErrShortWrite);
  EXPECT_FALSE(file.ValidFile());
  fFaulty.plan().Heal(HostCall::kWrite);
  EXPECT_EQ(ReadFile(), MappedFile());
}

TEST_F(IFFResFile2FaultTest, TheStoredFreeTotalStaysTrueSaveAfterSave) {
  IFFResFile2 file;
  ASSERT_EQ(file.Create(fPath), 0);
  ASSERT_EQ(file.Open(fPath), 0);
  for (int16_t id = 1; id <= 3; ++id) file.AddResource(MakeHandle(std::string(10u * id, 'r')), kObjd, id, Name(""), false);
  ASSERT_EQ(file.Close(), 0);
  std::optional<int32_t> first;
  for (int save = 0; save < 5; ++save) {
    ASSERT_EQ(file.Open(fPath), 0);
    MHandle handle = file.GetResource(kObjd, 2, nullptr);
    std::memset(LockMHandle(handle), 'a' + save, 20);  // same size: rewritten in place
    UnlockMHandle(handle);
    file.WriteResource(handle);
    ASSERT_EQ(file.Close(), 0);
    const IFF2Reader reader(ReadFile());
    EXPECT_EQ(reader.StoredInvalidTotal(), reader.FreeBytes()) << save;
    if (!first) first = reader.StoredInvalidTotal();
    EXPECT_EQ(reader.StoredInvalidTotal(), first) << save;
  }
  // A save that moves a resource leaves free space behind; still counted true.
  ASSERT_EQ(file.Open(fPath), 0);
  MHandle handle = file.GetResource(kObjd, 1, nullptr);
  ASSERT_EQ(SetMHandleSize(handle, 200), 0);
  file.WriteResource(handle);
  ASSERT_EQ(file.Close(), 0);
  const IFF2Reader reader(ReadFile());
  EXPECT_GT(reader.FreeBytes(), 0);
  EXPECT_EQ(reader.StoredInvalidTotal(), reader.FreeBytes());
}

TEST_F(IFFResFile2FaultTest, AStaleMapOffsetOnlyFreesAMapBlock) {
  IFF2Builder built;
  built.Block("OBJD", 1, 0, "", "one");
  const int32_t second = built.Block("OBJD", 2, 0, "", "two");
  const int32_t free = built.Free(80);
  const int32_t stale = built.Block("rsmp", 0, 0x0010, "", IFF2Builder::MapPayload(0, {{"rsmp", {{64, 0, 0, ""}}}}));
  for (const int32_t named : {second, free, stale, 100000, 70}) {
    built.SetMapOffset(static_cast<uint32_t>(named));
    WriteFile(built.Bytes());
    IFFResFile2 file;
    ASSERT_EQ(file.Open(fPath), 0);
    EXPECT_FALSE(file.OpenedFromMap()) << named;
    EXPECT_EQ(file.MapOffset(), named);
    EXPECT_EQ(file.InvalidTotal(), 80);
    file.SetResInfo(file.GetResource(kObjd, 1, nullptr), 1, Name("touched"), 0);
    EXPECT_EQ(file.Error(), 0);
    EXPECT_EQ(file.MapOffset(), 0);
    const IFF2Reader reader(ReadFile());
    EXPECT_EQ(reader.MapOffset(), 0u);
    EXPECT_EQ(reader.At(second)->type, "OBJD") << named;
    EXPECT_TRUE(reader.At(free)->IsFree());
    EXPECT_EQ(reader.At(stale)->IsFree(), named == stale);
    EXPECT_EQ(file.InvalidTotal(), named == stale ? 80 + reader.At(stale)->size : 80);
    ASSERT_EQ(file.Close(), 0);
    ASSERT_EQ(file.Open(fPath), 0);
    EXPECT_TRUE(file.OpenedFromMap());
    EXPECT_EQ(BytesOf(file.GetResource(kObjd, 2, nullptr)), "two");
    file.Close();
  }
}

}  // namespace
