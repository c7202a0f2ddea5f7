#include "msrc/File/flatfile.h"

#include <algorithm>
#include <new>

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
// A shadow is copied in pieces of this size.
constexpr int32_t kCopyPiece = 256 * 1024;

CTGString PathOf(const StringBuffer& path) { return CTGString(path.Text()); }

}  // namespace

FlatFile::FlatFile() = default;

FlatFile::~FlatFile() {
  if (ValidFile()) Close();
}

int32_t FlatFile::Open(const StringBuffer& path) {
  if (ValidFile()) return kFlatErrAlreadyOpen;
  ++fChanges;
  const CTGString name = PathOf(path);
  fFailure = platform::HostFailure::kNone;
  platform::SetLastHostFailure(platform::HostFailure::kNone);
  fFile = fReadOnlyAccess ? nullptr : gFileSystem.Open(name, true);
  if (fFile != nullptr) {
    fWritable = true;
    return kFlatErrNone;
  }
  // Why the file could not be had for writing, should that matter later.
  if (!fReadOnlyAccess) fFailure = platform::LastHostFailure();
  fFile = gFileSystem.Open(name, false);
  fWritable = false;
  if (fFile == nullptr) fFailure = platform::LastHostFailure();
  return fFile != nullptr ? kFlatErrNone : kFlatErrFailed;
}

int32_t FlatFile::Close() {
  if (!ValidFile()) {
    XASSERT(kSourcePath, kCloseUnopenedLine, "ValidFile()", "closing an unopened file");
    return kFlatErrNotOpen;
  }
  AbandonShadow();
  ++fChanges;
  gFileSystem.Close(fFile);
  fFile = nullptr;
  return kFlatErrNone;
}

FSFile* FlatFile::Active() const { return fShadow != nullptr ? fShadow->fFile : fFile; }

int32_t FlatFile::Note(int32_t status) {
  if (status != kFlatErrNone) fFailure = platform::LastHostFailure();
  return status;
}

int32_t FlatFile::Read(void* destination, int32_t count) {
  if (!ValidFile()) return kFlatErrNotOpen;
  if (count < 0) return kFlatErrShortRead;
  if (count == 0) return kFlatErrNone;
  platform::SetLastHostFailure(platform::HostFailure::kNone);
  return Note(Active()->Read(destination, count) == count ? kFlatErrNone : kFlatErrShortRead);
}

int32_t FlatFile::Write(const void* source, int32_t count) {
  if (!ValidFile()) return kFlatErrNotOpen;
  if (count < 0) return kFlatErrShortWrite;
  if (count == 0) return kFlatErrNone;
  ++fChanges;
  platform::SetLastHostFailure(platform::HostFailure::kNone);
  return Note(Active()->Write(source, count) == count ? kFlatErrNone : kFlatErrShortWrite);
}

int32_t FlatFile::SetPos(int32_t offset) {
  if (!ValidFile()) return kFlatErrNotOpen;
  platform::SetLastHostFailure(platform::HostFailure::kNone);
  return Note(Active()->Seek(offset) ? kFlatErrNone : kFlatErrShortRead);
}

int32_t FlatFile::GetSize(int32_t* length) {
  if (!ValidFile()) return kFlatErrNotOpen;
  if (length != nullptr) *length = Active()->Size();
  return kFlatErrNone;
}

int32_t FlatFile::SetSize(int32_t length) {
  if (!ValidFile()) return kFlatErrNotOpen;
  ++fChanges;
  platform::SetLastHostFailure(platform::HostFailure::kNone);
  return Note(Active()->SetSize(length) ? kFlatErrNone : kFlatErrFailed);
}

int32_t FlatFile::Flush() {
  if (!ValidFile()) return kFlatErrNotOpen;
  platform::SetLastHostFailure(platform::HostFailure::kNone);
  return Note(Active()->Flush() ? kFlatErrNone : kFlatErrFailed);
}

int32_t FlatFile::OpenReplacement(FlatFile* replacement) {
  if (!ValidFile()) return kFlatErrNotOpen;
  if (replacement->ValidFile()) return kFlatErrAlreadyOpen;
  platform::SetLastHostFailure(platform::HostFailure::kNone);
  replacement->fFile = gFileSystem.OpenReplacement(*fFile);
  if (replacement->fFile == nullptr) return Note(kFlatErrCreateFailed);
  replacement->fWritable = true;
  replacement->fFailure = platform::HostFailure::kNone;
  return kFlatErrNone;
}

int32_t FlatFile::Replace(FlatFile* replacement) {
  if (!ValidFile() || !replacement->ValidFile()) return kFlatErrNotOpen;
  ++fChanges;
  platform::SetLastHostFailure(platform::HostFailure::kNone);
  int32_t status = replacement->fFile->Flush() ? kFlatErrNone : kFlatErrFailed;
  if (status == kFlatErrNone && !gFileSystem.Replace(fFile, replacement->fFile)) status = kFlatErrFailed;
  if (status != kFlatErrNone) {
    Note(status);
    DiscardReplacement(replacement);
    return status;
  }
  replacement->fFile = nullptr;
  return kFlatErrNone;
}

void FlatFile::DiscardReplacement(FlatFile* replacement) {
  if (!replacement->ValidFile()) return;
  gFileSystem.Discard(replacement->fFile);
  replacement->fFile = nullptr;
}

int32_t FlatFile::BeginShadow() {
  if (!ValidFile()) return kFlatErrNotOpen;
  if (fShadow != nullptr) return kFlatErrNone;
  ++fChanges;
  auto shadow = std::make_unique<FlatFile>();
  int32_t status = OpenReplacement(shadow.get());
  if (status != kFlatErrNone) return status;
  const int32_t size = fFile->Size();
  const int32_t piece = std::min(kCopyPiece, std::max(size, 1));
  const std::unique_ptr<uint8_t[]> buffer(new (std::nothrow) uint8_t[static_cast<size_t>(piece)]);
  if (buffer == nullptr) status = kFlatErrFailed;
  platform::SetLastHostFailure(platform::HostFailure::kNone);
  if (status == kFlatErrNone && !fFile->Seek(0)) status = kFlatErrShortRead;
  for (int32_t done = 0; status == kFlatErrNone && done < size;) {
    const int32_t count = std::min(piece, size - done);
    if (fFile->Read(buffer.get(), count) != count) {
      status = kFlatErrShortRead;
    } else if (shadow->fFile->Write(buffer.get(), count) != count) {
      status = kFlatErrShortWrite;
    }
    done += count;
  }
  if (status != kFlatErrNone) {
    Note(status);
    DiscardReplacement(shadow.get());
    return status;
  }
  fShadow = std::move(shadow);
  return kFlatErrNone;
}

int32_t FlatFile::CommitShadow() {
  if (fShadow == nullptr) return kFlatErrNone;
  ++fChanges;
  const std::unique_ptr<FlatFile> shadow = std::move(fShadow);
  return Replace(shadow.get());
}

void FlatFile::AbandonShadow() {
  if (fShadow == nullptr) return;
  ++fChanges;
  DiscardReplacement(fShadow.get());
  fShadow.reset();
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
