#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstring>

#include "msrc/Util/rmemwrap.h"
#include "tests/msrc/Util/AssertRecorder.h"

namespace {

using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::IsEmpty;

class MHandleLockTest : public ::testing::Test {
 protected:
  void SetUp() override { fHandle = NewMHandle(8); }
  void TearDown() override { DisposeMHandle(fHandle); }

  MHandle fHandle = nullptr;
  AssertRecorder fReports;
};

TEST_F(MHandleLockTest, LocksNestAndAResizeWaitsForTheLast) {
  void* first = LockMHandle(fHandle);
  void* second = LockMHandle(fHandle);
  EXPECT_EQ(first, second);
  UnlockMHandle(fHandle);
  EXPECT_EQ(SetMHandleSize(fHandle, 2), kMHandleErrLocked);
  UnlockMHandle(fHandle);
  EXPECT_EQ(SetMHandleSize(fHandle, 2), 0);
  EXPECT_THAT(fReports.Reports(), ElementsAre(HasSubstr("(false) resizing locked handle")));
}

TEST_F(MHandleLockTest, ResizeWhileLockedChangesNothing) {
  auto* bytes = static_cast<unsigned char*>(LockMHandle(fHandle));
  std::memcpy(bytes, "ABCDEFGH", 8);
  EXPECT_EQ(SetMHandleSize(fHandle, 100), kMHandleErrLocked);
  EXPECT_EQ(MHandleError(), kMHandleErrLocked);
  EXPECT_EQ(GetMHandleSize(fHandle), 8);
  // The locked address still holds the bytes.
  EXPECT_EQ(std::memcmp(bytes, "ABCDEFGH", 8), 0);
  EXPECT_EQ(LockMHandle(fHandle), bytes);
  UnlockMHandle(fHandle);
  UnlockMHandle(fHandle);
}

TEST_F(MHandleLockTest, SurplusUnlockIsReportedAndTheNextLockToo) {
  LockMHandle(fHandle);
  LockMHandle(fHandle);
  UnlockMHandle(fHandle);
  UnlockMHandle(fHandle);
  EXPECT_THAT(fReports.Reports(), IsEmpty());

  UnlockMHandle(fHandle);
  EXPECT_THAT(fReports.Reports(), ElementsAre(HasSubstr("(lockCount>0) bad lock count")));
  // The count went to -1: a resize is not refused.
  EXPECT_EQ(SetMHandleSize(fHandle, 8), 0);
  fReports.Clear();

  LockMHandle(fHandle);
  EXPECT_THAT(fReports.Reports(), ElementsAre(HasSubstr("(lockCount>=0) lock count<0")));
  // Back at 0 after that lock.
  EXPECT_EQ(SetMHandleSize(fHandle, 8), 0);
  EXPECT_EQ(fReports.Count(), 1u);
}

TEST_F(MHandleLockTest, LockedHandleIsDisposedAllTheSame) {
  MHandle h = NewMHandle(3);
  const int32_t live = CountLiveMHandles();
  LockMHandle(h);
  DisposeMHandle(h);
  EXPECT_EQ(MHandleError(), 0);
  EXPECT_EQ(CountLiveMHandles(), live - 1);
}

}  // namespace
