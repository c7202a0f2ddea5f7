#include "platform/PosixErrno.h"

#include <cerrno>

namespace platform {

HostFailure FailureFromErrno(int error) {
  switch (error) {
    case EWOULDBLOCK:
    case ETXTBSY:
    case EBUSY:
      return HostFailure::kInUse;
    case EACCES:
    case EPERM:
      return HostFailure::kAccessDenied;
    case EROFS:
      return HostFailure::kReadOnly;
    case ENOSPC:
    case EDQUOT:
    case EFBIG:
      return HostFailure::kDiskFull;
    case ENOENT:
    case ENOTDIR:
      return HostFailure::kNotFound;
    case EIO:
      return HostFailure::kDeviceError;
    case ENAMETOOLONG:
      return HostFailure::kPathTooLong;
    default:
      return HostFailure::kOther;
  }
}

void NoteErrno(int error) { SetLastHostFailure(FailureFromErrno(error)); }

}  // namespace platform
