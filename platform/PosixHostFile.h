#pragma once

#include <cstdint>

#include "platform/HostFile.h"

namespace platform {

// A host file over a POSIX descriptor. The descriptor carries the flock share
// lock (if any) taken when it was opened; closing it releases the lock.
// The file pointer is kept here rather than in the descriptor: reads and
// writes are positional (pread, pwrite), so a seek costs no host call.
class PosixHostFile : public HostFile {
 public:
  // Takes ownership of `fd`. `sizeAtOpen`, when known, is the size the open
  // saw with its lock held: it answers the first Size() asked before
  // anything is written, which is nearly always asked at once. Later
  // questions ask the host, which others may have changed the file under.
  explicit PosixHostFile(int fd, int64_t sizeAtOpen = -1) : fFd(fd), fSizeAtOpen(sizeAtOpen) {}
  ~PosixHostFile() override;
  PosixHostFile(const PosixHostFile&) = delete;
  PosixHostFile& operator=(const PosixHostFile&) = delete;

  int64_t Read(void* buffer, int64_t count) override;
  int64_t Write(const void* buffer, int64_t count) override;
  bool Seek(int64_t offset) override;
  int64_t Size() override;
  bool SetEndOfFile() override;
  bool Flush() override;

 private:
  int fFd;
  int64_t fPosition = 0;
  int64_t fSizeAtOpen;  // -1 once used, or unknown
};

}  // namespace platform
