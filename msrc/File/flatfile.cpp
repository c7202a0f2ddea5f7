#include "msrc/File/flatfile.h"

#include "filesystem/CTGString.h"
#include "filesystem/FSFile.h"
#include "filesystem/FileSystem.h"
#include "msrc/File/resfile.h"
#include "msrc/Util/XAssert.h"

// The resource files hand these codes on as their own.
static_assert(kFlatErrDeleteFailed == kResErrDeleteFailed && kFlatErrNoSuchFile == kResErrNoSuchFile &&
              kFlatErrCreateFailed == kResErrCreateFailed && kFlatErrExists == kResErrFileExists &&
              kFlatErrShortWrite == kResErrShortWrite && kFlatErrAlreadyOpen == kResErrAlreadyOpen &&
              kFlatErrShortRead == kResErrShortRead && kFlatErrNotOpen == kResErrNotOpen);

namespace {

constexpr const char* kSourcePath = "msrc/File/flatfile";
constexpr int32_t kCloseUnopenedLine = 130;

CTGString PathOf(const StringBuffer& path) { return CTGString(path.Text()); }

}  // namespace

FlatFile::FlatFile() = default;

FlatFile::~FlatFile() {
  if (ValidFile()) Close();
}

int32_t FlatFile::Open(const StringBuffer& path) {
  if (ValidFile()) return kFlatErrAlreadyOpen;
  const CTGString name = PathOf(path);
  fFile = fReadOnlyAccess ? nullptr : gFileSystem.Open(name, true);
  if (fFile != nullptr) {
    fWritable = true;
    return kFlatErrNone;
  }
  fFile = gFileSystem.Open(name, false);
  fWritable = false;
  return fFile != nullptr ? kFlatErrNone : kFlatErrFailed;
}

int32_t FlatFile::Close() {
  if (!ValidFile()) {
    XASSERT(kSourcePath, kCloseUnopenedLine, "ValidFile()", "closing an unopened file");
    return kFlatErrNotOpen;
  }
  gFileSystem.Close(fFile);
  fFile = nullptr;
  return kFlatErrNone;
}

int32_t FlatFile::Read(void* destination, int32_t count) {
  if (!ValidFile()) return kFlatErrNotOpen;
  if (count < 0) return kFlatErrShortRead;
  if (count == 0) return kFlatErrNone;
  return fFile->Read(destination, count) == count ? kFlatErrNone : kFlatErrShortRead;
}

int32_t FlatFile::Write(const void* source, int32_t count) {
  if (!ValidFile()) return kFlatErrNotOpen;
  if (count < 0) return kFlatErrShortWrite;
  if (count == 0) return kFlatErrNone;
  return fFile->Write(source, count) == count ? kFlatErrNone : kFlatErrShortWrite;
}

int32_t FlatFile::SetPos(int32_t offset) {
  if (!ValidFile()) return kFlatErrNotOpen;
  return fFile->Seek(offset) ? kFlatErrNone : kFlatErrShortRead;
}

int32_t FlatFile::GetSize(int32_t* length) {
  if (!ValidFile()) return kFlatErrNotOpen;
  if (length != nullptr) *length = fFile->Size();
  return kFlatErrNone;
}

int32_t FlatFile::SetSize(int32_t length) {
  if (!ValidFile()) return kFlatErrNotOpen;
  return fFile->SetSize(length) ? kFlatErrNone : kFlatErrFailed;
}

int32_t FlatFile::Flush() {
  if (!ValidFile()) return kFlatErrNotOpen;
  return fFile->Flush() ? kFlatErrNone : kFlatErrFailed;
}

int32_t FlatFile::GetPath(StringBuffer* path) {
  if (!ValidFile()) return kFlatErrNotOpen;
  if (path != nullptr) path->Assign(fFile->Name().Text());
  return kFlatErrNone;
}

int32_t FlatFile::Create(const StringBuffer& path) {
  if (ValidFile()) return kFlatErrAlreadyOpen;
  const CTGString name = PathOf(path);
  if (gFileSystem.Exists(name)) return kFlatErrExists;
  return gFileSystem.Create(name) ? kFlatErrNone : kFlatErrCreateFailed;
}

int32_t FlatFile::Delete(const StringBuffer& path) {
  if (ValidFile()) return kFlatErrAlreadyOpen;
  const CTGString name = PathOf(path);
  if (!gFileSystem.Exists(name)) return kFlatErrNoSuchFile;
  return gFileSystem.Delete(name) ? kFlatErrNone : kFlatErrDeleteFailed;
}
