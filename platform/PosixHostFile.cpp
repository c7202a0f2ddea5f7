#include "platform/PosixHostFile.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstddef>
#include <limits>
#include <utility>

#include "platform/PosixErrno.h"

namespace platform {

namespace {

// One read(2)/write(2) never moves more than this, so counts fit ssize_t on
// every host and a huge request cannot be misread as negative.
constexpr int64_t kChunk = int64_t{1} << 30;

}  // namespace

PosixHostFile::~PosixHostFile() { ::close(fFd); }

int64_t PosixHostFile::Read(void* buffer, int64_t count) {
  if (count < 0) return -1;
  auto* bytes = static_cast<unsigned char*>(buffer);
  int64_t done = 0;
  while (done < count) {
    int64_t step = count - done < kChunk ? count - done : kChunk;
    ssize_t got = ::pread(fFd, bytes + done, static_cast<std::size_t>(step), static_cast<off_t>(fPosition + done));
    if (got < 0) {
      if (errno == EINTR) continue;
      NoteErrno(errno);
      fPosition += done;
      return done > 0 ? done : -1;
    }
    if (got == 0) break;
    done += got;
  }
  fPosition += done;
  return done;
}

int64_t PosixHostFile::Write(const void* buffer, int64_t count) {
  if (count < 0) return -1;
  fSizeAtOpen = -1;
  const auto* bytes = static_cast<const unsigned char*>(buffer);
  int64_t done = 0;
  while (done < count) {
    int64_t step = count - done < kChunk ? count - done : kChunk;
    ssize_t put = ::pwrite(fFd, bytes + done, static_cast<std::size_t>(step), static_cast<off_t>(fPosition + done));
    if (put < 0) {
      if (errno == EINTR) continue;
      NoteErrno(errno);
      // Whatever reached the file counts; the caller sees a short write.
      fPosition += done;
      return done > 0 ? done : -1;
    }
    if (put == 0) break;
    done += put;
  }
  fPosition += done;
  return done;
}

bool PosixHostFile::Seek(int64_t offset) {
  if (offset < 0 || offset > std::numeric_limits<off_t>::max()) {
    SetLastHostFailure(HostFailure::kOther);
    return false;
  }
  fPosition = offset;
  return true;
}

int64_t PosixHostFile::Size() {
  if (fSizeAtOpen >= 0) return std::exchange(fSizeAtOpen, -1);
  struct stat info {};
  if (::fstat(fFd, &info) == 0) return static_cast<int64_t>(info.st_size);
  NoteErrno(errno);
  return -1;
}

bool PosixHostFile::SetEndOfFile() {
  fSizeAtOpen = -1;
  while (::ftruncate(fFd, static_cast<off_t>(fPosition)) != 0) {
    if (errno != EINTR) {
      NoteErrno(errno);
      return false;
    }
  }
  return true;
}

bool PosixHostFile::Flush() {
  while (::fsync(fFd) != 0) {
    if (errno != EINTR) {
      NoteErrno(errno);
      return false;
    }
  }
  return true;
}

}  // namespace platform
