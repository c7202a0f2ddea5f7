#include "platform/Win32Failure.h"

#include <windows.h>

namespace platform {

namespace {

// Not spelled by every SDK's headers.
constexpr unsigned long kErrorDiskQuotaExceeded = 1295;

}  // namespace

HostFailure FailureFromWin32Error(unsigned long error) {
  switch (error) {
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION:
    case ERROR_USER_MAPPED_FILE:
    case ERROR_BUSY:
      return HostFailure::kInUse;
    case ERROR_ACCESS_DENIED:
    case ERROR_PRIVILEGE_NOT_HELD:
    case ERROR_CANT_ACCESS_FILE:
      return HostFailure::kAccessDenied;
    case ERROR_WRITE_PROTECT:
    case ERROR_FILE_READ_ONLY:
      return HostFailure::kReadOnly;
    case ERROR_DISK_FULL:
    case ERROR_HANDLE_DISK_FULL:
    case kErrorDiskQuotaExceeded:
    case ERROR_FILE_TOO_LARGE:
      return HostFailure::kDiskFull;
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
    case ERROR_INVALID_DRIVE:
    case ERROR_BAD_NETPATH:
    case ERROR_BAD_NET_NAME:
    case ERROR_INVALID_NAME:
    case ERROR_DIRECTORY:
      return HostFailure::kNotFound;
    case ERROR_CRC:
    case ERROR_IO_DEVICE:
    case ERROR_SEEK:
    case ERROR_SECTOR_NOT_FOUND:
    case ERROR_READ_FAULT:
    case ERROR_WRITE_FAULT:
    case ERROR_GEN_FAILURE:
    case ERROR_NOT_READY:
    case ERROR_DEVICE_NOT_CONNECTED:
    case ERROR_FILE_CORRUPT:
    case ERROR_DISK_CORRUPT:
      return HostFailure::kDeviceError;
    case ERROR_FILENAME_EXCED_RANGE:
    case ERROR_BUFFER_OVERFLOW:
      return HostFailure::kPathTooLong;
    default:
      return HostFailure::kOther;
  }
}

void NoteWin32Error(unsigned long error) { SetLastHostFailure(FailureFromWin32Error(error)); }

bool NoteLastWin32Error() {
  NoteWin32Error(::GetLastError());
  return false;
}

}  // namespace platform
