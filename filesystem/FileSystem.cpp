#include "filesystem/FileSystem.h"

#include <algorithm>
#include <limits>
#include <string_view>
#include <utility>

#include "filesystem/FarDirectoryReader.h"
#include "platform/HostEnv.h"

FileSystem gFileSystem;

namespace {

std::string_view View(const CTGString& text) {
  return std::string_view(text.Text(), static_cast<size_t>(text.Length()));
}

char Lowered(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c + ('a' - 'A')) : c; }

// Names that must never become folders when they turn up as folder parts of a
// member's path ("..\\x.iff", ".\\x.iff", "\\x.iff"): a walk over the
// catalogue would come back into the folder it is in, or climb out of it.
bool IsDotName(const CTGString& name) {
  return name.IsEmpty() || name == CTGString(".") || name == CTGString("..");
}

// Standard "*"/"?" matching with backtracking to the last "*", linear in the
// common case and at worst the product of the lengths.
bool MatchPattern(std::string_view name, std::string_view pattern) {
  size_t n = 0;
  size_t p = 0;
  size_t star = std::string_view::npos;
  size_t resume = 0;
  while (n < name.size()) {
    if (p < pattern.size() && pattern[p] == '*') {
      star = p++;
      resume = n;
    } else if (p < pattern.size() && (pattern[p] == '?' || pattern[p] == name[n])) {
      ++p;
      ++n;
    } else if (star != std::string_view::npos) {
      p = star + 1;
      n = ++resume;
    } else {
      return false;
    }
  }
  while (p < pattern.size() && pattern[p] == '*') ++p;
  return p == pattern.size();
}

}  // namespace

FileSystem::FileSystem() = default;

FileSystem::~FileSystem() { CloseArchives(); }

CTGString FileSystem::NormalizePath(const CTGString& path) {
  CTGString normal(path);
  normal.Replace('/', '\\');
  normal.MakeLower();
  return normal;
}

void FileSystem::SplitFolderName(const CTGString& path, CTGString* folder, CTGString* name) {
  // The copy is taken as a zero-terminated text of at most kMaxPathLength.
  const char* text = path.Text();
  int32_t length = 0;
  while (length < kMaxPathLength && text[length] != '\0') ++length;
  CTGString copy(text, length);
  copy.MakeLower();
  copy.Replace('/', '\\');
  const int32_t last = copy.ReverseFind('\\');
  if (folder != nullptr) *folder = last < 0 ? CTGString() : copy.Left(last + 1);
  if (name != nullptr) *name = last < 0 ? copy : copy.Mid(last + 1);
}

bool FileSystem::IsArchiveName(const CTGString& name) {
  const int32_t length = name.Length();
  return length >= 3 && Lowered(name[length - 3]) == 'f' && Lowered(name[length - 2]) == 'a' &&
         Lowered(name[length - 1]) == 'r';
}

bool FileSystem::MatchWildcard(const CTGString& name, const CTGString& pattern, bool caseSensitive) {
  // Both are taken as zero-terminated texts.
  std::string lowName(name.Text());
  std::string lowPattern(pattern.Text());
  if (!caseSensitive) {
    // The texts are lowered in 512-character buffers; longer ones cannot be.
    if (lowName.size() > kMaxWildcardLength || lowPattern.size() > kMaxWildcardLength) return false;
    std::transform(lowName.begin(), lowName.end(), lowName.begin(), Lowered);
    std::transform(lowPattern.begin(), lowPattern.end(), lowPattern.begin(), Lowered);
  }
  // A "*" that is not the pattern's last character only stands for runs that
  // end before the name does, so a closing run of two or more "*" needs at
  // least one character: it matches exactly what "?*" does.
  const size_t kept = lowPattern.find_last_not_of('*') + 1;
  if (lowPattern.size() - kept >= 2) lowPattern.replace(kept, std::string::npos, "?*");
  return MatchPattern(lowName, lowPattern);
}

bool FileSystem::Mount(const CTGString& folder, bool recursive, bool withArchives) {
  CTGString key = NormalizePath(folder);
  if (key.IsEmpty()) return true;
  if (key[key.Length() - 1] != '\\') key.Append('\\');
  std::vector<platform::FolderId> inside;
  MountFolder(key, recursive, withArchives, &inside);
  return true;
}

void FileSystem::MountFolder(const CTGString& folder, bool recursive, bool withArchives,
                             std::vector<platform::FolderId>* inside) {
  std::unique_ptr<platform::FolderListing> listing = platform::HostEnv::Current().ListFolder(View(folder));
  if (listing == nullptr) return;
  const platform::FolderId identity = listing->Identity();
  if (std::find(inside->begin(), inside->end(), identity) != inside->end()) return;
  inside->push_back(identity);
  fFolderIds[folder] = identity;
  // Map references stay valid while other folders are added below.
  FSFolderTable& table = fCatalogue[folder];
  platform::FolderEntry listed;
  while (listing->Next(&listed)) {
    CTGString name(listed.name.data(), static_cast<int32_t>(listed.name.size()));
    name.MakeLower();
    const bool isFolder = listed.isFolder;
    if (!isFolder && IsArchiveName(name)) {
      if (withArchives) MountArchive(folder + name);
      continue;
    }
    // A disk entry replaces whatever an archive put under its name.
    FSEntry& entry = table[name];
    entry = FSEntry();
    entry.fName = name;
    entry.fIsFolder = isFolder;
    entry.SetWritableFromListing(std::move(listed));
    listed = platform::FolderEntry();
    if (isFolder && recursive) {
      CTGString sub = folder + name;
      sub.Append('\\');
      MountFolder(sub, recursive, withArchives, inside);
    }
  }
  inside->pop_back();
}

bool FileSystem::MountArchive(const CTGString& archivePath) {
  const CTGString path = NormalizePath(archivePath);
  // Members already catalogued borrow the open handle: never replace it.
  if (fArchives.count(path) != 0) return false;
  platform::FileOpenOptions options;
  options.access = platform::kAccessRead;
  options.share = platform::kShareRead;
  options.disposition = platform::FileDisposition::kOpenExisting;
  options.randomAccess = true;
  std::unique_ptr<platform::HostFile> opened = platform::HostEnv::Current().OpenFile(View(path), options);
  if (opened == nullptr) {
    const CTGString message = CTGString::Format("Couldn't Open file '%s' for mapping.", path.Text());
    platform::HostEnv::Current().DebugOutput(View(message));
    return false;
  }
  platform::HostFile* archive = opened.get();
  fArchives.emplace(path, std::move(opened));

  // Only the first 2 GiB of an archive can be addressed.
  const int64_t hostSize = archive->Size();
  const int32_t size = static_cast<int32_t>(std::clamp<int64_t>(hostSize, 0, std::numeric_limits<int32_t>::max()));
  FSFile reader(this, path, archive, nullptr, 0, size, false, false);
  FarDirectoryReader directory(&reader);
  if (!directory.Start()) return false;

  const CTGString archiveFolder = path.Left(path.ReverseFind('\\') + 1);
  FarMember member;
  for (int32_t i = 0; i < directory.Count(); ++i) {
    if (!directory.Next(&member)) return false;
    CTGString memberFolder;
    CTGString memberName;
    SplitFolderName(archiveFolder + member.name, &memberFolder, &memberName);
    // A name ending in a separator names no file.
    if (memberName.IsEmpty()) continue;
    // The first entry catalogued under a path keeps it.
    FSFolderTable& table = fCatalogue[memberFolder];
    auto [slot, added] = table.try_emplace(memberName);
    if (!added) continue;
    FSEntry& entry = slot->second;
    entry.fName = path;
    entry.fHandle = archive;
    entry.fOffset = member.dataOffset;
    entry.fSize = member.length;
    entry.fInArchive = true;
    entry.SetWritable(false);
    RegisterMemberFolders(memberFolder);
  }
  return true;
}

void FileSystem::RegisterMemberFolders(const CTGString& folder) {
  // Climbs only as far as the catalogue already reaches; every step is shorter.
  CTGString current = folder;
  while (!current.IsEmpty()) {
    CTGString parent;
    CTGString child;
    SplitFolderName(current.Left(current.Length() - 1), &parent, &child);
    if (parent.IsEmpty()) return;
    const auto found = fCatalogue.find(parent);
    if (found == fCatalogue.end()) return;
    if (!IsDotName(child)) {
      auto [slot, added] = found->second.try_emplace(child);
      if (added) {
        slot->second.fName = child;
        slot->second.fIsFolder = true;
        slot->second.SetWritable(true);
      }
    }
    current = parent;
  }
}

bool FileSystem::IsFolder(const CTGString& path) const { return fCatalogue.count(NormalizePath(path)) != 0; }

bool FileSystem::Lookup(const CTGString& path, FSEntry** entry) {
  CTGString folder;
  CTGString name;
  SplitFolderName(path, &folder, &name);
  const auto table = fCatalogue.find(folder);
  if (table == fCatalogue.end()) return false;
  const auto found = table->second.find(name);
  if (found == table->second.end()) return false;
  if (entry != nullptr) *entry = &found->second;
  return true;
}

FSFolderTable* FileSystem::FolderEntries(const CTGString& folder) {
  const auto found = fCatalogue.find(NormalizePath(folder));
  return found == fCatalogue.end() ? nullptr : &found->second;
}

bool FileSystem::FindFirst(const CTGString& patternPath, FSFind* find) {
  find->fTable = nullptr;
  find->fEntry = nullptr;
  CTGString folder;
  CTGString pattern;
  SplitFolderName(patternPath, &folder, &pattern);
  if (folder.IsEmpty()) return false;
  const auto table = fCatalogue.find(folder);
  if (table == fCatalogue.end()) return false;
  find->fFolder = folder;
  find->fPattern = pattern;
  find->fTable = &table->second;
  find->fCursor = table->second.begin();
  return SettleOnMatch(find);
}

bool FileSystem::FindNext(FSFind* find) {
  if (find->fTable == nullptr || find->fCursor == find->fTable->end()) return false;
  ++find->fCursor;
  return SettleOnMatch(find);
}

bool FileSystem::SettleOnMatch(FSFind* find) {
  for (; find->fCursor != find->fTable->end(); ++find->fCursor) {
    if (MatchWildcard(find->fCursor->first, find->fPattern, false)) {
      find->fName = find->fCursor->first;
      find->fIsFolder = find->fCursor->second.fIsFolder;
      find->fEntry = &find->fCursor->second;
      return true;
    }
  }
  find->fEntry = nullptr;
  return false;
}

FSFile* FileSystem::Open(const CTGString& path, bool forWriting) {
  const CTGString normal = NormalizePath(path);
  FSEntry* entry = nullptr;
  if (Lookup(normal, &entry) && entry->fInArchive) {
    if (forWriting) return nullptr;
    return new FSFile(this, normal, entry->fHandle, nullptr, entry->fOffset, entry->fSize, true, false);
  }
  platform::FileOpenOptions options;
  options.access = forWriting ? (platform::kAccessRead | platform::kAccessWrite) : platform::kAccessRead;
  options.share = platform::kShareRead;
  options.disposition = platform::FileDisposition::kOpenExisting;
  options.randomAccess = !forWriting;
  std::unique_ptr<platform::HostFile> opened = platform::HostEnv::Current().OpenFile(View(path), options);
  if (opened == nullptr) return nullptr;
  // A file this layer cannot measure or address in full is not opened, so
  // that nothing here can cut it short.
  const int64_t size = opened->Size();
  if (size < 0 || size > std::numeric_limits<int32_t>::max()) return nullptr;
  platform::HostFile* handle = opened.get();
  return new FSFile(this, normal, handle, std::move(opened), 0, static_cast<int32_t>(size), false, forWriting);
}

void FileSystem::Close(FSFile* file) { delete file; }

bool FileSystem::Create(const CTGString& path) {
  if (Lookup(path)) return false;
  platform::FileOpenOptions options;
  options.access = platform::kAccessWrite;
  options.share = platform::kShareRead;
  options.disposition = platform::FileDisposition::kCreateAlways;
  if (platform::HostEnv::Current().OpenFile(View(path), options) == nullptr) return false;
  CTGString folder;
  CTGString name;
  SplitFolderName(path, &folder, &name);
  const auto table = fCatalogue.find(folder);
  if (table != fCatalogue.end()) {
    FSEntry& entry = table->second[name];
    entry.fName = name;
    entry.SetWritable(true);
  }
  return true;
}

bool FileSystem::Delete(const CTGString& path) {
  FSEntry* entry = nullptr;
  if (Lookup(path, &entry)) {
    if (entry->fInArchive) return false;
    CTGString folder;
    CTGString name;
    SplitFolderName(path, &folder, &name);
    fCatalogue[folder].erase(name);
  }
  return platform::HostEnv::Current().RemoveFile(View(path));
}

FSFile* FileSystem::OpenReplacement(const FSFile& file) {
  if (file.InArchive() || !file.IsWritable()) {
    platform::SetLastHostFailure(platform::HostFailure::kReadOnly);
    return nullptr;
  }
  const CTGString name = file.Name() + CTGString(kReplacementSuffix);
  platform::FileOpenOptions options;
  options.access = platform::kAccessRead | platform::kAccessWrite;
  options.share = platform::kShareNone;
  options.disposition = platform::FileDisposition::kCreateAlways;
  std::unique_ptr<platform::HostFile> opened = platform::HostEnv::Current().OpenFile(View(name), options);
  if (opened == nullptr) return nullptr;
  platform::HostFile* handle = opened.get();
  return new FSFile(this, name, handle, std::move(opened), 0, 0, false, true);
}

bool FileSystem::Replace(FSFile* file, FSFile* replacement) {
  if (!platform::HostEnv::Current().ReplaceFile(View(file->Name()), View(replacement->Name()))) return false;
  file->TakeHandleOf(replacement);
  delete replacement;
  return true;
}

void FileSystem::Discard(FSFile* replacement) {
  if (replacement == nullptr) return;
  const CTGString name = replacement->Name();
  delete replacement;
  platform::HostEnv::Current().RemoveFile(View(name));
}

bool FileSystem::Exists(const CTGString& path) {
  if (Lookup(path)) return true;
  platform::FileOpenOptions options;
  options.access = platform::kAccessRead;
  options.share = platform::kShareRead | platform::kShareWrite;
  options.disposition = platform::FileDisposition::kOpenExisting;
  return platform::HostEnv::Current().OpenFile(View(path), options) != nullptr;
}

void FileSystem::CloseArchives() {
  fArchives.clear();
  fCatalogue.clear();
  fFolderIds.clear();
}

bool FileSystem::MountedIdentity(const CTGString& folder, platform::FolderId* id) const {
  const auto found = fFolderIds.find(NormalizePath(folder));
  if (found == fFolderIds.end()) return false;
  if (id != nullptr) *id = found->second;
  return true;
}
