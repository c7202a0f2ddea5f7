#pragma once

#include <cstdint>
#include <string>

#include "platform/HostFailure.h"

// What saving an object's sorts came to. A failure carries the resource-file
// error code, the host's cause when one is known, and a plain-words reason
// that the dialog shows and the command line prints, so both say the same.
// Only what is in the file counts: a save whose sorts reached the file is
// never reported as failed, whatever went wrong after them.
struct SaveResult {
  enum class Status {
    kNothingSelected,  // no valid file line or object line: nothing was tried
    kNotFound,         // the file opened but holds no such definition
    kSaved,
    // The sorts are in the file, but something after them failed (the file's
    // index could not be stored): fReason says what, for a message that is
    // shown all the same. Save is done; the player need not save again.
    kSavedWithWarning,
    kFailed,
  };
  // Where a failed save stopped.
  enum class Stage {
    kNone,
    kOpen,   // the file could not be opened at all
    kWrite,  // writing the definition back
    kClose,  // closing the file, which writes its resource map
    // copying the file's bytes before its first write (BackupStore); fError
    // is the store's status code, and the file is as it was
    kBackup,
  };

  static SaveResult NothingSelected();
  static SaveResult NotFound();
  static SaveResult Saved();
  static SaveResult SavedWithWarning(Stage stage, int32_t error, platform::HostFailure cause);
  static SaveResult Failed(Stage stage, int32_t error, platform::HostFailure cause = platform::HostFailure::kNone);

  // The reason shown for a failure at `stage` with `error`. The host's cause
  // comes first when it is known (another program's hold, permission,
  // read-only, a full disk, a missing file, a device error); otherwise the
  // error code speaks:
  // - the file is gone (kOpen with kResErrNoSuchFile) or cannot be opened;
  // - read-only or in use (kResErrNotWritable);
  // - a write the disk refused (short writes, failed flushes or size changes);
  // - a failed read, a damaged file, too little memory;
  // - otherwise a generic sentence with the code.
  // A backup that could not be made says so, and why (BackupStore::Explain).
  static std::string ReasonFor(Stage stage, int32_t error,
                               platform::HostFailure cause = platform::HostFailure::kNone);
  // The host's cause as the end of a sentence about the object file ("the
  // file is read-only."); empty when there is none worth naming.
  static std::string CauseText(platform::HostFailure cause);
  // The warning for sorts that reached the file although `stage` failed.
  static std::string WarningFor(Stage stage, int32_t error, platform::HostFailure cause);

  // The sorts reached the file (with or without a warning).
  bool Succeeded() const { return fStatus == Status::kSaved || fStatus == Status::kSavedWithWarning; }

  Status fStatus = Status::kNothingSelected;
  Stage fStage = Stage::kNone;
  int32_t fError = 0;
  platform::HostFailure fCause = platform::HostFailure::kNone;
  std::string fReason;
};
