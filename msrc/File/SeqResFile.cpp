#include "msrc/File/SeqResFile.h"

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "filesystem/CTGString.h"
#include "filesystem/FileSystem.h"
#include "msrc/File/IFFResFile.h"
#include "msrc/File/IFFResFile2.h"
#include "msrc/File/ResolveResFile.h"
#include "msrc/File/flatfile.h"
#include "msrc/Util/PathSplit.h"
#include "msrc/Util/XAssert.h"
#include "platform/HostEnv.h"
#include "platform/LookupBatch.h"

namespace {
constexpr const char* kSourcePath = "msrc/File/SeqResFile";
using PathBuffer = FixedStringBuffer<260>;

// What a member of `kind` answers when asked to open a file or folder that is
// not there: the IFF files' flat file finds no way in, and a resolve-site
// file whose folder cannot be listed refuses to open.
int32_t MissingStatus(int32_t kind) {
  return kind == SeqResFile::kKindResolve ? kResErrAlreadyOpen : kFlatErrFailed;
}
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

std::array<bool, SeqResFile::kMaxComponents> SeqResFile::MissingComponents(const StringBuffer& path) const {
  std::array<bool, kMaxComponents> missing{};
  PathBuffer folder;
  PathBuffer name;
  PathBuffer extension;
  SplitPath(path.Text(), &folder, &name, &extension);
  // A path with an extension reaches one component at most: nothing to spare.
  if (folder.Length() == 0 || name.Length() == 0 || extension.Length() > 0) return missing;

  std::vector<std::string> names;
  std::array<size_t, kMaxComponents> asked{};  // index into names + 1; 0 when not asked
  std::string mainName;
  const bool catalogued = !gFileSystem.GetCatalogue().empty();
  PathBuffer componentPath;
  for (int32_t i = 0; i < fComponentCount; ++i) {
    const Component& component = fComponents[static_cast<size_t>(i)];
    if (component.fKind < kKindIFF || component.fKind > kKindResolve) continue;
    if (!ComponentPath(component.fKind, component.fExtension, path, &componentPath)) continue;
    const std::string fileName(componentPath.Text() + folder.Length());
    // Opened as always: the first component's file, the one the caller
    // means, which is nearly always there; a resolve site that reads its path
    // as several folders; and files the file system catalogues (archive
    // members among them, which the host does not see).
    if (mainName.empty()) mainName = fileName;
    if (fileName == mainName) continue;
    if (component.fKind == kKindResolve ? std::strchr(componentPath.Text(), ';') != nullptr
                                        : catalogued && gFileSystem.Lookup(CTGString(componentPath.Text())))
      continue;
    const size_t known = static_cast<size_t>(std::find(names.begin(), names.end(), fileName) - names.begin());
    if (known == names.size()) names.push_back(fileName);
    asked[static_cast<size_t>(i)] = known + 1;
  }
  if (names.empty()) return missing;
  const std::vector<bool> held = platform::HostEnv::Current().MayHold(folder.Text(), names);
  for (int32_t i = 0; i < fComponentCount; ++i) {
    const size_t at = asked[static_cast<size_t>(i)];
    missing[static_cast<size_t>(i)] = at != 0 && at <= held.size() && !held[at - 1];
  }
  return missing;
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
  // The companion probe and the members' opens are one operation to the
  // host: it need look at what their paths share only once.
  const platform::LookupBatch batch(platform::HostEnv::Current());
  int32_t result = kResErrNoComponent;
  bool opened = false;
  const std::array<bool, kMaxComponents> missing = MissingComponents(path);
  PathBuffer componentPath;
  for (int32_t i = 0; i < fComponentCount; ++i) {
    const Component& component = fComponents[static_cast<size_t>(i)];
    if (missing[static_cast<size_t>(i)]) {
      result = MissingStatus(component.fKind);
      continue;
    }
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
