#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "msrc/File/Recon.h"
#include "msrc/File/SimpleReconObject.h"
#include "msrc/Util/FixedStringBuffer.h"
#include "tests/msrc/File/FakeResFile.h"
#include "tests/msrc/File/KeyedNameList.h"
#include "tests/msrc/Util/AssertRecorder.h"

namespace {

using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::IsEmpty;

using NameListObject = SimpleReconObject<KeyedNameList>;

std::string Contents(MHandle h) {
  const int32_t size = GetMHandleSize(h);
  const auto* bytes = static_cast<const char*>(LockMHandle(h));
  std::string out(bytes, static_cast<size_t>(size));
  UnlockMHandle(h);
  return out;
}

MHandle HandleOf(const std::string& bytes) {
  MHandle h = NewMHandle(static_cast<int32_t>(bytes.size()));
  if (!bytes.empty()) std::memcpy(LockMHandle(h), bytes.data(), bytes.size());
  UnlockMHandle(h);
  return h;
}

std::string Encode(KeyedNameList list, int32_t version = 0, ResType type = KeyedNameList::kType) {
  NameListObject object(&list, type);
  MHandle h = ReconToHandle(object, version);
  std::string bytes = Contents(h);
  DisposeMHandle(h);
  return bytes;
}

class ReconHandleTest : public ::testing::Test {
 protected:
  void SetUp() override { fLiveHandles = CountLiveMHandles(); }
  void TearDown() override {
    MHandleFailAllocations(0);
    EXPECT_EQ(CountLiveMHandles(), fLiveHandles);
  }

  AssertRecorder fReports;
  int32_t fLiveHandles = 0;
};

TEST_F(ReconHandleTest, EmptyListIsSixteenBytes) {
  EXPECT_EQ(Encode(KeyedNameList{}), std::string("\0\0\0\0\0\0\0\0EMAN\0\0\0\0", 16));
  EXPECT_EQ(Encode(KeyedNameList{}, 0x0304), std::string("\0\0\0\0\x04\x03\0\0EMAN\0\0\0\0", 16));
}

TEST_F(ReconHandleTest, NamesOfThreeFourAndNoCharacters) {
  const std::string head("\0\0\0\0\0\0\0\0EMAN\x01\0\0\0\x07\0\0\0", 20);
  EXPECT_EQ(Encode(KeyedNameList{}.Add(7, "abc")), head + std::string("abc\0", 4));
  EXPECT_EQ(Encode(KeyedNameList{}.Add(7, "abcd")), head + std::string("abcd\0\xA3", 6));
  EXPECT_EQ(Encode(KeyedNameList{}.Add(7, "")), head + std::string("\0\xA3", 2));
  EXPECT_THAT(fReports.Reports(), IsEmpty());
}

TEST_F(ReconHandleTest, RoundTripKeepsEntriesAndVersion) {
  KeyedNameList list;
  list.Add(1, "chair").Add(-5, "").Add(70000, "a table of sixty-three characters at most, in this buffer.");
  NameListObject object(&list, KeyedNameList::kType);
  MHandle h = ReconToHandle(object, 42);
  ASSERT_NE(h, nullptr);

  KeyedNameList back;
  back.Add(99, "stale");
  NameListObject target(&back, KeyedNameList::kType);
  int32_t version = -1;
  ReconFromHandle(target, h, &version);
  EXPECT_EQ(version, 42);
  EXPECT_EQ(back, list);
  DisposeMHandle(h);
  EXPECT_THAT(fReports.Reports(), IsEmpty());
}

TEST_F(ReconHandleTest, BaseRecordWalksNothing) {
  ReconObject plain;
  EXPECT_EQ(plain.GetType(), 0x52636F6Eu);
  MHandle h = ReconToHandle(plain, 1);
  EXPECT_EQ(Contents(h), std::string("\0\0\0\0\x01\0\0\0nocR", 12));
  ReconFromHandle(plain, h);
  DisposeMHandle(h);
}

TEST_F(ReconHandleTest, TypeMismatchIsReportedAndDecodedAllTheSame) {
  MHandle h = HandleOf(Encode(KeyedNameList{}.Add(3, "x"), 0, MakeResType("rsmp")));
  KeyedNameList back;
  NameListObject target(&back, KeyedNameList::kType);
  ReconFromHandle(target, h);
  EXPECT_THAT(fReports.Reports(),
              ElementsAre(HasSubstr("(((Header*)data)->type == recon->GetType()) reconstitution type mismatch")));
  EXPECT_EQ(back, KeyedNameList{}.Add(3, "x"));
  DisposeMHandle(h);
}

TEST_F(ReconHandleTest, SwizzleTurnsTheHeaderRound) {
  std::string bytes("\0\0\0\0\x01\0\0\0EMAN", 12);
  ReconSwizzle(bytes.data(), 12);
  EXPECT_EQ(bytes, std::string("\x01\0\0\0\0\0\0\x01NAME", 12));

  std::string shorter("\0\0\0\0\x01\0\0\0EMA", 11);
  ReconSwizzle(shorter.data(), 11);
  EXPECT_EQ(shorter, std::string("\0\0\0\0\x01\0\0\0EMA", 11));
  ReconSwizzle(nullptr, 12);
}

TEST_F(ReconHandleTest, OtherByteOrderDecodesAfterTheSwizzle) {
  // As a writer of the other byte order stores version 2, one entry 0x0102
  // named "ab".
  std::string stored("\0\0\0\0\0\0\0\x02NAME\0\0\0\x01\0\0\x01\x02" "ab\0\xA3", 24);
  MHandle h = HandleOf(stored);
  ReconSwizzle(LockMHandle(h), GetMHandleSize(h));
  UnlockMHandle(h);
  KeyedNameList back;
  NameListObject target(&back, KeyedNameList::kType);
  int32_t version = 0;
  ReconFromHandle(target, h, &version);
  EXPECT_EQ(version, 2);
  EXPECT_EQ(back, KeyedNameList{}.Add(0x0102, "ab"));
  EXPECT_THAT(fReports.Reports(), IsEmpty());
  DisposeMHandle(h);
}

TEST_F(ReconHandleTest, HandleTooShortForTheHeaderIsLeftAlone) {
  KeyedNameList back;
  back.Add(5, "kept");
  NameListObject target(&back, KeyedNameList::kType);
  for (int32_t size = 0; size < 12; ++size) {
    MHandle h = HandleOf(std::string(static_cast<size_t>(size), '\x01'));
    int32_t version = 77;
    ReconFromHandle(target, h, &version);
    EXPECT_EQ(version, 77);
    EXPECT_EQ(back, KeyedNameList{}.Add(5, "kept"));
    DisposeMHandle(h);
  }
  ReconFromHandle(target, nullptr);
  EXPECT_EQ(fReports.Count(), 13u);
  EXPECT_THAT(fReports.Reports()[0], HasSubstr("handle too small"));
}

TEST_F(ReconHandleTest, TruncatedPayloadsNeverReadPastTheEnd) {
  const std::string full = Encode(KeyedNameList{}.Add(1, "first").Add(2, "second").Add(3, "x"));
  for (size_t size = 12; size < full.size(); ++size) {
    // The handle is exactly the cut size, so the sanitizer sees any overrun.
    MHandle h = HandleOf(full.substr(0, size));
    KeyedNameList back;
    NameListObject target(&back, KeyedNameList::kType);
    ReconFromHandle(target, h);
    EXPECT_LE(back.fEntries.size(), 3u);
    DisposeMHandle(h);
  }
}

TEST_F(ReconHandleTest, HugeCountInAShortPayloadAllocatesNothingBig) {
  MHandle h = HandleOf(std::string("\0\0\0\0\0\0\0\0EMAN\xFF\xFF\xFF\x7F\x01\0\0\0", 20));
  KeyedNameList back;
  NameListObject target(&back, KeyedNameList::kType);
  ReconFromHandle(target, h);
  EXPECT_LE(back.fEntries.size(), 1u);
  DisposeMHandle(h);
}

TEST_F(ReconHandleTest, NoMemoryForTheImage) {
  KeyedNameList list;
  NameListObject object(&list, KeyedNameList::kType);
  MHandleFailAllocations(1);
  EXPECT_EQ(ReconToHandle(object, 0), nullptr);
}

class ReconResourceTest : public ReconHandleTest {
 protected:
  void SetUp() override {
    ReconHandleTest::SetUp();
    fFile.Open(FixedStringBuffer<16>("c:\\r.iff"));
    fList.Add(10, "ten").Add(11, "eleven");
  }
  void TearDown() override {
    fFile.Close();
    ReconHandleTest::TearDown();
  }

  FakeResFile fFile;
  KeyedNameList fList;
  NameListObject fObject{&fList, KeyedNameList::kType};
};

TEST_F(ReconResourceTest, WriteStoresAnUnnamedSwizzledResourceAndKeepsNoHandle) {
  const int32_t live = CountLiveMHandles();
  EXPECT_EQ(WriteReconResource(fObject, 3, fFile, 1), 0);
  EXPECT_EQ(CountLiveMHandles(), live);
  const FakeResFile::Entry* entry = fFile.Find(KeyedNameList::kType, 1);
  ASSERT_NE(entry, nullptr);
  EXPECT_EQ(entry->handle, nullptr);
  EXPECT_TRUE(entry->storedSwizzled);
  EXPECT_STREQ(entry->name.Text(), "");
  EXPECT_EQ(entry->stored, Encode(fList, 3));
}

TEST_F(ReconResourceTest, ReadGivesBackWhatWasWritten) {
  ASSERT_EQ(WriteReconResource(fObject, 3, fFile, 1), 0);
  KeyedNameList back;
  NameListObject target(&back, KeyedNameList::kType);
  int32_t version = 0;
  EXPECT_EQ(ReadReconResource(target, fFile, 1, &version), 0);
  EXPECT_EQ(version, 3);
  EXPECT_EQ(back, fList);
  // Released: the file keeps no handle.
  EXPECT_EQ(fFile.Find(KeyedNameList::kType, 1)->handle, nullptr);
}

TEST_F(ReconResourceTest, ReadOfAResourceStoredInTheOtherOrder) {
  fFile.Store(KeyedNameList::kType, 4, std::string("\0\0\0\0\0\0\0\x01NAME\0\0\0\x01\0\0\0\x09" "ab\0\xA3", 24),
              false);
  KeyedNameList back;
  NameListObject target(&back, KeyedNameList::kType);
  EXPECT_EQ(ReadReconResource(target, fFile, 4), 0);
  EXPECT_EQ(back, KeyedNameList{}.Add(9, "ab"));
  EXPECT_THAT(fReports.Reports(), IsEmpty());
}

TEST_F(ReconResourceTest, ReadOfAMissingResource) {
  KeyedNameList back;
  NameListObject target(&back, KeyedNameList::kType);
  EXPECT_EQ(ReadReconResource(target, fFile, 8), kResErrNotFound);
  fFile.Close();
  EXPECT_EQ(ReadReconResource(target, fFile, 8), kResErrNotOpen);
  fFile.Open(FixedStringBuffer<16>("c:\\r.iff"));
}

TEST_F(ReconResourceTest, WriteToAReadOnlyFileDisposesOfTheImage) {
  fFile.SetWritable(false);
  const int32_t live = CountLiveMHandles();
  EXPECT_EQ(WriteReconResource(fObject, 0, fFile, 1), kResErrNotWritable);
  EXPECT_EQ(CountLiveMHandles(), live);
  EXPECT_EQ(fFile.Find(KeyedNameList::kType, 1), nullptr);
}

TEST_F(ReconResourceTest, FailedWriteRemovesTheResource) {
  fFile.FailNextWrite(kResErrShortWrite);
  const int32_t live = CountLiveMHandles();
  EXPECT_EQ(WriteReconResource(fObject, 0, fFile, 1), kResErrShortWrite);
  EXPECT_EQ(CountLiveMHandles(), live);
  EXPECT_EQ(fFile.Find(KeyedNameList::kType, 1), nullptr);
}

TEST_F(ReconResourceTest, NoMemoryForTheImageIsMinusOne) {
  MHandleFailAllocations(1);
  EXPECT_EQ(WriteReconResource(fObject, 0, fFile, 1), kResErrFailed);
  EXPECT_EQ(fFile.fAddResourceCalls, 0);
}

}  // namespace
