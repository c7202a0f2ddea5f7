#include "filesystem/FileSystem.h"

#include <algorithm>
#include <limits>
#include <set>
#include <string_view>
#include <utility>

#include "filesystem/FarDirectoryReader.h"
#include "platform/HostEnv.h"
#include "platform/SortedFolderListing.h"

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

bool FileSystem::SplitFolderName(const CTGString& path, CTGString* folder, CTGString* name) {
  // The copy is taken as a zero-terminated text of at most kMaxPathLength.
  const char* text = path.Text();
  int32_t length = 0;
  while (length < kMaxPathLength && text[length] != '\0') ++length;
  const bool whole = length == path.Length();
  CTGString copy(text, length);
  copy.MakeLower();
  copy.Replace('/', '\\');
  const int32_t last = copy.ReverseFind('\\');
  if (folder != nullptr) *folder = last < 0 ? CTGString() : copy.Left(last + 1);
  if (name != nullptr) *name = last < 0 ? copy : copy.Mid(last + 1);
  return whole;
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
  std::set<platform::FolderId> walked;
  MountFolder(key, nullptr, {}, recursive, withArchives, &walked);
  return true;
}

void FileSystem::MountFolder(const CTGString& folder, const platform::FolderListing* parent, std::string_view spelling,
                             bool recursive, bool withArchives, std::set<platform::FolderId>* walked) {
  // Nothing in a folder whose key is this long could be looked up exactly.
  if (folder.Length() >= kMaxPathLength) return;
  platform::HostEnv& host = platform::HostEnv::Current();
  std::unique_ptr<platform::FolderListing> listing =
      parent != nullptr && !spelling.empty() ? host.ListSubfolder(*parent, spelling, View(folder))
                                             : host.ListFolder(View(folder));
  if (listing == nullptr || !CatalogueListing(folder, *listing, withArchives, walked) || !recursive) return;
  // Subfolders are reached through this folder's open listing, by the
  // spelling it listed them under.
  FSFolderTable& table = fCatalogue[folder];
  std::vector<std::pair<CTGString, std::string>> subfolders;
  for (const auto& [name, entry] : table) {
    if (entry.fIsFolder && !entry.fInArchive && !entry.ListedName().empty()) {
      subfolders.emplace_back(name, std::string(entry.ListedName()));
    }
  }
  for (const auto& [name, onDisk] : subfolders) {
    CTGString sub = folder + name;
    sub.Append('\\');
    MountFolder(sub, listing.get(), onDisk, recursive, withArchives, walked);
  }
}

bool FileSystem::MountListing(const CTGString& folder, platform::FolderListing& listing, bool withArchives) {
  CTGString key = NormalizePath(folder);
  if (key.IsEmpty() || key.Length() >= kMaxPathLength) return false;
  if (key[key.Length() - 1] != '\\') key.Append('\\');
  std::set<platform::FolderId> walked;
  return CatalogueListing(key, listing, withArchives, &walked);
}

bool FileSystem::CatalogueListing(const CTGString& folder, platform::FolderListing& hostListing, bool withArchives,
                                  std::set<platform::FolderId>* walked) {
  const platform::FolderId identity = hostListing.Identity();
  // Every host folder is catalogued once per mount, however many links lead
  // to it: a loop ends, and links that fan out cannot multiply the walk.
  if (!walked->insert(identity).second) return false;
  // In byte order of the names, whatever order the host keeps: which of two
  // archives supplies a member name both hold then never depends on it.
  platform::SortedFolderListing listing(hostListing);
  fFolderIds[folder] = identity;
  // Map references stay valid while other folders are added below.
  FSFolderTable& table = fCatalogue[folder];
  // The disk names of this listing under each key, to settle case twins.
  std::map<CTGString, CTGString> spellings;
  platform::FolderEntry listed;
  while (listing.Next(&listed)) {
    const CTGString spelling(listed.name.data(), static_cast<int32_t>(listed.name.size()));
    CTGString name = spelling;
    name.MakeLower();
    // A path the catalogue cannot hold in full is left to the disk.
    if (folder.Length() + name.Length() > kMaxPathLength || name.Find('\0') >= 0) continue;
    const bool isFolder = listed.isFolder;
    if (!isFolder && IsArchiveName(name)) {
      if (withArchives) MountArchive(folder + name);
      continue;
    }
    const auto twin = spellings.find(name);
    if (twin != spellings.end()) {
      FSEntry& holder = table[name];
      if (!TakesTwinsPlace(name, spelling, listed, twin->second, holder)) {
        if (!holder.fIsFolder && twin->second != name) holder.fHostName = twin->second;
        continue;
      }
    }
    // A disk entry replaces whatever an archive put under its name.
    FSEntry& entry = table[name];
    entry = FSEntry();
    entry.fName = name;
    entry.fIsFolder = isFolder;
    const bool readOnly = twin != spellings.end() && platform::HostEnv::Current().IsReadOnly(listed);
    if (twin != spellings.end() && !isFolder && spelling != name) entry.fHostName = spelling;
    entry.SetWritableFromListing(std::move(listed));
    if (twin != spellings.end()) entry.SetWritable(!readOnly);
    spellings[name] = spelling;
    listed = platform::FolderEntry();
  }
  return true;
}

bool FileSystem::TakesTwinsPlace(const CTGString& key, const CTGString& spelling, const platform::FolderEntry& listed,
                                 const CTGString& holderSpelling, const FSEntry& holder) {
  // The lower-case path of a folder reaches the one spelled in lower case,
  // else the first in byte order (the holder: listings come sorted).
  if (holder.fIsFolder || listed.isFolder) return spelling == key && holderSpelling != key;
  const bool writable = !platform::HostEnv::Current().IsReadOnly(listed);
  if (writable != holder.Writable()) return writable;
  return spelling == key;
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
    // A path the catalogue cannot hold in full is left out: cut, it would
    // answer for another name. A name ending in a separator names no file.
    if (!SplitFolderName(archiveFolder + member.name, &memberFolder, &memberName)) continue;
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
  // Every catalogued path fits kMaxPathLength, so a longer one (or one cut
  // short by a zero byte) is not in the catalogue, whatever its cut form is.
  if (!SplitFolderName(path, &folder, &name)) return false;
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
  if (!SplitFolderName(patternPath, &folder, &pattern) || folder.IsEmpty()) return false;
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
  const bool whole = SplitFolderName(path, &folder, &name);
  const auto table = whole ? fCatalogue.find(folder) : fCatalogue.end();
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
