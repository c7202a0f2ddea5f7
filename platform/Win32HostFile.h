#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "platform/HostFailure.h"
#include "platform/HostFile.h"
#include "platform/Win32Handle.h"

namespace platform {

class Win32OpenFiles;

// A host file over a Win32 file handle, which carries the share mode it was
// opened with; closing it releases the share. It remembers how it was opened
// so that Win32HostEnv::ReplaceFile can let go of it for a moment on a host
// that cannot replace a file that is open (see there).
class Win32HostFile : public HostFile {
 public:
  struct Opening {
    std::wstring path;  // as given to CreateFileW
    unsigned long access = 0;
    unsigned long share = 0;
    unsigned long flags = 0;
  };

  // Takes ownership of `handle` and lists the file in `openFiles`.
  Win32HostFile(Win32Handle handle, Opening opening, std::shared_ptr<Win32OpenFiles> openFiles);
  ~Win32HostFile() override;
  Win32HostFile(const Win32HostFile&) = delete;
  Win32HostFile& operator=(const Win32HostFile&) = delete;

  int64_t Read(void* buffer, int64_t count) override;
  int64_t Write(const void* buffer, int64_t count) override;
  bool Seek(int64_t offset) override;
  int64_t Size() override;
  bool SetEndOfFile() override;
  bool Flush() override;

  // For Win32OpenFiles, under its lock.
  bool Identity(FolderId* identity) const;
  // Opened with write access.
  bool Writes() const;
  // Closes the handle, keeping the file pointer; until Reopen every call
  // fails with kOther.
  void Let();
  // Opens the file again as before, at the same file pointer. False (and
  // every call failing with the host's cause) when it cannot.
  bool Reopen();

 private:
  // False, with the failure noted, while the file is let go of.
  bool Held();

  Win32Handle fHandle;
  Opening fOpening;
  std::shared_ptr<Win32OpenFiles> fOpenFiles;
  int64_t fLetAt = 0;
  HostFailure fLost = HostFailure::kNone;
};

}  // namespace platform
