#include "msrc/File/ResolveRecord.h"

#include <utility>

#include "filesystem/CTGString.h"
#include "filesystem/FSFile.h"
#include "filesystem/FileSystem.h"

ResolveRecord::ResolveRecord(ResType type, std::string name, int32_t id)
    : fType(type), fName(std::move(name)), fId(id) {}

ResolveRecord::~ResolveRecord() { Release(); }

bool ResolveRecord::OpenStream(const std::string& path) {
  if (fStream != nullptr) return false;
  fStream = gFileSystem.Open(CTGString(path.c_str()), false);
  if (fStream == nullptr) return false;
  fSize = fStream->Size();
  return true;
}

void ResolveRecord::Release() {
  gFileSystem.Close(fStream);
  fStream = nullptr;
}

bool ResolveRecord::ReadAll(void* buffer) {
  if (fStream == nullptr || !fStream->Seek(0)) return false;
  auto* bytes = static_cast<char*>(buffer);
  int32_t done = 0;
  while (done < fSize) {
    const int32_t got = fStream->Read(bytes + done, fSize - done);
    if (got <= 0) return false;
    done += got;
  }
  return true;
}
