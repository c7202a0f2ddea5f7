#pragma once

#include <cstdint>
#include <memory>

#include "msrc/Util/StringBuffer.h"
#include "platform/HostFailure.h"

class FSFile;

// Status codes of FlatFile; the resource files pass them on unchanged.
constexpr int32_t kFlatErrNone = 0;
constexpr int32_t kFlatErrDeleteFailed = -39;
constexpr int32_t kFlatErrNoSuchFile = -40;
constexpr int32_t kFlatErrCreateFailed = -42;
constexpr int32_t kFlatErrExists = -43;
constexpr int32_t kFlatErrShortWrite = -46;
constexpr int32_t kFlatErrAlreadyOpen = -47;
constexpr int32_t kFlatErrShortRead = -48;  // also: a position the file system refused
constexpr int32_t kFlatErrNotOpen = -49;
constexpr int32_t kFlatErrFailed = -50;  // Open found no way in; SetSize / Flush failed

// A byte file over gFileSystem that turns the file system's booleans and byte
// counts into status codes. Owns at most one open FSFile. The IFF resource
// files use one as a base for all their file access.
class FlatFile {
 public:
  FlatFile();
  // Closes the file if one is open.
  virtual ~FlatFile();
  FlatFile(const FlatFile&) = delete;
  FlatFile& operator=(const FlatFile&) = delete;

  // Opens for writing, or failing that read-only; kFlatErrFailed when neither
  // works. After SetReadOnlyAccess(true) only the read-only open is tried.
  int32_t Open(const StringBuffer& path);

  // For callers that only look at a file (a listing tool): the next opens ask
  // for reading only, so nothing can be written and other readers are not
  // shut out.
  void SetReadOnlyAccess(bool readOnly) { fReadOnlyAccess = readOnly; }
  // kFlatErrNotOpen, with an assertion report, when nothing is open.
  int32_t Close();
  bool ValidFile() const { return fFile != nullptr; }
  // Meaningful only while open.
  bool IsWritable() const { return fWritable; }

  // Exactly `count` bytes at the current position, or kFlatErrShortRead. A
  // negative count reads nothing and is kFlatErrShortRead.
  int32_t Read(void* destination, int32_t count);
  // Exactly `count` bytes at the current position, growing the file, or
  // kFlatErrShortWrite. A negative count writes nothing and is
  // kFlatErrShortWrite.
  int32_t Write(const void* source, int32_t count);
  // 0..length; kFlatErrShortRead outside.
  int32_t SetPos(int32_t offset);
  int32_t GetSize(int32_t* length);
  int32_t SetSize(int32_t length);
  int32_t Flush();
  // The normalised path the file system opened the file under.
  int32_t GetPath(StringBuffer* path);

  // Makes an empty file; this object stays closed.
  int32_t Create(const StringBuffer& path);
  int32_t Delete(const StringBuffer& path);

  // Replacements: a file written in full beside this one, which then takes
  // its place in one step, so that a program that stops or a disk that fills
  // up at any moment leaves either the old file, untouched, or the whole new
  // one. Opens `replacement` (which must be closed) on a new, empty file
  // beside this writable one; kFlatErrCreateFailed when it cannot be made.
  int32_t OpenReplacement(FlatFile* replacement);
  // Flushes the replacement and puts it in this file's place: on success this
  // object reads and writes the new file and `replacement` is closed. On
  // failure this file is as it was and the replacement is discarded.
  int32_t Replace(FlatFile* replacement);
  // Closes a replacement that is not wanted and removes its file.
  void DiscardReplacement(FlatFile* replacement);

  // A shadow: every byte of the file is copied into a replacement, and from
  // then on reads and writes go to the copy, while the file itself stays
  // open, held and untouched. CommitShadow puts the copy in the file's place;
  // AbandonShadow throws it away, leaving the file exactly as it was.
  int32_t BeginShadow();
  int32_t CommitShadow();
  void AbandonShadow();
  bool InShadow() const { return fShadow != nullptr; }

  // Goes up whenever the bytes this object reads may have changed: an open,
  // a close, a write, a size change, a replacement, a shadow begun, kept or
  // thrown away. Bytes read earlier are still the file's while it stays.
  uint32_t Changes() const { return fChanges; }

  // The host's cause of the last failure of this object's file calls (its
  // open included): why the file is not writable after an Open that fell back
  // to reading, why a write or a replacement failed. kNone when nothing
  // failed since the last Open.
  platform::HostFailure LastFailure() const { return fFailure; }

 private:
  // The file that reads and writes reach: the shadow while there is one.
  FSFile* Active() const;
  // Returns `status`, keeping the host's cause when it is a failure.
  int32_t Note(int32_t status);

  FSFile* fFile = nullptr;
  uint32_t fChanges = 0;
  bool fWritable = false;
  bool fReadOnlyAccess = false;
  platform::HostFailure fFailure = platform::HostFailure::kNone;
  std::unique_ptr<FlatFile> fShadow;
};
