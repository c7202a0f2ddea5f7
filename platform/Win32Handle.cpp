#include "platform/Win32Handle.h"

#include <windows.h>

#include "platform/Win32Failure.h"

namespace platform {

void* Win32Handle::Empty() { return INVALID_HANDLE_VALUE; }

Win32Handle::Win32Handle(void* handle) : fHandle(handle == nullptr ? Empty() : handle) {}

Win32Handle::~Win32Handle() { Reset(); }

Win32Handle& Win32Handle::operator=(Win32Handle&& other) noexcept {
  if (this != &other) {
    Reset();
    fHandle = std::exchange(other.fHandle, Empty());
  }
  return *this;
}

void Win32Handle::Reset() {
  if (Valid()) ::CloseHandle(fHandle);
  fHandle = Empty();
}

bool Win32Handle::Identity(FolderId* identity) const {
  BY_HANDLE_FILE_INFORMATION info{};
  if (!::GetFileInformationByHandle(fHandle, &info)) return NoteLastWin32Error();
  identity->device = info.dwVolumeSerialNumber;
  identity->inode = (static_cast<uint64_t>(info.nFileIndexHigh) << 32) | info.nFileIndexLow;
  return true;
}

}  // namespace platform
