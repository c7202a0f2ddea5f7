#include "app/core/SaveResult.h"

#include "msrc/File/IFFResFile2.h"
#include "msrc/File/flatfile.h"
#include "msrc/File/resfile.h"
#include "msrc/Util/rmemwrap.h"

namespace {

constexpr const char* kLead = "The sorts could not be saved";

std::string Sentence(const char* cause) { return std::string(kLead) + ": " + cause; }

}  // namespace

SaveResult SaveResult::NothingSelected() { return SaveResult{}; }

SaveResult SaveResult::NotFound() {
  SaveResult result;
  result.fStatus = Status::kNotFound;
  return result;
}

SaveResult SaveResult::Saved() {
  SaveResult result;
  result.fStatus = Status::kSaved;
  return result;
}

SaveResult SaveResult::Failed(Stage stage, int32_t error) {
  SaveResult result;
  result.fStatus = Status::kFailed;
  result.fStage = stage;
  result.fError = error;
  result.fReason = ReasonFor(stage, error);
  return result;
}

std::string SaveResult::ReasonFor(Stage stage, int32_t error) {
  if (stage == Stage::kOpen) {
    if (error == kResErrNoSuchFile) return Sentence("the file is no longer there.");
    // The file is there, yet not even a read-only open succeeded: another
    // program holds it without sharing, or it may not be read at all.
    return Sentence("the file could not be opened; another program may be using it.");
  }
  switch (error) {
    case kResErrNotWritable:
      return Sentence("the file is read-only or another program is using it.");
    case kFlatErrShortWrite:
    case kFlatErrFailed:
      return Sentence("the file could not be written; the disk may be full or failing.");
    case kFlatErrShortRead:
      return Sentence("the file could not be read; the disk may be failing.");
    case IFFResFile2::kIFFErrDamaged:
      return Sentence("the file is damaged.");
    case kMHandleErrNoMemory:
      return Sentence("there is not enough memory.");
    default:
      return std::string(kLead) + " (error " + std::to_string(error) + ").";
  }
}
