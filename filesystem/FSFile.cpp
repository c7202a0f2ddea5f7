#include "filesystem/FSFile.h"

#include <algorithm>
#include <cstring>
#include <limits>
#include <mutex>
#include <utility>

#include "filesystem/FSEntry.h"
#include "filesystem/FileSystem.h"

namespace {

constexpr int32_t kMaxOffset = std::numeric_limits<int32_t>::max();

// The host's answer as a count no larger than was asked; errors count as 0.
int32_t MovedCount(int64_t moved, int32_t asked) {
  if (moved <= 0) return 0;
  return static_cast<int32_t>(std::min<int64_t>(moved, asked));
}

}  // namespace

FSFile::FSFile(FileSystem* owner, CTGString name, platform::HostFile* handle,
               std::unique_ptr<platform::HostFile> owned, int32_t base, int32_t size, bool inArchive, bool writable)
    : fName(std::move(name)),
      fHandle(handle),
      fOwnedHandle(std::move(owned)),
      fSize(size),
      fBase(base),
      fInArchive(inArchive),
      fWritable(writable),
      fOwner(owner) {}

FSFile::~FSFile() = default;

int32_t FSFile::Read(void* buffer, int32_t count) {
  if (fHandle == nullptr || count <= 0) return 0;
  int32_t got = 0;
  if (fInArchive) {
    std::lock_guard<std::mutex> hold(fOwner->Lock());
    // Base and size come from an untrusted directory: a negative size, or a
    // base that puts the member before the file, reads nothing.
    const int64_t left = static_cast<int64_t>(fSize) - fPosition;
    const int64_t at = static_cast<int64_t>(fBase) + fPosition;
    if (left <= 0 || at < 0 || !fHandle->Seek(at)) return 0;
    const int32_t wanted = static_cast<int32_t>(std::min<int64_t>(count, left));
    got = MovedCount(fHandle->Read(buffer, wanted), wanted);
  } else {
    const int32_t wanted = std::min(count, kMaxOffset - fPosition);
    got = MovedCount(fHandle->Read(buffer, wanted), wanted);
  }
  fPosition += got;
  return got;
}

int32_t FSFile::Write(const void* buffer, int32_t count) {
  if (!fWritable || fHandle == nullptr || count <= 0) return 0;
  const int32_t wanted = std::min(count, kMaxOffset - fPosition);
  const int32_t put = MovedCount(fHandle->Write(buffer, wanted), wanted);
  fPosition += put;
  fSize = std::max(fSize, fPosition);
  return put;
}

bool FSFile::Seek(int32_t position) {
  DropBuffer();
  fBufferFilePos = position;
  if (fHandle == nullptr || position < 0 || position > fSize) return false;
  const int64_t at = static_cast<int64_t>(fBase) + position;
  if (at < 0) return false;
  std::unique_lock<std::mutex> hold;
  if (fInArchive) hold = std::unique_lock<std::mutex>(fOwner->Lock());
  if (!fHandle->Seek(at)) return false;
  fPosition = position;
  return true;
}

bool FSFile::SeekExtend(int32_t position) {
  DropBuffer();
  fBufferFilePos = position;
  if (fInArchive || fHandle == nullptr || position < 0) return false;
  const int64_t at = static_cast<int64_t>(fBase) + position;
  if (!fHandle->Seek(at)) return false;
  fSize = std::max(fSize, position);
  fPosition = position;
  return true;
}

bool FSFile::SetSize(int32_t size) {
  // A read-only open could only fail at the host; refusing first keeps the
  // position, and keeps a member from ever touching its archive.
  if (!fWritable) return false;
  if (!(size > fSize ? SeekExtend(size) : Seek(size))) return false;
  if (!fHandle->SetEndOfFile()) return false;
  FSEntry* entry = nullptr;
  if (fOwner != nullptr && fOwner->Lookup(fName, &entry)) entry->fSize = size;
  fSize = size;
  return true;
}

bool FSFile::Flush() { return fHandle != nullptr && fHandle->Flush(); }

void FSFile::TakeHandleOf(FSFile* other) {
  DropBuffer();
  fOwnedHandle = std::move(other->fOwnedHandle);
  fHandle = fOwnedHandle.get();
  other->fHandle = nullptr;
  fSize = other->fSize;
  fPosition = other->fPosition;
  fBase = 0;
  FSEntry* entry = nullptr;
  if (fOwner != nullptr && fOwner->Lookup(fName, &entry)) entry->fSize = fSize;
}

bool FSFile::FillBuffer(int32_t count) {
  if (fBuffer == nullptr) {
    fBuffer = std::make_unique<uint8_t[]>(static_cast<size_t>(count));
    fBufferCapacity = count;
  }
  fBufferCursor = 0;
  fBufferLength = count;
  if (count > 0 && Read(fBuffer.get(), count) != count) return false;
  fBufferFilePos += count;
  return true;
}

bool FSFile::ReadBuffered(void* buffer, int32_t count) {
  if (count < 0) return false;
  // The read-ahead position may have been set anywhere, past the end too.
  if (fBuffer == nullptr) {
    const int64_t left = static_cast<int64_t>(fSize) - fBufferFilePos;
    if (fBufferFilePos < 0 || left < 0) return false;
    if (!FillBuffer(static_cast<int32_t>(std::min<int64_t>(kReadAheadSize, left)))) return false;
  }
  uint8_t* out = static_cast<uint8_t*>(buffer);
  while (count > 0) {
    const int32_t take = std::min(count, fBufferLength - fBufferCursor);
    if (take > 0) {
      std::memcpy(out, fBuffer.get() + fBufferCursor, static_cast<size_t>(take));
      out += take;
      fBufferCursor += take;
      count -= take;
    }
    if (count > 0) {
      const int32_t refill = static_cast<int32_t>(std::min<int64_t>(fBufferCapacity, int64_t{fSize} - fBufferFilePos));
      if (refill < 1 || !FillBuffer(refill)) return false;
    }
  }
  return true;
}

bool FSFile::SeekRaw(int32_t offset) {
  DropBuffer();
  if (fHandle == nullptr || offset < 0) return false;
  fBufferFilePos = offset;
  return fHandle->Seek(offset);
}

bool FSFile::DropBuffer() {
  fBuffer.reset();
  fBufferCapacity = 0;
  fBufferCursor = 0;
  fBufferFilePos = 0;
  fBufferLength = kReadAheadSize;
  return true;
}
