#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <limits>

#include "msrc/Util/rmemwrap.h"
#include "tests/msrc/Util/AssertRecorder.h"

namespace {

using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::IsEmpty;

// Every test must give back every handle it made, and runs with the system's
// guard size unless it sets its own.
class MHandleTest : public ::testing::Test {
 protected:
  void SetUp() override { fLiveBefore = CountLiveMHandles(); }
  void TearDown() override {
    MHandleFailAllocations(0);
    SetMHandleGuardSize(0);
    EXPECT_EQ(CountLiveMHandles(), fLiveBefore);
  }

  static uint8_t* Bytes(MHandle h) { return static_cast<uint8_t*>(LockMHandle(h)); }

  AssertRecorder fReports;
  int32_t fLiveBefore = 0;
};

TEST_F(MHandleTest, NewHandleIsFilledWithThePattern) {
  MHandle h = NewMHandle(4);
  ASSERT_NE(h, nullptr);
  EXPECT_EQ(MHandleError(), 0);
  EXPECT_EQ(GetMHandleSize(h), 4);
  EXPECT_EQ(CountLiveMHandles(), fLiveBefore + 1);
  const uint8_t* bytes = Bytes(h);
  EXPECT_EQ(std::memcmp(bytes, "\xA3\xA3\xA3\xA3", 4), 0);
  UnlockMHandle(h);
  DisposeMHandle(h);
  EXPECT_EQ(MHandleError(), 0);
  EXPECT_THAT(fReports.Reports(), IsEmpty());
}

TEST_F(MHandleTest, EmptyHandleLocksToTheFixedAddressWithoutCounting) {
  MHandle h = NewMHandle(0);
  ASSERT_NE(h, nullptr);
  EXPECT_EQ(GetMHandleSize(h), 0);
  void* address = LockMHandle(h);
  EXPECT_EQ(reinterpret_cast<uintptr_t>(address), 0xA3A3A3A3u);
  // Not counted: a resize goes through although the lock was never undone.
  EXPECT_EQ(SetMHandleSize(h, 0), 0);
  UnlockMHandle(h);
  UnlockMHandle(h);
  EXPECT_EQ(MHandleError(), 0);
  DisposeMHandle(h);
  EXPECT_EQ(MHandleError(), 0);
  EXPECT_THAT(fReports.Reports(), IsEmpty());
}

TEST_F(MHandleTest, ShrinkAndGrowKeepTheLeadingBytes) {
  MHandle h = NewMHandle(10);
  uint8_t* bytes = Bytes(h);
  for (int i = 0; i < 10; ++i) bytes[i] = static_cast<uint8_t>(i + 1);
  UnlockMHandle(h);

  EXPECT_EQ(SetMHandleSize(h, 4), 0);
  EXPECT_EQ(GetMHandleSize(h), 4);
  EXPECT_EQ(std::memcmp(Bytes(h), "\x01\x02\x03\x04", 4), 0);
  UnlockMHandle(h);

  EXPECT_EQ(SetMHandleSize(h, 10), 0);
  EXPECT_EQ(GetMHandleSize(h), 10);
  EXPECT_EQ(std::memcmp(Bytes(h), "\x01\x02\x03\x04", 4), 0);
  UnlockMHandle(h);
  DisposeMHandle(h);
  EXPECT_THAT(fReports.Reports(), IsEmpty());
}

TEST_F(MHandleTest, ResizeToNothingAndBack) {
  MHandle h = NewMHandle(6);
  EXPECT_EQ(SetMHandleSize(h, 0), 0);
  EXPECT_EQ(GetMHandleSize(h), 0);
  EXPECT_EQ(LockMHandle(h), kEmptyMHandleAddress);
  UnlockMHandle(h);
  EXPECT_EQ(SetMHandleSize(h, 3), 0);
  uint8_t* bytes = Bytes(h);
  ASSERT_NE(bytes, kEmptyMHandleAddress);
  bytes[2] = 7;
  UnlockMHandle(h);
  DisposeMHandle(h);
  EXPECT_THAT(fReports.Reports(), IsEmpty());
}

TEST_F(MHandleTest, SecondDisposeIsReportedAndTouchesNothing) {
  MHandle keep = NewMHandle(2);
  MHandle h = NewMHandle(8);
  DisposeMHandle(h);
  EXPECT_EQ(MHandleError(), 0);
  const int32_t live = CountLiveMHandles();
  // `h` is gone: the layer finds it missing from the live list before it
  // would read anything of it.
  DisposeMHandle(h);
  EXPECT_EQ(MHandleError(), kMHandleErrBad);
  EXPECT_EQ(CountLiveMHandles(), live);
  EXPECT_THAT(fReports.Reports(), ElementsAre(HasSubstr("msrc/Util/rmemwrap, line ")));
  EXPECT_THAT(fReports.Reports(), ElementsAre(HasSubstr(": (false) bad MHandle free")));
  DisposeMHandle(keep);
  EXPECT_EQ(MHandleError(), 0);
}

TEST_F(MHandleTest, ForeignAndNullHandlesAreNotFreed) {
  // A record this layer never made: disposing of it must not read or write it.
  alignas(16) unsigned char foreign[64];
  std::memset(foreign, 0x5A, sizeof foreign);
  DisposeMHandle(reinterpret_cast<MHandle>(foreign));
  EXPECT_EQ(MHandleError(), kMHandleErrBad);
  for (unsigned char c : foreign) ASSERT_EQ(c, 0x5A);

  DisposeMHandle(nullptr);
  EXPECT_EQ(MHandleError(), kMHandleErrBad);
  EXPECT_EQ(fReports.Count(), 2u);
}

TEST_F(MHandleTest, NullHandleIsABadHandleEverywhere) {
  EXPECT_EQ(LockMHandle(nullptr), nullptr);
  EXPECT_EQ(MHandleError(), kMHandleErrBad);
  NewMHandle(-1);  // leaves -200 behind, so the next check shows a fresh result
  UnlockMHandle(nullptr);
  EXPECT_EQ(MHandleError(), kMHandleErrBad);
  EXPECT_EQ(GetMHandleSize(nullptr), 0);
  EXPECT_EQ(MHandleError(), kMHandleErrBad);
  EXPECT_EQ(SetMHandleSize(nullptr, 4), kMHandleErrBad);
}

TEST_F(MHandleTest, EveryOperationStartsFromNoError) {
  EXPECT_EQ(NewMHandle(-1), nullptr);
  EXPECT_EQ(MHandleError(), kMHandleErrNoMemory);
  MHandle h = NewMHandle(1);
  EXPECT_EQ(MHandleError(), 0);
  DisposeMHandle(nullptr);
  EXPECT_EQ(MHandleError(), kMHandleErrBad);
  EXPECT_EQ(GetMHandleSize(h), 1);
  EXPECT_EQ(MHandleError(), 0);
  DisposeMHandle(h);
}

TEST_F(MHandleTest, AllocationFailureAtCreation) {
  MHandleFailAllocations(1);
  EXPECT_EQ(NewMHandle(16), nullptr);
  EXPECT_EQ(MHandleError(), kMHandleErrNoMemory);
  EXPECT_NE(MHandleSystemError(), 0u);
  EXPECT_EQ(CountLiveMHandles(), fLiveBefore);
  EXPECT_THAT(fReports.Reports(), ElementsAre(HasSubstr("(platMem) Handle allocation failed")));

  MHandle h = NewMHandle(16);
  ASSERT_NE(h, nullptr);
  EXPECT_EQ(MHandleError(), 0);
  DisposeMHandle(h);
}

TEST_F(MHandleTest, AllocationFailureAtResizeKeepsTheHandle) {
  MHandle h = NewMHandle(4);
  std::memcpy(Bytes(h), "abcd", 4);
  UnlockMHandle(h);
  MHandleFailAllocations(1);
  EXPECT_EQ(SetMHandleSize(h, 4096), kMHandleErrNoMemory);
  EXPECT_EQ(MHandleError(), kMHandleErrNoMemory);
  EXPECT_EQ(GetMHandleSize(h), 4);
  EXPECT_EQ(std::memcmp(Bytes(h), "abcd", 4), 0);
  UnlockMHandle(h);
  EXPECT_THAT(fReports.Reports(), ElementsAre(HasSubstr("Handle allocation failed")));
  DisposeMHandle(h);
}

TEST_F(MHandleTest, NegativeAndOverflowingSizesAllocateNothing) {
  EXPECT_EQ(NewMHandle(-1), nullptr);
  EXPECT_EQ(MHandleError(), kMHandleErrNoMemory);
  EXPECT_EQ(NewMHandle(std::numeric_limits<int32_t>::min()), nullptr);

  MHandle h = NewMHandle(3);
  EXPECT_EQ(SetMHandleSize(h, -5), kMHandleErrNoMemory);
  EXPECT_EQ(GetMHandleSize(h), 3);

  // With guards the block would pass 2 GiB: refused before the heap is asked.
  SetMHandleGuardSize(16);
  EXPECT_EQ(NewMHandle(std::numeric_limits<int32_t>::max() - 20), nullptr);
  EXPECT_EQ(MHandleError(), kMHandleErrNoMemory);
  MHandle guarded = NewMHandle(1);
  EXPECT_EQ(SetMHandleSize(guarded, std::numeric_limits<int32_t>::max() - 31), kMHandleErrNoMemory);
  EXPECT_EQ(GetMHandleSize(guarded), 1);
  DisposeMHandle(guarded);
  DisposeMHandle(h);
}

TEST_F(MHandleTest, GuardsDoNotShowInTheSize) {
  SetMHandleGuardSize(8);
  MHandle h = NewMHandle(5);
  EXPECT_EQ(GetMHandleSize(h), 5);
  EXPECT_EQ(std::memcmp(Bytes(h), "\xA3\xA3\xA3\xA3\xA3", 5), 0);
  UnlockMHandle(h);
  // Handles keep the guard size they were made with.
  SetMHandleGuardSize(0);
  EXPECT_EQ(SetMHandleSize(h, 9), 0);
  EXPECT_EQ(GetMHandleSize(h), 9);
  DisposeMHandle(h);
  EXPECT_THAT(fReports.Reports(), IsEmpty());
}

TEST_F(MHandleTest, WritingPastTheDataIsDetectedAtDispose) {
  SetMHandleGuardSize(4);
  MHandle h = NewMHandle(6);
  uint8_t* bytes = Bytes(h);
  bytes[6] = 0;  // the first trailing guard byte
  UnlockMHandle(h);
  DisposeMHandle(h);
  // Reported, and the dispose goes on.
  EXPECT_THAT(fReports.Reports(), ElementsAre(HasSubstr("(false) bounds checker detected handle overwrite")));
  EXPECT_EQ(MHandleError(), 0);
}

TEST_F(MHandleTest, WritingBeforeTheDataIsDetectedAtResize) {
  SetMHandleGuardSize(2);
  MHandle h = NewMHandle(3);
  uint8_t* bytes = Bytes(h);
  bytes[-1] = 9;
  UnlockMHandle(h);
  EXPECT_EQ(SetMHandleSize(h, 5), 0);
  EXPECT_THAT(fReports.Reports(), ElementsAre(HasSubstr("bounds checker detected handle overwrite")));
  // The resize wrote the guards anew.
  fReports.Clear();
  DisposeMHandle(h);
  EXPECT_THAT(fReports.Reports(), IsEmpty());
}

TEST_F(MHandleTest, GuardedEmptyHandleHasAnAddress) {
  SetMHandleGuardSize(4);
  MHandle h = NewMHandle(0);
  void* address = LockMHandle(h);
  EXPECT_NE(address, kEmptyMHandleAddress);
  EXPECT_NE(address, nullptr);
  // This lock counts, so the handle cannot be resized until it is undone.
  EXPECT_EQ(SetMHandleSize(h, 2), kMHandleErrLocked);
  UnlockMHandle(h);
  EXPECT_EQ(SetMHandleSize(h, 2), 0);
  fReports.Clear();
  DisposeMHandle(h);
  EXPECT_THAT(fReports.Reports(), IsEmpty());
}

}  // namespace
