#include "msrc/File/ResolveResFile.h"

#include <algorithm>
#include <cctype>
#include <utility>

#include "filesystem/CTGString.h"
#include "filesystem/FileSystem.h"
#include "msrc/Util/XAssert.h"
#include "platform/HostEnv.h"
#include "platform/SortedFolderListing.h"

namespace {

constexpr const char* kSourcePath = "msrc/File/ResolveResFile";

char Lowered(char c) { return static_cast<char>(std::tolower(static_cast<unsigned char>(c))); }

std::string LowerCase(std::string_view text) {
  std::string lowered(text);
  std::transform(lowered.begin(), lowered.end(), lowered.begin(), Lowered);
  return lowered;
}

bool EndsWithNoCase(std::string_view text, std::string_view tail) {
  return text.size() >= tail.size() && LowerCase(text.substr(text.size() - tail.size())) == LowerCase(tail);
}

// A name a caller passes must stay inside the folder it is looked up in.
bool IsPlainName(std::string_view name) { return name.find_first_of("\\/:") == std::string_view::npos; }

}  // namespace

ResolveResFile::ResolveResFile() = default;

ResolveResFile::~ResolveResFile() {
  fSite.reset();
  std::vector<LoadedResource*> loaded;
  for (PtrList<LoadedResource>::Cursor cursor(&fLoaded); cursor.IsValid(); cursor.Next())
    loaded.push_back(cursor.Current());
  fLoaded.Clear();
  for (LoadedResource* pair : loaded) {
    DisposeMHandle(pair->fHandle);
    delete pair;
  }
}

// ---- Names and codes -------------------------------------------------------

ResType ResolveResFile::AlignType(ResType type) {
  if (type < 0x100) return type << 24;
  if (type <= 0xFFFF) return type << 16;
  if (type <= 0xFFFFFF) return type << 8;
  return type;
}

std::string ResolveResFile::TypeExtension(ResType alignedType) {
  if (alignedType == kAnyType) return ".*";
  std::string extension = ".";
  for (int shift = 24; shift >= 8; shift -= 8) {
    const char c = static_cast<char>((alignedType >> shift) & 0xFF);
    if (c == '\0') break;
    extension.push_back(c);
  }
  return extension;
}

ResType ResolveResFile::CodeOfFileName(std::string_view fileName) {
  const size_t dot = fileName.rfind('.');
  if (dot == std::string_view::npos) return 0;
  const std::string_view characters = fileName.substr(dot + 1);
  if (characters.empty() || characters.size() > 3) return 0;
  ResType code = 0;
  int shift = 24;
  for (const char c : characters) {
    code |= static_cast<ResType>(static_cast<unsigned char>(c)) << shift;
    shift -= 8;
  }
  return code;
}

int32_t ResolveResFile::ParseId(std::string_view text) {
  const bool negative = !text.empty() && text.front() == '-';
  if (negative) text.remove_prefix(1);
  if (text.empty() || text.size() > 10) return ResolveRecord::kNoId;
  int64_t value = 0;
  for (const char c : text) {
    if (c < '0' || c > '9') return ResolveRecord::kNoId;
    value = value * 10 + (c - '0');
  }
  if (negative) value = -value;
  if (value <= INT32_MIN || value > INT32_MAX) return ResolveRecord::kNoId;
  return static_cast<int32_t>(value);
}

void ResolveResFile::ParseEntryName(std::string_view fileName, std::string* name, int32_t* id) {
  std::string_view rest = fileName;
  *id = ResolveRecord::kNoId;
  if (!fileName.empty() && fileName.front() == '_') {
    const std::string_view afterFirst = fileName.substr(1);
    const size_t second = afterFirst.find('_');
    *id = ParseId(afterFirst.substr(0, second));
    rest = second == std::string_view::npos ? std::string_view() : afterFirst.substr(second + 1);
  }
  *name = LowerCase(rest);
  const size_t dot = name->rfind('.');
  if (dot != std::string::npos) name->erase(dot);
}

std::string ResolveResFile::FoundName(std::string_view fileName) {
  const size_t first = fileName.find('_');
  const size_t second = first == std::string_view::npos ? first : fileName.find('_', first + 1);
  if (second == std::string_view::npos) return {};
  const std::string_view rest = fileName.substr(second + 1);
  return std::string(rest.substr(0, rest.find('.')));
}

int32_t ResolveResFile::FoundId(std::string_view fileName) {
  const size_t first = fileName.find('_');
  if (first == std::string_view::npos) return ResolveRecord::kNoId;
  const std::string_view rest = fileName.substr(first + 1);
  return ParseId(rest.substr(0, rest.find('_')));
}

// ---- Site ------------------------------------------------------------------

bool ResolveResFile::CheckSite() {
  if (fSite != nullptr) return true;
  XASSERT(kSourcePath, __LINE__, "fSite", "no resolve site to thunk to");
  return false;
}

int32_t ResolveResFile::Create(const StringBuffer& /*path*/) { return SetError(kResErrUnsupported); }

int32_t ResolveResFile::Delete(const StringBuffer& /*path*/) { return SetError(kResErrUnsupported); }

int32_t ResolveResFile::Open(const StringBuffer& path) {
  if (fSite != nullptr) XASSERT(kSourcePath, __LINE__, "!fSite", "double opening");
  fSite = std::make_unique<ResolveSite>(path.Text());
  if (!fSite->Listable()) {
    fSite.reset();
    return SetError(kResErrAlreadyOpen);
  }
  return SetError(kResErrNone);
}

int32_t ResolveResFile::Suspend() { return SetError(kResErrNone); }

int32_t ResolveResFile::Resume() { return SetError(kResErrNone); }

int32_t ResolveResFile::Close() {
  CheckSite();
  fSite.reset();
  return SetError(kResErrNone);
}

void ResolveResFile::Flush() {
  CheckSite();
  SetError(kResErrUnsupported);
}

bool ResolveResFile::IsWritable() { return false; }

void ResolveResFile::GetPath(StringBuffer* path) {
  path->Clear();
  if (!CheckSite()) {
    SetError(kResErrNotOpen);
    return;
  }
  path->Assign(fSite->Folder(0).c_str());
  SetError(kResErrNone);
}

bool ResolveResFile::ValidFile() { return fSite != nullptr && fSite->Listable(); }

// ---- Types -----------------------------------------------------------------

std::vector<ResType> ResolveResFile::ListTypes() {
  std::vector<ResType> types;
  for (const std::string& folder : fSite->Folders()) {
    std::unique_ptr<platform::FolderListing> hostListing = platform::HostEnv::Current().ListFolder(folder);
    if (hostListing == nullptr) continue;
    // Types come in byte order of the first file name that has them, the
    // same on every host.
    platform::SortedFolderListing listing(*hostListing);
    platform::FolderEntry entry;
    while (listing.Next(&entry)) {
      if (entry.isFolder) continue;
      const ResType code = CodeOfFileName(entry.name);
      if (code != 0 && std::find(types.begin(), types.end(), code) == types.end()) types.push_back(code);
    }
  }
  if (types.empty()) {
    XASSERT(kSourcePath, __LINE__, "!err", "get types failed");
    SetError(kResErrNotFound);
  } else {
    SetError(kResErrNone);
  }
  return types;
}

int16_t ResolveResFile::CountTypes() {
  if (!CheckSite()) {
    SetError(kResErrNotOpen);
    return 0;
  }
  const size_t count = ListTypes().size();
  return static_cast<int16_t>(std::min<size_t>(count, INT16_MAX));
}

ResType ResolveResFile::GetIndType(int16_t index) {
  if (!CheckSite()) {
    SetError(kResErrNotOpen);
    return 0;
  }
  const std::vector<ResType> types = ListTypes();
  if (index < 1 || static_cast<size_t>(index) > types.size()) {
    SetError(kResErrFailed);
    return 0;
  }
  return types[static_cast<size_t>(index - 1)];
}

// ---- Entries catalogued by the file system layer ---------------------------

std::vector<ResolveResFile::Entry> ResolveResFile::CollectEntries(ResType alignedType) {
  const std::string extension = TypeExtension(alignedType);
  std::vector<Entry> entries;
  for (const std::string& folder : fSite->Folders()) {
    const FSFolderTable* table = gFileSystem.FolderEntries(CTGString(folder.c_str()));
    if (table == nullptr) continue;
    for (const auto& [key, catalogued] : *table) {
      if (catalogued.fIsFolder) continue;
      const std::string_view fileName(key.Text(), static_cast<size_t>(key.Length()));
      if (!EndsWithNoCase(fileName, extension)) continue;
      Entry entry;
      entry.fFolder = folder;
      ParseEntryName(fileName, &entry.fName, &entry.fId);
      const auto same = [&](const Entry& e) { return e.fName == entry.fName && e.fId == entry.fId; };
      if (std::none_of(entries.begin(), entries.end(), same)) entries.push_back(std::move(entry));
    }
  }
  return entries;
}

int16_t ResolveResFile::CountResources(ResType type) {
  if (!CheckSite()) {
    SetError(kResErrNotOpen);
    return 0;
  }
  const size_t count = CollectEntries(AlignType(type)).size();
  SetError(kResErrNone);
  return static_cast<int16_t>(std::min<size_t>(count, INT16_MAX));
}

// ---- Resolving and loading -------------------------------------------------

int32_t ResolveResFile::Search(const std::string& folder, const std::string& pattern, std::string* found) {
  std::unique_ptr<platform::FolderListing> listing = platform::HostEnv::Current().ListFolder(folder);
  if (listing == nullptr) return kResErrFailed;
  const CTGString wanted(pattern.c_str());
  std::string best;
  std::string bestKey;
  platform::FolderEntry entry;
  while (listing->Next(&entry)) {
    if (entry.isFolder || folder.size() + entry.name.size() > ResolveSite::kMaxPathLength) continue;
    if (entry.name.find('\0') != std::string::npos) continue;
    if (!FileSystem::MatchWildcard(CTGString(entry.name.c_str()), wanted, false)) continue;
    std::string key = LowerCase(entry.name);
    if (best.empty() || key < bestKey || (key == bestKey && entry.name < best)) {
      best = entry.name;
      bestKey = std::move(key);
    }
  }
  if (best.empty()) return kResErrNotFound;
  *found = std::move(best);
  return kResErrNone;
}

int32_t ResolveResFile::Resolve(const std::string& folder, ResType alignedType, const std::string* name, int32_t id,
                                std::unique_ptr<ResolveRecord>* record) {
  const std::string extension = TypeExtension(alignedType);
  std::string found;
  if (name != nullptr) {
    if (!IsPlainName(*name)) return kResErrNotFound;
    std::string path = folder;
    if (id != ResolveRecord::kNoId) path += "_" + std::to_string(id) + "_";
    path += *name + extension;
    if (path.size() <= ResolveSite::kMaxPathLength) {
      auto direct = std::make_unique<ResolveRecord>(alignedType, *name, id);
      if (direct->OpenStream(path)) {
        *record = std::move(direct);
        return kResErrNone;
      }
    }
    const int32_t searched = Search(folder, "_*_" + *name + extension, &found);
    if (searched != kResErrNone) return searched;
    auto matched = std::make_unique<ResolveRecord>(alignedType, *name, FoundId(found));
    if (!matched->OpenStream(folder + found)) return kResErrNotFound;
    *record = std::move(matched);
    return kResErrNone;
  }
  const int32_t searched = Search(folder, "_" + std::to_string(id) + "_*" + extension, &found);
  if (searched != kResErrNone) return searched;
  auto matched = std::make_unique<ResolveRecord>(alignedType, FoundName(found), id);
  if (!matched->OpenStream(folder + found)) return kResErrNotFound;
  *record = std::move(matched);
  return kResErrNone;
}

int32_t ResolveResFile::ResolveInSite(ResType alignedType, const std::string* name, int32_t id,
                                      std::unique_ptr<ResolveRecord>* record) {
  int32_t result = kResErrNotFound;
  for (const std::string& folder : fSite->Folders()) {
    const int32_t outcome = Resolve(folder, alignedType, name, id, record);
    if (outcome == kResErrNone) return kResErrNone;
    if (outcome != kResErrNotFound) result = outcome;
  }
  return result;
}

MHandle ResolveResFile::Load(std::unique_ptr<ResolveRecord> record, SwizzleProc swizzle) {
  // A list that cannot count one more handle could not find it again.
  if (fLoaded.Count() >= PtrList<LoadedResource>::kMaxCount) {
    SetError(kMHandleErrNoMemory);
    return nullptr;
  }
  const int32_t size = record->Size();
  MHandle handle = NewMHandle(size);
  if (handle == nullptr) {
    SetError(kMHandleErrNoMemory);
    return nullptr;
  }
  if (size > 0) {
    void* bytes = LockMHandle(handle);
    const bool read = record->ReadAll(bytes);
    if (read && swizzle != nullptr) swizzle(bytes, size);
    UnlockMHandle(handle);
    if (!read) {
      DisposeMHandle(handle);
      SetError(kResErrFailed);
      return nullptr;
    }
  }
  auto* pair = new LoadedResource{std::move(record), handle};
  fLoaded.Add(pair);
  SetError(kResErrNone);
  return handle;
}

MHandle ResolveResFile::GetResource(ResType type, int16_t id, SwizzleProc swizzle) {
  if (!CheckSite()) {
    SetError(kResErrNotOpen);
    return nullptr;
  }
  const ResType aligned = AlignType(type);
  for (PtrList<LoadedResource>::Cursor cursor(&fLoaded); cursor.IsValid(); cursor.Next()) {
    const ResolveRecord& record = *cursor.Current()->fRecord;
    if (record.Id() == id && record.Type() == aligned) {
      SetError(kResErrNone);
      return cursor.Current()->fHandle;
    }
  }
  std::unique_ptr<ResolveRecord> record;
  const int32_t outcome = ResolveInSite(aligned, nullptr, id, &record);
  if (outcome != kResErrNone) {
    SetError(outcome);
    return nullptr;
  }
  return Load(std::move(record), swizzle);
}

MHandle ResolveResFile::GetNamedResource(ResType type, const StringBuffer& name, SwizzleProc swizzle) {
  if (!CheckSite()) {
    SetError(kResErrNotOpen);
    return nullptr;
  }
  const ResType aligned = AlignType(type);
  const std::string wanted = name.Text();
  for (PtrList<LoadedResource>::Cursor cursor(&fLoaded); cursor.IsValid(); cursor.Next()) {
    const ResolveRecord& record = *cursor.Current()->fRecord;
    if (record.Name() == wanted && record.Type() == aligned) {
      SetError(kResErrNone);
      return cursor.Current()->fHandle;
    }
  }
  std::unique_ptr<ResolveRecord> record;
  const int32_t outcome = ResolveInSite(aligned, &wanted, ResolveRecord::kNoId, &record);
  if (outcome != kResErrNone) {
    SetError(outcome);
    return nullptr;
  }
  return Load(std::move(record), swizzle);
}

MHandle ResolveResFile::GetIndResource(ResType type, int16_t index, SwizzleProc swizzle) {
  if (!CheckSite()) {
    SetError(kResErrNotOpen);
    return nullptr;
  }
  const ResType aligned = AlignType(type);
  const std::vector<Entry> entries = CollectEntries(aligned);
  if (index < 1 || static_cast<size_t>(index) > entries.size()) {
    SetError(kResErrFailed);
    return nullptr;
  }
  const Entry& entry = entries[static_cast<size_t>(index - 1)];
  std::unique_ptr<ResolveRecord> record;
  const int32_t outcome = Resolve(entry.fFolder, aligned, &entry.fName, entry.fId, &record);
  if (outcome != kResErrNone) {
    SetError(outcome);
    return nullptr;
  }
  return Load(std::move(record), swizzle);
}

// ---- Handles ---------------------------------------------------------------

ResolveResFile::LoadedResource* ResolveResFile::FindLoaded(MHandle handle) const {
  if (handle == nullptr) return nullptr;
  for (PtrList<LoadedResource>::Cursor cursor(&fLoaded); cursor.IsValid(); cursor.Next()) {
    if (cursor.Current()->fHandle == handle) return cursor.Current();
  }
  return nullptr;
}

ResolveResFile::LoadedResource* ResolveResFile::Member(MHandle handle) {
  CheckSite();
  LoadedResource* pair = FindLoaded(handle);
  if (pair == nullptr) {
    XASSERT(kSourcePath, __LINE__, "corr", "non-member handle");
    SetError(kResErrNotOwned);
    return nullptr;
  }
  SetError(kResErrNone);
  return pair;
}

void ResolveResFile::GetResName(MHandle handle, StringBuffer* name) {
  name->Clear();
  const LoadedResource* pair = Member(handle);
  if (pair == nullptr) return;
  // Names come from the disk: cut quietly to what the caller has room for.
  const std::string& text = pair->fRecord->Name();
  const auto room = static_cast<size_t>(std::max(name->Capacity() - 1, 0));
  name->Append(text.c_str(), static_cast<int32_t>(std::min(text.size(), room)));
}

ResType ResolveResFile::GetResType(MHandle handle) {
  const LoadedResource* pair = Member(handle);
  return pair != nullptr ? pair->fRecord->Type() : 0;
}

void ResolveResFile::GetResID(MHandle handle, int16_t* id) {
  *id = 0;
  const LoadedResource* pair = Member(handle);
  if (pair == nullptr) return;
  const int32_t theid = pair->fRecord->Id();
  if (!(theid >= 0 && theid < 32767)) XASSERT(kSourcePath, __LINE__, "theid>=0 && theid<32767", "id out of range");
  *id = static_cast<int16_t>(theid);
}

void ResolveResFile::DetachResource(MHandle handle) {
  CheckSite();
  LoadedResource* pair = FindLoaded(handle);
  if (pair == nullptr) {
    SetError(kResErrNotOwned);
    return;
  }
  fLoaded.Remove(pair);
  delete pair;
  SetError(kResErrNone);
}

bool ResolveResFile::IsSwizzled(MHandle /*handle*/) {
  SetError(kResErrNone);
  return true;
}

int16_t ResolveResFile::OwnsHandle(MHandle handle) {
  CheckSite();
  SetError(kResErrNone);
  return FindLoaded(handle) != nullptr ? 1 : 0;
}

// ---- Unsupported -----------------------------------------------------------

void ResolveResFile::Reserved1(uint32_t /*value*/, int16_t* /*result*/) {
  CheckSite();
  SetError(kResErrUnsupported);
}

void ResolveResFile::MakeUniqueName(ResType /*type*/, StringBuffer* /*name*/) {
  CheckSite();
  SetError(kResErrUnsupported);
}

int16_t ResolveResFile::UniqueID(ResType /*type*/) {
  CheckSite();
  SetError(kResErrUnsupported);
  return 0;
}

void ResolveResFile::Reserved2(MHandle /*handle*/) {
  CheckSite();
  SetError(kResErrUnsupported);
}

void ResolveResFile::AddResource(MHandle /*handle*/, ResType /*type*/, int16_t /*id*/, const StringBuffer& /*name*/,
                                 bool /*swizzled*/) {
  CheckSite();
  SetError(kResErrUnsupported);
}

void ResolveResFile::WriteResource(MHandle /*handle*/) {
  CheckSite();
  SetError(kResErrUnsupported);
}

void ResolveResFile::RemoveResource(MHandle /*handle*/) {
  CheckSite();
  SetError(kResErrUnsupported);
}

void ResolveResFile::SetResInfo(MHandle /*handle*/, int16_t /*id*/, const StringBuffer& /*name*/,
                                uint8_t /*language*/) {
  CheckSite();
  SetError(kResErrUnsupported);
}
