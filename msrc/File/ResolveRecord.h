#pragma once

#include <cstdint>
#include <string>

#include "msrc/File/ResType.h"

class FSFile;

// One resource of a resolve-site file: a loose file held open read-only
// while the record lives, with the type, name and id it was found under.
class ResolveRecord {
 public:
  // The id of a file whose name carries none.
  static constexpr int32_t kNoId = INT32_MIN;

  ResolveRecord(ResType type, std::string name, int32_t id);
  // Closes the stream.
  ~ResolveRecord();
  ResolveRecord(const ResolveRecord&) = delete;
  ResolveRecord& operator=(const ResolveRecord&) = delete;

  // Opens the file read-only, sharing it with other readers, and notes its
  // size. False when it cannot be opened (missing, a folder, held by a
  // writer); a record holds at most one stream.
  bool OpenStream(const std::string& path);
  // Closes the stream, if any.
  void Release();
  // Reads the whole file from its start into `buffer` (Size() bytes). False
  // when the file gives fewer bytes.
  bool ReadAll(void* buffer);

  bool HasStream() const { return fStream != nullptr; }
  ResType Type() const { return fType; }
  const std::string& Name() const { return fName; }
  int32_t Id() const { return fId; }
  int32_t Size() const { return fSize; }

 private:
  FSFile* fStream = nullptr;
  ResType fType;
  std::string fName;
  int32_t fId;
  int32_t fSize = 0;
};
