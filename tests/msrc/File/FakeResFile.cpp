#include "tests/msrc/File/FakeResFile.h"

#include <algorithm>
#include <cstring>

FakeResFile::FakeResFile() = default;

FakeResFile::~FakeResFile() {
  if (fOpen) Close();
}

void FakeResFile::Store(ResType type, int16_t id, const std::string& bytes, bool swizzled, const char* name) {
  Entry entry;
  entry.type = type;
  entry.id = id;
  entry.name.Assign(name);
  entry.stored = bytes;
  entry.storedSwizzled = swizzled;
  entry.swizzled = swizzled;
  entry.written = true;
  fEntries.push_back(entry);
}

FakeResFile::Entry* FakeResFile::Find(ResType type, int16_t id) {
  for (Entry& entry : fEntries) {
    if (entry.type == type && entry.id == id) return &entry;
  }
  return nullptr;
}

FakeResFile::Entry* FakeResFile::Owner(MHandle handle) {
  if (handle == nullptr) return nullptr;
  for (Entry& entry : fEntries) {
    if (entry.handle == handle) return &entry;
  }
  return nullptr;
}

MHandle FakeResFile::Load(Entry* entry, SwizzleProc swizzle) {
  if (entry->handle == nullptr) {
    const auto size = static_cast<int32_t>(entry->stored.size());
    entry->handle = NewMHandle(size);
    if (entry->handle == nullptr) {
      SetError(MHandleError());
      return nullptr;
    }
    void* bytes = LockMHandle(entry->handle);
    if (size > 0) std::memcpy(bytes, entry->stored.data(), entry->stored.size());
    entry->swizzled = entry->storedSwizzled;
    if (swizzle != nullptr && !entry->swizzled) {
      swizzle(bytes, size);
      entry->swizzled = true;
    }
    UnlockMHandle(entry->handle);
  }
  SetError(kResErrNone);
  return entry->handle;
}

void FakeResFile::Store(Entry* entry) {
  const int32_t size = GetMHandleSize(entry->handle);
  const void* bytes = LockMHandle(entry->handle);
  entry->stored.assign(size > 0 ? static_cast<const char*>(bytes) : "", static_cast<size_t>(size));
  UnlockMHandle(entry->handle);
  entry->storedSwizzled = entry->swizzled;
  entry->written = true;
}

bool FakeResFile::Named(ResType type, const StringBuffer& name) {
  return std::any_of(fEntries.begin(), fEntries.end(),
                     [&](const Entry& e) { return e.type == type && e.name.CompareNoCase(name) == 0; });
}

int32_t FakeResFile::Create(const StringBuffer& path) { return Open(path); }

int32_t FakeResFile::Delete(const StringBuffer& /*path*/) { return SetError(fOpen ? kResErrAlreadyOpen : 0); }

int32_t FakeResFile::Open(const StringBuffer& path) {
  if (fOpen) return SetError(kResErrAlreadyOpen);
  fPath.Assign(path);
  fOpen = true;
  return SetError(kResErrNone);
}

int32_t FakeResFile::Suspend() { return SetError(kResErrCannotSuspend); }

int32_t FakeResFile::Resume() { return SetError(kResErrCannotSuspend); }

int32_t FakeResFile::Close() {
  if (!fOpen) return SetError(kResErrNotOpen);
  Flush();
  for (Entry& entry : fEntries) {
    if (entry.handle != nullptr) DisposeMHandle(entry.handle);
    entry.handle = nullptr;
  }
  fOpen = false;
  return SetError(kResErrNone);
}

void FakeResFile::Flush() {
  for (Entry& entry : fEntries) {
    if (!entry.written && entry.handle != nullptr) Store(&entry);
  }
  SetError(kResErrNone);
}

bool FakeResFile::IsWritable() { return fOpen && fWritable; }

void FakeResFile::GetPath(StringBuffer* path) { path->Assign(fPath); }

bool FakeResFile::ValidFile() { return fOpen; }

int16_t FakeResFile::CountTypes() {
  if (SetError(fFailCounts) != kResErrNone) return 0;
  std::vector<ResType> types;
  for (const Entry& e : fEntries) {
    if (std::find(types.begin(), types.end(), e.type) == types.end()) types.push_back(e.type);
  }
  return static_cast<int16_t>(types.size());
}

ResType FakeResFile::GetIndType(int16_t index) {
  std::vector<ResType> types;
  for (const Entry& e : fEntries) {
    if (std::find(types.begin(), types.end(), e.type) == types.end()) types.push_back(e.type);
  }
  if (index < 1 || index > static_cast<int16_t>(types.size())) {
    SetError(kResErrTypeIndex);
    return 0;
  }
  SetError(kResErrNone);
  return types[static_cast<size_t>(index - 1)];
}

int16_t FakeResFile::CountResources(ResType type) {
  if (SetError(fFailCounts) != kResErrNone) return 0;
  const auto matches = [&](const Entry& e) { return e.type == type; };
  return static_cast<int16_t>(std::count_if(fEntries.begin(), fEntries.end(), matches));
}

MHandle FakeResFile::GetResource(ResType type, int16_t id, SwizzleProc swizzle) {
  ++fLookups;
  if (!fOpen) {
    SetError(kResErrNotOpen);
    return nullptr;
  }
  Entry* entry = Find(type, id);
  if (entry == nullptr) {
    SetError(kResErrNotFound);
    return nullptr;
  }
  return Load(entry, swizzle);
}

MHandle FakeResFile::GetNamedResource(ResType type, const StringBuffer& name, SwizzleProc swizzle) {
  for (Entry& entry : fEntries) {
    if (entry.type == type && entry.name.CompareNoCase(name) == 0) return Load(&entry, swizzle);
  }
  SetError(kResErrNotOwned);
  return nullptr;
}

MHandle FakeResFile::GetIndResource(ResType type, int16_t index, SwizzleProc swizzle) {
  int16_t seen = 0;
  for (Entry& entry : fEntries) {
    if (entry.type == type && ++seen == index) return Load(&entry, swizzle);
  }
  SetError(kResErrNotFound);
  return nullptr;
}

void FakeResFile::GetResName(MHandle handle, StringBuffer* name) {
  Entry* entry = Owner(handle);
  if (entry == nullptr) {
    SetError(kResErrNotFound);
    return;
  }
  name->Assign(entry->name);
  SetError(kResErrNone);
}

ResType FakeResFile::GetResType(MHandle handle) {
  Entry* entry = Owner(handle);
  SetError(entry != nullptr ? kResErrNone : kResErrNotFound);
  return entry != nullptr ? entry->type : 0;
}

void FakeResFile::GetResID(MHandle handle, int16_t* id) {
  Entry* entry = Owner(handle);
  if (entry == nullptr) {
    SetError(kResErrNotFound);
    return;
  }
  *id = entry->id;
  SetError(kResErrNone);
}

void FakeResFile::Reserved1(uint32_t /*value*/, int16_t* /*result*/) { SetError(kResErrUnsupported); }

void FakeResFile::MakeUniqueName(ResType type, StringBuffer* name) {
  const FixedStringBuffer<64> stem(*name);
  for (int32_t n = 0; Named(type, *name); ++n) {
    name->Assign(stem);
    name->AppendNumber(n);
  }
  SetError(kResErrNone);
}

int16_t FakeResFile::UniqueID(ResType type) {
  int16_t largest = 128;
  for (const Entry& e : fEntries) {
    if (e.type == type && e.id > largest) largest = e.id;
  }
  SetError(kResErrNone);
  return static_cast<int16_t>(largest + 1);
}

void FakeResFile::DetachResource(MHandle handle) {
  Entry* entry = Owner(handle);
  if (entry == nullptr) {
    SetError(kResErrNotOwned);
    return;
  }
  if (!entry->written) Store(entry);
  entry->handle = nullptr;
  entry->swizzled = entry->storedSwizzled;
  SetError(kResErrNone);
}

void FakeResFile::Reserved2(MHandle /*handle*/) { SetError(kResErrUnsupported); }

bool FakeResFile::IsSwizzled(MHandle handle) {
  Entry* entry = Owner(handle);
  SetError(entry != nullptr ? kResErrNone : kResErrNotOwned);
  return entry == nullptr || entry->swizzled;
}

void FakeResFile::AddResource(MHandle handle, ResType type, int16_t id, const StringBuffer& name, bool swizzled) {
  ++fAddResourceCalls;
  fLastAddedName.Assign(name);
  fLastAddedSwizzled = swizzled;
  if (!IsWritable()) {
    SetError(kResErrNotWritable);
    return;
  }
  if (Entry* old = Find(type, id); old != nullptr) {
    if (old->handle != nullptr) DisposeMHandle(old->handle);
    fEntries.erase(fEntries.begin() + (old - fEntries.data()));
  }
  Entry entry;
  entry.type = type;
  entry.id = id;
  entry.name.Assign(name);
  entry.handle = handle;
  entry.swizzled = swizzled;
  fEntries.push_back(entry);
  SetError(kResErrNone);
}

void FakeResFile::WriteResource(MHandle handle) {
  if (!IsWritable()) {
    SetError(kResErrNotWritable);
    return;
  }
  Entry* entry = Owner(handle);
  if (entry == nullptr) {
    SetError(kResErrNotOwned);
    return;
  }
  if (fFailWrite != 0) {
    SetError(fFailWrite);
    fFailWrite = 0;
    return;
  }
  Store(entry);
  SetError(kResErrNone);
}

void FakeResFile::RemoveResource(MHandle handle) {
  if (!IsWritable()) {
    SetError(kResErrNotWritable);
    return;
  }
  Entry* entry = Owner(handle);
  if (entry == nullptr) {
    SetError(kResErrNotOwned);
    return;
  }
  DisposeMHandle(entry->handle);
  fEntries.erase(fEntries.begin() + (entry - fEntries.data()));
  SetError(kResErrNone);
}

void FakeResFile::SetResInfo(MHandle handle, int16_t id, const StringBuffer& name, uint8_t language) {
  ++fSetResInfoCalls;
  Entry* entry = Owner(handle);
  if (entry == nullptr) {
    SetError(kResErrNotOwned);
    return;
  }
  if (language != 0) {
    SetError(kResErrNoLanguages);
    return;
  }
  entry->id = id;
  entry->name.Assign(name);
  SetError(kResErrNone);
}
