#include "msrc/File/ChainResFile.h"

#include <algorithm>

#include "msrc/Util/XAssert.h"

namespace {
constexpr const char* kSourcePath = "msrc/File/ChainResFile";
constexpr const char* kAnonymousName = "anonymous 0";
}  // namespace

ChainResFile::ChainResFile() = default;

ChainResFile::~ChainResFile() = default;

// ---- Members and routing ---------------------------------------------------

void ChainResFile::AddFile(iResFile* file) {
  if (file == nullptr) return;
  const int16_t count = CountFiles();
  if (count >= kMaxFiles) {
    XASSERT(kSourcePath, __LINE__, "false", "not enough room for files");
    return;
  }
  Member& member = fMembers[static_cast<size_t>(count)];
  member.fFile = file;
  member.fTypes.clear();
  member.fProhibitive = 1;
}

void ChainResFile::RemoveFile(iResFile* file) {
  if (file == nullptr) return;
  size_t kept = 0;
  for (size_t i = 0; i < fMembers.size() && fMembers[i].fFile != nullptr; ++i) {
    if (fMembers[i].fFile == file) continue;
    if (kept != i) fMembers[kept] = std::move(fMembers[i]);
    ++kept;
  }
  for (size_t i = kept; i < fMembers.size(); ++i) fMembers[i] = Member();
}

int16_t ChainResFile::CountFiles() const {
  int16_t count = 0;
  while (count < kMaxFiles && fMembers[static_cast<size_t>(count)].fFile != nullptr) ++count;
  return count;
}

iResFile* ChainResFile::GetFile(int16_t index) const {
  if (index < 0 || index >= CountFiles()) return nullptr;
  return fMembers[static_cast<size_t>(index)].fFile;
}

int16_t ChainResFile::FindMember(const iResFile* file) const {
  const int16_t count = CountFiles();
  for (int16_t i = 0; i < count; ++i) {
    if (fMembers[static_cast<size_t>(i)].fFile == file) return i;
  }
  return -1;
}

void ChainResFile::ProhibitType(iResFile* file, ResType type) {
  const int16_t index = FindMember(file);
  if (file == nullptr || index < 0) return;
  Member& member = fMembers[static_cast<size_t>(index)];
  if (!member.fTypes.empty() && member.fProhibitive == 0) {
    XASSERT(kSourcePath, __LINE__, "false", "prohibiting type on exclusively typed Chain File");
    return;
  }
  member.fProhibitive = 1;
  member.fTypes.push_back(type);
}

void ChainResFile::AddExclusiveType(iResFile* file, ResType type) {
  const int16_t index = FindMember(file);
  if (file == nullptr || index < 0) return;
  Member& member = fMembers[static_cast<size_t>(index)];
  if (!member.fTypes.empty() && member.fProhibitive != 0) {
    XASSERT(kSourcePath, __LINE__, "false", "adding exclusive type on prohibitive Chain File");
    return;
  }
  member.fProhibitive = 0;
  member.fTypes.push_back(type);
}

std::span<const ResType> ChainResFile::MemberTypes(int16_t index) const {
  if (GetFile(index) == nullptr) return {};
  return fMembers[static_cast<size_t>(index)].fTypes;
}

bool ChainResFile::MemberProhibitive(int16_t index) const {
  return GetFile(index) == nullptr || fMembers[static_cast<size_t>(index)].fProhibitive != 0;
}

bool ChainResFile::MemberAccepts(int16_t index, ResType type) const {
  if (GetFile(index) == nullptr) return false;
  const Member& member = fMembers[static_cast<size_t>(index)];
  const bool listed = std::find(member.fTypes.begin(), member.fTypes.end(), type) != member.fTypes.end();
  return member.fProhibitive != 0 ? !listed : listed;
}

// ---- Opening and closing ---------------------------------------------------

int32_t ChainResFile::Create(const StringBuffer& /*path*/) { return SetError(kResErrUnsupported); }

int32_t ChainResFile::Delete(const StringBuffer& /*path*/) { return SetError(kResErrUnsupported); }

int32_t ChainResFile::Open(const StringBuffer& /*path*/) { return SetError(kResErrUnsupported); }

void ChainResFile::GetPath(StringBuffer* /*path*/) { SetError(kResErrUnsupported); }

int32_t ChainResFile::Suspend() {
  SetError(kResErrNone);
  int32_t result = kResErrNone;
  for (int16_t i = 0; i < CountFiles(); ++i) {
    const int32_t status = GetFile(i)->Suspend();
    if (status != kResErrNone) result = status;
  }
  return result;
}

int32_t ChainResFile::Resume() {
  SetError(kResErrNone);
  int32_t result = kResErrNone;
  for (int16_t i = 0; i < CountFiles(); ++i) {
    const int32_t status = GetFile(i)->Resume();
    if (status != kResErrNone) result = status;
  }
  return result;
}

int32_t ChainResFile::Close() {
  SetError(kResErrNone);
  int32_t result = kResErrNone;
  for (int16_t i = 0; i < CountFiles(); ++i) {
    const int32_t status = GetFile(i)->Close();
    if (status != kResErrNone) result = status;
  }
  return result;
}

void ChainResFile::Flush() {
  SetError(kResErrNone);
  int32_t first = kResErrNone;
  for (int16_t i = 0; i < CountFiles(); ++i) {
    iResFile* file = GetFile(i);
    if (!file->IsWritable()) continue;
    file->Flush();
    if (first == kResErrNone) first = file->Error();
  }
  SetError(first);
}

bool ChainResFile::IsWritable() {
  SetError(kResErrNone);
  for (int16_t i = 0; i < CountFiles(); ++i) {
    if (GetFile(i)->IsWritable()) return true;
  }
  return false;
}

bool ChainResFile::ValidFile() {
  SetError(kResErrNone);
  for (int16_t i = 0; i < CountFiles(); ++i) {
    if (GetFile(i)->ValidFile()) return true;
  }
  return false;
}

// ---- Types -----------------------------------------------------------------

std::vector<ResType> ChainResFile::TypeUnion() {
  std::vector<ResType> types;
  for (int16_t i = 0; i < CountFiles(); ++i) {
    iResFile* file = GetFile(i);
    const int16_t count = file->CountTypes();
    if (file->Error() != kResErrNone) {
      SetError(file->Error());
      continue;
    }
    for (int16_t k = count; k >= 1; --k) {
      const ResType type = file->GetIndType(k);
      if (std::find(types.begin(), types.end(), type) == types.end()) types.push_back(type);
    }
  }
  return types;
}

int16_t ChainResFile::CountTypes() {
  SetError(kResErrNone);
  return static_cast<int16_t>(TypeUnion().size());
}

ResType ChainResFile::GetIndType(int16_t index) {
  SetError(kResErrNone);
  const std::vector<ResType> types = TypeUnion();
  if (index < 1 || static_cast<size_t>(index) > types.size()) {
    SetError(kResErrTypeIndex);
    return 0;
  }
  return types[static_cast<size_t>(index - 1)];
}

// ---- Lookups ---------------------------------------------------------------

int16_t ChainResFile::CountResources(ResType type) {
  SetError(kResErrNone);
  int16_t total = 0;
  for (int16_t i = 0; i < CountFiles(); ++i) {
    iResFile* file = GetFile(i);
    const int16_t count = file->CountResources(type);
    if (file->Error() != kResErrNone) {
      SetError(file->Error());
      return 0;
    }
    total = static_cast<int16_t>(total + count);
  }
  return total;
}

MHandle ChainResFile::GetResource(ResType type, int16_t id, SwizzleProc swizzle) {
  return GetLangResource(type, id, 0, swizzle);
}

MHandle ChainResFile::GetLangResource(ResType type, int16_t id, uint8_t language, SwizzleProc swizzle) {
  SetError(kResErrNotFound);
  for (int16_t i = 0; i < CountFiles(); ++i) {
    iResFile* file = GetFile(i);
    MHandle handle = file->GetLangResource(type, id, language, swizzle);
    if (handle != nullptr) {
      SetError(kResErrNone);
      return handle;
    }
    SetError(file->Error());
  }
  return nullptr;
}

MHandle ChainResFile::GetNamedResource(ResType type, const StringBuffer& name, SwizzleProc swizzle) {
  SetError(kResErrNotFound);
  for (int16_t i = 0; i < CountFiles(); ++i) {
    iResFile* file = GetFile(i);
    MHandle handle = file->GetNamedResource(type, name, swizzle);
    if (handle != nullptr) {
      SetError(kResErrNone);
      return handle;
    }
    SetError(file->Error());
  }
  return nullptr;
}

MHandle ChainResFile::GetIndResource(ResType type, int16_t index, SwizzleProc swizzle) {
  SetError(kResErrNotFound);
  for (int16_t i = 0; i < CountFiles() && index >= 1; ++i) {
    iResFile* file = GetFile(i);
    const int16_t count = file->CountResources(type);
    if (file->Error() != kResErrNone) {
      SetError(file->Error());
      return nullptr;
    }
    if (index <= count) {
      MHandle handle = file->GetIndResource(type, index, swizzle);
      SetError(handle != nullptr ? kResErrNone : file->Error());
      return handle;
    }
    index = static_cast<int16_t>(index - count);
  }
  SetError(kResErrNotFound);
  return nullptr;
}

// ---- Handle queries --------------------------------------------------------
// Each asks the members in order until one recognises the handle.

void ChainResFile::GetResName(MHandle handle, StringBuffer* name) {
  SetError(kResErrNotOwned);
  for (int16_t i = 0; i < CountFiles(); ++i) {
    iResFile* file = GetFile(i);
    file->GetResName(handle, name);
    if (SetError(file->Error()) == kResErrNone) return;
  }
}

ResType ChainResFile::GetResType(MHandle handle) {
  SetError(kResErrNotOwned);
  ResType type = 0;
  for (int16_t i = 0; i < CountFiles(); ++i) {
    iResFile* file = GetFile(i);
    type = file->GetResType(handle);
    if (SetError(file->Error()) == kResErrNone) break;
  }
  return type;
}

void ChainResFile::GetResID(MHandle handle, int16_t* id) {
  SetError(kResErrNotOwned);
  for (int16_t i = 0; i < CountFiles(); ++i) {
    iResFile* file = GetFile(i);
    file->GetResID(handle, id);
    if (SetError(file->Error()) == kResErrNone) return;
  }
}

void ChainResFile::Reserved1(uint32_t value, int16_t* result) {
  SetError(kResErrNotOwned);
  for (int16_t i = 0; i < CountFiles(); ++i) {
    iResFile* file = GetFile(i);
    file->Reserved1(value, result);
    if (SetError(file->Error()) == kResErrNone) return;
  }
}

uint8_t ChainResFile::GetResLanguage(MHandle handle) {
  SetError(kResErrNotOwned);
  uint8_t language = 0;
  for (int16_t i = 0; i < CountFiles(); ++i) {
    iResFile* file = GetFile(i);
    language = file->GetResLanguage(handle);
    if (SetError(file->Error()) == kResErrNone) break;
  }
  return language;
}

void ChainResFile::DetachResource(MHandle handle) {
  SetError(kResErrNotOwned);
  for (int16_t i = 0; i < CountFiles(); ++i) {
    iResFile* file = GetFile(i);
    file->DetachResource(handle);
    if (SetError(file->Error()) == kResErrNone) return;
  }
}

void ChainResFile::SetResID(MHandle handle, int16_t id) {
  SetError(kResErrNotOwned);
  for (int16_t i = 0; i < CountFiles(); ++i) {
    iResFile* file = GetFile(i);
    file->SetResID(handle, id);
    if (SetError(file->Error()) == kResErrNone) return;
  }
}

bool ChainResFile::IsSwizzled(MHandle handle) {
  SetError(kResErrNotOwned);
  for (int16_t i = 0; i < CountFiles(); ++i) {
    iResFile* file = GetFile(i);
    const bool swizzled = file->IsSwizzled(handle);
    if (file->Error() == kResErrNone) {
      SetError(kResErrNone);
      return swizzled;
    }
  }
  return false;
}

void ChainResFile::MakeUniqueName(ResType type, StringBuffer* name) {
  SetError(kResErrNone);
  if (name->Length() == 0) name->Assign(kAnonymousName);
  for (int16_t i = 0; i < CountFiles(); ++i) GetFile(i)->MakeUniqueName(type, name);
}

int16_t ChainResFile::UniqueID(ResType type) {
  SetError(kResErrNone);
  iResFile* first = GetFile(0);
  return first != nullptr ? first->UniqueID(type) : 0;
}

void ChainResFile::Reserved2(MHandle /*handle*/) { SetError(kResErrUnsupported); }

// ---- Changes ---------------------------------------------------------------

void ChainResFile::AddResource(MHandle handle, ResType type, int16_t id, const StringBuffer& name, bool swizzled) {
  AddLangResource(handle, type, id, name, 0, swizzled);
}

void ChainResFile::AddLangResource(MHandle handle, ResType type, int16_t id, const StringBuffer& name, uint8_t language,
                                   bool swizzled) {
  SetError(kResErrNone);
  MHandle existing = GetLangResource(type, id, language, nullptr);
  if (existing != nullptr) {
    if (existing == handle) {
      // The caller hands back a resource it got from this chain: it becomes
      // the caller's, and the stored copy is what gets replaced.
      DetachResource(existing);
      if (Error() != kResErrNone) return;
      existing = GetLangResource(type, id, language, nullptr);
      if (existing == nullptr) return;
    }
    RemoveResource(existing);
    if (Error() != kResErrNone) return;
  }

  SetError(kResErrNoMemberTook);
  for (int16_t i = 0; i < CountFiles(); ++i) {
    iResFile* file = GetFile(i);
    if (!MemberAccepts(i, type)) {
      SetError(kResErrTypeRefused);
      continue;
    }
    if (!file->IsWritable()) continue;
    file->AddLangResource(handle, type, id, name, language, swizzled);
    SetError(file->Error());
    return;
  }
}

void ChainResFile::WriteResource(MHandle handle) {
  SetError(kResErrNotOwned);
  for (int16_t i = 0; i < CountFiles(); ++i) {
    iResFile* file = GetFile(i);
    if (!file->IsWritable()) continue;
    file->WriteResource(handle);
    if (SetError(file->Error()) == kResErrNone) return;
  }
}

void ChainResFile::RemoveResource(MHandle handle) {
  SetError(kResErrNotOwned);
  for (int16_t i = 0; i < CountFiles(); ++i) {
    iResFile* file = GetFile(i);
    if (!file->IsWritable()) continue;
    file->RemoveResource(handle);
    if (SetError(file->Error()) == kResErrNone) return;
  }
}

void ChainResFile::SetResInfo(MHandle handle, int16_t id, const StringBuffer& name, uint8_t language) {
  SetError(kResErrNotOwned);
  for (int16_t i = 0; i < CountFiles(); ++i) {
    iResFile* file = GetFile(i);
    if (!file->IsWritable()) continue;
    file->SetResInfo(handle, id, name, language);
    if (SetError(file->Error()) == kResErrNone) return;
  }
}

int16_t ChainResFile::CanWriteType(ResType type) {
  for (int16_t i = 0; i < CountFiles(); ++i) {
    if (MemberAccepts(i, type) && GetFile(i)->IsWritable()) return 1;
  }
  return 0;
}
