#include "platform/Win32HostFile.h"

#include <windows.h>

#include <utility>

#include "platform/Win32Failure.h"
#include "platform/Win32OpenFiles.h"

namespace platform {

namespace {

// One ReadFile/WriteFile never moves more than this, so counts fit a DWORD.
constexpr int64_t kChunk = int64_t{1} << 30;

}  // namespace

Win32HostFile::Win32HostFile(Win32Handle handle, Opening opening, std::shared_ptr<Win32OpenFiles> openFiles)
    : fHandle(std::move(handle)), fOpening(std::move(opening)), fOpenFiles(std::move(openFiles)) {
  fOpenFiles->Add(this);
}

Win32HostFile::~Win32HostFile() { fOpenFiles->Remove(this); }

bool Win32HostFile::Held() {
  if (fHandle.Valid()) return true;
  SetLastHostFailure(fLost);
  return false;
}

int64_t Win32HostFile::Read(void* buffer, int64_t count) {
  if (count < 0 || !Held()) return -1;
  auto* bytes = static_cast<unsigned char*>(buffer);
  int64_t done = 0;
  while (done < count) {
    const DWORD step = static_cast<DWORD>(count - done < kChunk ? count - done : kChunk);
    DWORD got = 0;
    if (!::ReadFile(fHandle.get(), bytes + done, step, &got, nullptr)) {
      NoteLastWin32Error();
      return done > 0 ? done : -1;
    }
    if (got == 0) break;
    done += got;
  }
  return done;
}

int64_t Win32HostFile::Write(const void* buffer, int64_t count) {
  if (count < 0 || !Held()) return -1;
  const auto* bytes = static_cast<const unsigned char*>(buffer);
  int64_t done = 0;
  while (done < count) {
    const DWORD step = static_cast<DWORD>(count - done < kChunk ? count - done : kChunk);
    DWORD put = 0;
    if (!::WriteFile(fHandle.get(), bytes + done, step, &put, nullptr)) {
      NoteLastWin32Error();
      // Whatever reached the file counts; the caller sees a short write.
      return done > 0 ? done : -1;
    }
    if (put == 0) break;
    done += put;
  }
  return done;
}

bool Win32HostFile::Seek(int64_t offset) {
  if (offset < 0) {
    SetLastHostFailure(HostFailure::kOther);
    return false;
  }
  if (!Held()) return false;
  LARGE_INTEGER to{};
  to.QuadPart = offset;
  return ::SetFilePointerEx(fHandle.get(), to, nullptr, FILE_BEGIN) || NoteLastWin32Error();
}

int64_t Win32HostFile::Size() {
  if (!Held()) return -1;
  LARGE_INTEGER size{};
  if (::GetFileSizeEx(fHandle.get(), &size)) return size.QuadPart;
  NoteLastWin32Error();
  return -1;
}

bool Win32HostFile::SetEndOfFile() { return Held() && (::SetEndOfFile(fHandle.get()) || NoteLastWin32Error()); }

bool Win32HostFile::Flush() { return Held() && (::FlushFileBuffers(fHandle.get()) || NoteLastWin32Error()); }

bool Win32HostFile::Identity(FolderId* identity) const { return fHandle.Valid() && fHandle.Identity(identity); }

bool Win32HostFile::Writes() const { return (fOpening.access & GENERIC_WRITE) != 0; }

void Win32HostFile::Let() {
  LARGE_INTEGER zero{};
  LARGE_INTEGER here{};
  fLetAt = ::SetFilePointerEx(fHandle.get(), zero, &here, FILE_CURRENT) ? here.QuadPart : 0;
  fHandle.Reset();
  fLost = HostFailure::kOther;
}

bool Win32HostFile::Reopen() {
  Win32Handle handle(::CreateFileW(fOpening.path.c_str(), fOpening.access, fOpening.share, nullptr, OPEN_EXISTING,
                                   fOpening.flags, nullptr));
  if (!handle.Valid()) {
    fLost = FailureFromWin32Error(::GetLastError());
    return false;
  }
  LARGE_INTEGER to{};
  to.QuadPart = fLetAt;
  ::SetFilePointerEx(handle.get(), to, nullptr, FILE_BEGIN);
  fHandle = std::move(handle);
  fLost = HostFailure::kNone;
  return true;
}

}  // namespace platform
