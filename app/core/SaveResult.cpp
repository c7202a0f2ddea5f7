#include "app/core/SaveResult.h"

#include "app/core/BackupStore.h"
#include "msrc/File/IFFResFile2.h"
#include "msrc/File/flatfile.h"
#include "msrc/File/resfile.h"
#include "msrc/Util/rmemwrap.h"

namespace {

constexpr const char* kLead = "The sorts could not be saved";

std::string Sentence(const std::string& cause) { return std::string(kLead) + ": " + cause; }

}  // namespace

std::string SaveResult::CauseText(platform::HostFailure cause) {
  switch (cause) {
    case platform::HostFailure::kInUse:
      return "another program is using the file.";
    case platform::HostFailure::kAccessDenied:
      return "you do not have permission to change the file.";
    case platform::HostFailure::kReadOnly:
      return "the file is read-only.";
    case platform::HostFailure::kDiskFull:
      return "the disk is full.";
    case platform::HostFailure::kNotFound:
      return "the file is no longer there.";
    case platform::HostFailure::kDeviceError:
      return "the disk reported an error; it may be failing.";
    case platform::HostFailure::kPathTooLong:
      return "the file's path is too long.";
    case platform::HostFailure::kNone:
    case platform::HostFailure::kOther:
      break;
  }
  return {};
}

namespace {

// What went wrong, as the end of a sentence.
std::string WhatWentWrong(SaveResult::Stage stage, int32_t error, platform::HostFailure cause) {
  if (stage == SaveResult::Stage::kBackup) {
    return "no backup of the file could be made; " + BackupStore::Explain(BackupResult{error, cause});
  }
  // A damaged file or too little memory is the cause whatever the host said
  // on the way.
  if (error == IFFResFile2::kIFFErrDamaged) return "the file is damaged.";
  if (error == kMHandleErrNoMemory) return "there is not enough memory.";
  if (stage == SaveResult::Stage::kOpen && error == kResErrNoSuchFile) return "the file is no longer there.";
  const std::string named = SaveResult::CauseText(cause);
  if (!named.empty()) return named;
  if (stage == SaveResult::Stage::kOpen) {
    // The file is there, yet not even a read-only open succeeded: another
    // program holds it without sharing, or it may not be read at all.
    return "the file could not be opened; another program may be using it.";
  }
  switch (error) {
    case kResErrNotWritable:
      return "the file is read-only or another program is using it.";
    case kFlatErrShortWrite:
    case kFlatErrFailed:
      return "the file could not be written; the disk may be full or failing.";
    case kFlatErrShortRead:
      return "the file could not be read; the disk may be failing.";
    default:
      return {};
  }
}

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

SaveResult SaveResult::SavedWithWarning(Stage stage, int32_t error, platform::HostFailure cause) {
  SaveResult result;
  result.fStatus = Status::kSavedWithWarning;
  result.fStage = stage;
  result.fError = error;
  result.fCause = cause;
  result.fReason = WarningFor(stage, error, cause);
  return result;
}

SaveResult SaveResult::Failed(Stage stage, int32_t error, platform::HostFailure cause) {
  SaveResult result;
  result.fStatus = Status::kFailed;
  result.fStage = stage;
  result.fError = error;
  result.fCause = cause;
  result.fReason = ReasonFor(stage, error, cause);
  return result;
}

std::string SaveResult::ReasonFor(Stage stage, int32_t error, platform::HostFailure cause) {
  const std::string what = WhatWentWrong(stage, error, cause);
  if (what.empty()) return std::string(kLead) + " (error " + std::to_string(error) + ").";
  return Sentence(what);
}

std::string SaveResult::WarningFor(Stage stage, int32_t error, platform::HostFailure cause) {
  std::string what = WhatWentWrong(stage, error, cause);
  if (what.empty()) what = "error " + std::to_string(error) + ".";
  if (stage == Stage::kClose) {
    return "The sorts were saved, but the file's index could not be stored: " + what +
           " The game still finds every object in the file.";
  }
  return "The sorts were saved, but something went wrong while saving them: " + what;
}
