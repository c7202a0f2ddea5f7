#include "msrc/File/SeqResFile.h"

#include <algorithm>

#include "msrc/File/IFFResFile.h"
#include "msrc/File/IFFResFile2.h"
#include "msrc/File/ResolveResFile.h"
#include "msrc/Util/PathSplit.h"
#include "msrc/Util/XAssert.h"

namespace {
constexpr const char* kSourcePath = "msrc/File/SeqResFile";
using PathBuffer = FixedStringBuffer<260>;
}  // namespace

SeqResFile::SeqResFile() = default;

SeqResFile::~SeqResFile() {
  for (int16_t i = static_cast<int16_t>(CountFiles() - 1); i >= 0; --i) {
    iResFile* file = GetFile(i);
    if (file == nullptr) {
      XASSERT(kSourcePath, __LINE__, "del", "no indexed file");
      continue;
    }
    RemoveFile(file);
    if (Owns(file)) {
      Disown(file);
      delete file;
    }
  }
  DeleteStrayMembers();
}

// ---- Component table -------------------------------------------------------

void SeqResFile::ClearComponents() {
  for (Component& component : fComponents) {
    component.fKind = kKindNone;
    component.fExtension.Clear();
  }
  fComponentCount = 0;
}

void SeqResFile::AddComponent(int32_t kind, const char* extension) {
  if (fComponentCount >= kMaxComponents) {
    XASSERT(kSourcePath, __LINE__, "false", "not enough space for types");
    return;
  }
  if (kind < kKindNone || kind > kKindResolve) {
    XASSERT(kSourcePath, __LINE__, "false", "bad file type");
    return;
  }
  Component& component = fComponents[static_cast<size_t>(fComponentCount)];
  component.fKind = kind;
  component.fExtension.Assign(extension);
  ++fComponentCount;
}

int32_t SeqResFile::CountComponents() const { return fComponentCount; }

int32_t SeqResFile::ComponentKind(int32_t index) const {
  if (index < 0 || index >= fComponentCount) return kKindNone;
  return fComponents[static_cast<size_t>(index)].fKind;
}

const char* SeqResFile::ComponentExtension(int32_t index) const {
  if (index < 0 || index >= fComponentCount) return "";
  return fComponents[static_cast<size_t>(index)].fExtension.Text();
}

bool SeqResFile::ComponentPath(int32_t kind, const StringBuffer& extension, const StringBuffer& path,
                               StringBuffer* componentPath) {
  componentPath->Clear();
  if (kind == kKindNone || extension.Length() <= 1 || extension.At(0) != '.') return false;

  PathBuffer name;
  PathBuffer pathExtension;
  SplitPath(path.Text(), nullptr, &name, &pathExtension);
  if (pathExtension.Length() > 0) {
    if (pathExtension.CompareNoCase(extension) != 0) return false;
    componentPath->Assign(path);
    return true;
  }
  if (name.Length() == 0) return false;
  // A path cut short would name some other file.
  if (path.Length() + extension.Length() >= componentPath->Capacity()) return false;
  componentPath->Assign(path);
  componentPath->Append(extension);
  return true;
}

iResFile* SeqResFile::MakeMember(int32_t kind) {
  switch (kind) {
    case kKindIFF:
      return new IFFResFile();
    case kKindIFF2:
      return new IFFResFile2();
    case kKindResolve:
      return new ResolveResFile();
    default:
      return nullptr;
  }
}

// ---- Ownership -------------------------------------------------------------

bool SeqResFile::Owns(const iResFile* file) const {
  return file != nullptr && std::find(fOwned.begin(), fOwned.end(), file) != fOwned.end();
}

void SeqResFile::Disown(const iResFile* file) {
  for (iResFile*& owned : fOwned) {
    if (owned == file) owned = nullptr;
  }
}

void SeqResFile::DeleteStrayMembers() {
  for (iResFile*& owned : fOwned) {
    delete owned;
    owned = nullptr;
  }
}

// ---- Group operations ------------------------------------------------------

int32_t SeqResFile::Open(const StringBuffer& path) {
  SeqResFile::Close();
  int32_t result = kResErrNoComponent;
  bool opened = false;
  PathBuffer componentPath;
  for (int32_t i = 0; i < fComponentCount; ++i) {
    const Component& component = fComponents[static_cast<size_t>(i)];
    iResFile* file = MakeMember(component.fKind);
    if (file == nullptr) continue;
    const int32_t status = ComponentPath(component.fKind, component.fExtension, path, &componentPath)
                               ? file->Open(componentPath)
                               : kResErrNoComponent;
    const bool valid = file->ValidFile();
    if (!((status != kResErrNone && !valid) || (status == kResErrNone && valid)))
      XASSERT(kSourcePath, __LINE__, "(temErr && !temFile->ValidFile())||(!temErr && temFile->ValidFile())",
              "no error but file invalid");
    if (status != kResErrNone) {
      result = status;
      delete file;
      continue;
    }
    const int16_t before = CountFiles();
    AddFile(file);
    if (CountFiles() == before) {
      // The chain is full: the file cannot be reached, so it is not kept.
      delete file;
      continue;
    }
    // Never more members than chain entries, so a free slot is always there.
    *std::find(fOwned.begin(), fOwned.end(), nullptr) = file;
    opened = true;
  }
  return SetError(opened ? kResErrNone : result);
}

int32_t SeqResFile::Close() {
  const int32_t result = ChainResFile::Close();
  const int16_t count = CountFiles();
  for (int16_t i = 0; i < count; ++i) {
    iResFile* file = GetFile(0);
    if (file == nullptr) {
      XASSERT(kSourcePath, __LINE__, "del", "no file");
      break;
    }
    RemoveFile(file);
    if (Owns(file)) {
      Disown(file);
      delete file;
    }
  }
  DeleteStrayMembers();
  return result;
}

int32_t SeqResFile::Create(const StringBuffer& path) {
  int32_t result = kResErrNoComponent;
  std::array<const StringBuffer*, kMaxComponents> created{};
  int32_t createCnt = 0;
  PathBuffer componentPath;
  for (int32_t i = 0; i < fComponentCount; ++i) {
    const Component& component = fComponents[static_cast<size_t>(i)];
    const auto sameExtension = [&](const StringBuffer* done) { return done->CompareNoCase(component.fExtension) == 0; };
    if (std::any_of(created.begin(), created.begin() + createCnt, sameExtension)) continue;
    iResFile* file = MakeMember(component.fKind);
    if (file == nullptr) continue;
    if (ComponentPath(component.fKind, component.fExtension, path, &componentPath)) {
      const int32_t status = file->Create(componentPath);
      if (status == kResErrNone)
        created[static_cast<size_t>(createCnt++)] = &component.fExtension;
      else
        result = status;
    } else {
      result = kResErrNoComponent;
    }
    delete file;
    if (result == kResErrFileExists) {
      if (createCnt != 0)
        XASSERT(kSourcePath, __LINE__, "!createCnt", "oh no. created a file where some components already exist.");
      return SetError(kResErrFileExists);
    }
  }
  return SetError(createCnt != 0 ? kResErrNone : result);
}

int32_t SeqResFile::Delete(const StringBuffer& path) {
  int32_t result = kResErrNoComponent;
  bool success = false;
  PathBuffer componentPath;
  for (int32_t i = 0; i < fComponentCount; ++i) {
    const Component& component = fComponents[static_cast<size_t>(i)];
    iResFile* file = MakeMember(component.fKind);
    if (file == nullptr) continue;
    if (ComponentPath(component.fKind, component.fExtension, path, &componentPath)) {
      const int32_t status = file->Delete(componentPath);
      if (status == kResErrNone)
        success = true;
      else
        result = status;
    } else {
      result = kResErrNoComponent;
    }
    delete file;
    if (result == kResErrNoMemberTook || result == kResErrNotWritable) {
      if (success) XASSERT(kSourcePath, __LINE__, "!success", "oh no. pratially deleted a file group.");
      return SetError(result);
    }
  }
  return SetError(success ? kResErrNone : result);
}

void SeqResFile::GetPath(StringBuffer* path) {
  if (!ValidFile()) return;
  iResFile* first = GetFile(0);
  PathBuffer memberPath;
  first->GetPath(&memberPath);
  SetError(first->Error());
  PathStripExtension(memberPath.Text(), path, nullptr);
}
