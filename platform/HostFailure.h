#pragma once

namespace platform {

// Why a host call failed, in terms a player can act on. Kept per thread, like
// the system's last error code: every host call that fails sets it, nothing
// that succeeds clears it. Read it right after the call that failed; the
// layers above keep their own copy next to their error codes.
enum class HostFailure {
  kNone,
  kInUse,         // another program holds the file and does not share it
  kAccessDenied,  // the user may not do this (permissions)
  kReadOnly,      // the file is read-only, or the disk it is on
  kDiskFull,      // no space left on the disk (or over quota)
  kNotFound,      // the file or a folder on its path is not there
  kDeviceError,   // the disk reported an input/output error
  kPathTooLong,   // the path is longer than the host accepts
  kOther,
};

HostFailure LastHostFailure();
void SetLastHostFailure(HostFailure failure);

}  // namespace platform
