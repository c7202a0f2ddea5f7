#include "app/core/SaveResult.h"

#include <gtest/gtest.h>

#include <string>

#include "msrc/File/IFFResFile2.h"
#include "msrc/File/resfile.h"
#include "msrc/Util/rmemwrap.h"

namespace {

using Stage = SaveResult::Stage;

TEST(SaveResultTest, EachCauseHasItsPlainWords) {
  EXPECT_EQ(SaveResult::ReasonFor(Stage::kWrite, kResErrNotWritable),
            "The sorts could not be saved: the file is read-only or another program is using it.");
  for (int32_t code : {kResErrShortWrite, -50}) {
    for (Stage stage : {Stage::kWrite, Stage::kClose}) {
      EXPECT_EQ(SaveResult::ReasonFor(stage, code),
                "The sorts could not be saved: the file could not be written; the disk may be full or failing.");
    }
  }
  EXPECT_EQ(SaveResult::ReasonFor(Stage::kClose, kResErrShortRead),
            "The sorts could not be saved: the file could not be read; the disk may be failing.");
  EXPECT_EQ(SaveResult::ReasonFor(Stage::kWrite, IFFResFile2::kIFFErrDamaged),
            "The sorts could not be saved: the file is damaged.");
  EXPECT_EQ(SaveResult::ReasonFor(Stage::kWrite, kMHandleErrNoMemory),
            "The sorts could not be saved: there is not enough memory.");
  EXPECT_EQ(SaveResult::ReasonFor(Stage::kWrite, kResErrNoMemberTook), "The sorts could not be saved (error -94).");
}

// The host's cause, when known, is named instead of a guess from the code.
TEST(SaveResultTest, TheHostsCauseIsNamed) {
  using platform::HostFailure;
  const struct {
    HostFailure cause;
    const char* words;
  } causes[] = {
      {HostFailure::kInUse, "another program is using the file."},
      {HostFailure::kAccessDenied, "you do not have permission to change the file."},
      {HostFailure::kReadOnly, "the file is read-only."},
      {HostFailure::kDiskFull, "the disk is full."},
      {HostFailure::kNotFound, "the file is no longer there."},
      {HostFailure::kDeviceError, "the disk reported an error; it may be failing."},
      {HostFailure::kPathTooLong, "the file's path is too long."},
  };
  for (const auto& [cause, words] : causes) {
    for (const Stage stage : {Stage::kOpen, Stage::kWrite, Stage::kClose}) {
      EXPECT_EQ(SaveResult::ReasonFor(stage, kResErrShortWrite, cause),
                std::string("The sorts could not be saved: ") + words);
    }
  }
  // A damaged file is the cause, whatever the host said on the way.
  EXPECT_EQ(SaveResult::ReasonFor(Stage::kWrite, IFFResFile2::kIFFErrDamaged, HostFailure::kDiskFull),
            "The sorts could not be saved: the file is damaged.");
}

TEST(SaveResultTest, SortsThatReachedTheFileAreSavedWithAWarning) {
  const SaveResult closed =
      SaveResult::SavedWithWarning(Stage::kClose, kResErrShortWrite, platform::HostFailure::kDiskFull);
  EXPECT_TRUE(closed.Succeeded());
  EXPECT_EQ(closed.fReason,
            "The sorts were saved, but the file's index could not be stored: the disk is full. The game still finds "
            "every object in the file.");
  const SaveResult written =
      SaveResult::SavedWithWarning(Stage::kWrite, -50, platform::HostFailure::kDeviceError);
  EXPECT_EQ(written.fReason,
            "The sorts were saved, but something went wrong while saving them: the disk reported an error; it may be "
            "failing.");
}

TEST(SaveResultTest, AnOpenFailureSaysWhetherTheFileIsGone) {
  EXPECT_EQ(SaveResult::ReasonFor(Stage::kOpen, kResErrNoSuchFile),
            "The sorts could not be saved: the file is no longer there.");
  EXPECT_EQ(SaveResult::ReasonFor(Stage::kOpen, -50),
            "The sorts could not be saved: the file could not be opened; another program may be using it.");
}

TEST(SaveResultTest, OnlyAFailureCarriesAReason) {
  const SaveResult failed = SaveResult::Failed(Stage::kClose, -46);
  EXPECT_EQ(failed.fStatus, SaveResult::Status::kFailed);
  EXPECT_EQ(failed.fStage, Stage::kClose);
  EXPECT_EQ(failed.fError, -46);
  EXPECT_FALSE(failed.fReason.empty());
  EXPECT_FALSE(failed.Succeeded());
  for (const SaveResult& quiet : {SaveResult::Saved(), SaveResult::NotFound(), SaveResult::NothingSelected()}) {
    EXPECT_TRUE(quiet.fReason.empty());
    EXPECT_EQ(quiet.fError, 0);
  }
  EXPECT_TRUE(SaveResult::Saved().Succeeded());
}

}  // namespace
