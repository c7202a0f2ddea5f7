#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "msrc/File/resfile.h"
#include "msrc/Util/FixedStringBuffer.h"
#include "tests/msrc/File/FakeResFile.h"
#include "tests/msrc/Util/AssertRecorder.h"

namespace {

using ::testing::IsEmpty;

constexpr ResType kObjd = MakeResType("OBJD");

static_assert(kObjd == 0x4F424A44u);
static_assert(MakeResType("STR#") == 0x53545223u);
static_assert(MakeResType("NAME") == 0x4E414D45u);
static_assert(MakeResType("XXXX") == 0x58585858u);
static_assert(MakeResType("\xFF\x80\x01 ") == 0xFF800120u);

std::vector<iResFile*> LiveFiles() {
  std::vector<iResFile*> files;
  for (iResFile* f = iResFile::FirstLiveFile(); f != nullptr; f = f->NextLiveFile()) files.push_back(f);
  return files;
}

// An open fake holding OBJD 200 "chair" (bytes "abcd").
class ResFileTest : public ::testing::Test {
 protected:
  void SetUp() override {
    fLiveHandles = CountLiveMHandles();
    fFile.Store(kObjd, 200, "abcd", true, "chair");
    fFile.Open(FixedStringBuffer<16>("c:\\x.iff"));
  }
  void TearDown() override {
    fFile.Close();
    EXPECT_EQ(CountLiveMHandles(), fLiveHandles);
  }

  FakeResFile fFile;
  AssertRecorder fReports;
  int32_t fLiveHandles = 0;
};

TEST(ResFileLiveList, NewestFirstAndUnlinkedAtDestruction) {
  const std::vector<iResFile*> before = LiveFiles();
  auto a = std::make_unique<FakeResFile>();
  auto b = std::make_unique<FakeResFile>();
  auto c = std::make_unique<FakeResFile>();
  std::vector<iResFile*> expected{c.get(), b.get(), a.get()};
  expected.insert(expected.end(), before.begin(), before.end());
  EXPECT_EQ(LiveFiles(), expected);

  AssertRecorder reports;
  b.reset();
  expected = {c.get(), a.get()};
  expected.insert(expected.end(), before.begin(), before.end());
  EXPECT_EQ(LiveFiles(), expected);
  c.reset();
  a.reset();
  EXPECT_EQ(LiveFiles(), before);
  EXPECT_THAT(reports.Reports(), IsEmpty());
}

TEST_F(ResFileTest, LangResourceWithALanguageIsRefusedWithoutALookup) {
  EXPECT_EQ(fFile.GetLangResource(kObjd, 200, 3, nullptr), nullptr);
  EXPECT_EQ(fFile.Error(), kResErrNoLanguages);
  EXPECT_EQ(fFile.fLookups, 0);
}

TEST_F(ResFileTest, LangResourceOfTheDefaultLanguageIsGetResource) {
  MHandle h = fFile.GetLangResource(kObjd, 200, 0, nullptr);
  ASSERT_NE(h, nullptr);
  EXPECT_EQ(fFile.fLookups, 1);
  EXPECT_EQ(fFile.Error(), 0);
  EXPECT_EQ(fFile.GetResource(kObjd, 200, nullptr), h);
  EXPECT_EQ(fFile.GetLangResource(kObjd, 201, 0, nullptr), nullptr);
  EXPECT_EQ(fFile.Error(), kResErrNotFound);
}

TEST_F(ResFileTest, ResLanguageIsZeroButAForeignHandleSetsTheError) {
  MHandle h = fFile.GetResource(kObjd, 200, nullptr);
  EXPECT_EQ(fFile.GetResLanguage(h), 0);
  EXPECT_EQ(fFile.Error(), 0);

  MHandle foreign = NewMHandle(1);
  EXPECT_EQ(fFile.GetResLanguage(foreign), 0);
  EXPECT_EQ(fFile.Error(), kResErrNotFound);
  DisposeMHandle(foreign);
}

TEST_F(ResFileTest, SetResIDKeepsTheName) {
  MHandle h = fFile.GetResource(kObjd, 200, nullptr);
  fFile.SetResID(h, 300);
  EXPECT_EQ(fFile.Error(), 0);
  EXPECT_EQ(fFile.fSetResInfoCalls, 1);
  ASSERT_EQ(fFile.Entries().size(), 1u);
  EXPECT_EQ(fFile.Entries()[0].id, 300);
  EXPECT_STREQ(fFile.Entries()[0].name.Text(), "chair");
}

TEST_F(ResFileTest, SetResIDOfAForeignHandleStopsAfterGetResName) {
  MHandle foreign = NewMHandle(1);
  fFile.SetResID(foreign, 300);
  EXPECT_EQ(fFile.Error(), kResErrNotFound);
  EXPECT_EQ(fFile.fSetResInfoCalls, 0);
  EXPECT_EQ(fFile.Entries()[0].id, 200);
  DisposeMHandle(foreign);
}

TEST_F(ResFileTest, AddLangResourceDropsNameAndLanguage) {
  MHandle h = NewMHandle(2);
  fFile.AddLangResource(h, kObjd, 7, FixedStringBuffer<64>("table"), 5, true);
  EXPECT_EQ(fFile.Error(), 0);
  EXPECT_EQ(fFile.fAddResourceCalls, 1);
  EXPECT_STREQ(fFile.fLastAddedName.Text(), "");
  EXPECT_TRUE(fFile.fLastAddedSwizzled);
  ASSERT_NE(fFile.Find(kObjd, 7), nullptr);
  EXPECT_EQ(fFile.Find(kObjd, 7)->handle, h);
}

TEST_F(ResFileTest, IndStringReadsTheStringSet) {
  // A counted list of two strings, stored unswizzled (count big-endian).
  fFile.Store(MakeResType("STR#"), 128, std::string("\0\x02\x02" "ab\x03" "cde", 9), false);
  FixedStringBuffer<64> text("left over");
  fFile.GetIndString(&text, 128, 2);
  EXPECT_STREQ(text.Text(), "cde");
  EXPECT_EQ(fFile.Error(), 0);
  for (const int16_t index : {0, 3, -1}) {
    text.Assign("x");
    fFile.GetIndString(&text, 128, index);
    EXPECT_STREQ(text.Text(), "") << index;
  }
  // The set's load leaves its error: neither resource is there.
  fFile.GetIndString(&text, 129, 1);
  EXPECT_STREQ(text.Text(), "");
  EXPECT_EQ(fFile.Error(), kResErrNotFound);
  // A string longer than the caller's buffer is cut to fit.
  FixedStringBuffer<3> small;
  fFile.GetIndString(&small, 128, 2);
  EXPECT_STREQ(small.Text(), "cd");
}

TEST_F(ResFileTest, ReleaseDisposesAndTheResourceStays) {
  MHandle h = fFile.GetResource(kObjd, 200, nullptr);
  const int32_t live = CountLiveMHandles();
  fFile.ReleaseResource(h);
  EXPECT_EQ(fFile.Error(), 0);
  EXPECT_EQ(CountLiveMHandles(), live - 1);
  EXPECT_EQ(fFile.Find(kObjd, 200)->handle, nullptr);
  MHandle fresh = fFile.GetResource(kObjd, 200, nullptr);
  ASSERT_NE(fresh, nullptr);
  EXPECT_EQ(std::memcmp(LockMHandle(fresh), "abcd", 4), 0);
  UnlockMHandle(fresh);
  EXPECT_THAT(fReports.Reports(), IsEmpty());
}

TEST_F(ResFileTest, ReleaseOfAForeignHandleDisposesNothing) {
  MHandle foreign = NewMHandle(3);
  const int32_t live = CountLiveMHandles();
  fFile.ReleaseResource(foreign);
  EXPECT_EQ(fFile.Error(), kResErrNotOwned);
  EXPECT_EQ(CountLiveMHandles(), live);
  EXPECT_EQ(GetMHandleSize(foreign), 3);
  EXPECT_EQ(MHandleError(), 0);
  DisposeMHandle(foreign);
}

TEST_F(ResFileTest, ReleaseIgnoresAnEarlierMemoryError) {
  // Leaves the memory layer's last error at out-of-memory.
  EXPECT_EQ(NewMHandle(-1), nullptr);
  MHandle foreign = NewMHandle(3);
  EXPECT_EQ(NewMHandle(-1), nullptr);
  fFile.ReleaseResource(foreign);
  EXPECT_EQ(fFile.Error(), kResErrNotOwned);
  DisposeMHandle(foreign);

  MHandle h = fFile.GetResource(kObjd, 200, nullptr);
  EXPECT_EQ(NewMHandle(-1), nullptr);
  fFile.ReleaseResource(h);
  EXPECT_EQ(fFile.Error(), 0);
}

}  // namespace
