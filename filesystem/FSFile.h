#pragma once

#include <cstdint>
#include <memory>

#include "filesystem/CTGString.h"
#include "platform/HostFile.h"

class FileSystem;

// A file opened through a FileSystem: a disk file with a handle of its own, or
// an archive member read out of the archive's shared handle. Obtained from
// FileSystem::Open and given back to the same FileSystem's Close.
//
// Sizes, offsets and positions are signed 32-bit: files are limited to 2 GiB.
// Failures are values: a short count or false.
class FSFile {
 public:
  ~FSFile();
  FSFile(const FSFile&) = delete;
  FSFile& operator=(const FSFile&) = delete;

  // Disk files read up to `count` bytes at the file pointer. Members read, under
  // the owner's lock, at most what is left of the member, from the member's
  // place in the archive; a member reaching past the archive's end gives short
  // reads. Returns the bytes read and moves the position by them.
  int32_t Read(void* buffer, int32_t count);
  // 0 at once when the file is read-only or count <= 0. Otherwise writes at the
  // file pointer, moves the position and grows the size past it.
  int32_t Write(const void* buffer, int32_t count);
  // Moves to 0..Size(); a position outside fails and leaves the position.
  bool Seek(int32_t position);
  // Like Seek, but may move past the end (which grows the size). Disk files only.
  bool SeekExtend(int32_t position);
  // Cuts or extends the file to `size` bytes and leaves the position there.
  // Fails for files not opened for writing.
  bool SetSize(int32_t size);
  bool Flush();

  // Reads exactly `count` bytes at the read-ahead position through a 4096-byte
  // read-ahead buffer; false when the file ends first. Used to read archive
  // directories, which are long runs of small fields.
  bool ReadBuffered(void* buffer, int32_t count);
  // Drops the read-ahead and moves the handle to the absolute `offset`,
  // ignoring the member base.
  bool SeekRaw(int32_t offset);
  // Frees the read-ahead buffer. Always true.
  bool DropBuffer();

  // The current length.
  int32_t Size() const { return fSize; }
  int32_t Position() const { return fPosition; }
  // The normalised path the file was opened under.
  const CTGString& Name() const { return fName; }
  bool IsWritable() const { return fWritable; }
  bool InArchive() const { return fInArchive; }

  static constexpr int32_t kReadAheadSize = 4096;

 private:
  friend class FileSystem;

  // `owned` is the disk file's own handle, null for a borrowed one.
  FSFile(FileSystem* owner, CTGString name, platform::HostFile* handle, std::unique_ptr<platform::HostFile> owned,
         int32_t base, int32_t size, bool inArchive, bool writable);

  // Takes over the other file's host handle, length and position: after a
  // replacement this file reaches the new one.
  void TakeHandleOf(FSFile* other);

  // Fills the read-ahead buffer with `count` bytes; false on a short fill.
  bool FillBuffer(int32_t count);

  CTGString fName;
  platform::HostFile* fHandle;
  std::unique_ptr<platform::HostFile> fOwnedHandle;
  int32_t fSize;
  int32_t fBase;
  int32_t fPosition = 0;
  bool fInArchive;
  bool fWritable;
  FileSystem* fOwner;
  std::unique_ptr<uint8_t[]> fBuffer;
  int32_t fBufferCapacity = 0;
  int32_t fBufferLength = kReadAheadSize;
  int32_t fBufferFilePos = 0;
  int32_t fBufferCursor = 0;
};
