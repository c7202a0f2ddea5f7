#pragma once

#include <cstdint>

#include "msrc/Util/StringBuffer.h"

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

 private:
  FSFile* fFile = nullptr;
  bool fWritable = false;
  bool fReadOnlyAccess = false;
};
