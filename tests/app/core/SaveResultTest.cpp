#include "app/core/SaveResult.h"

#include <gtest/gtest.h>

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
