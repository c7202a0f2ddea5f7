#include "app/core/BackupStore.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <string_view>
#include <vector>

#include "app/core/SaveResult.h"
#include "filesystem/CTGString.h"
#include "filesystem/FileSystem.h"
#include "platform/HostEnv.h"

namespace {

using platform::HostEnv;
using platform::HostFailure;

constexpr const char* kBackupsFolder = "backups";
constexpr const char* kPartialPrefix = "partial-";
constexpr const char* kUncFolder = "UNC";
// Bytes moved per read while copying.
constexpr int64_t kCopyPiece = 64 * 1024;
// A stored name that is cut keeps this many bytes before "~" and its hash.
constexpr size_t kCutStoredName = 100;
// An extension longer than this (stored) is left off version names.
constexpr size_t kMaxStoredExtension = 16;
// "YYYYMMDDTHHMMSSZ"
constexpr size_t kStampLength = 16;

// The program's own store, for runs that install none.
BackupStore* sInstalled = nullptr;

BackupResult Failure(int32_t error, HostFailure cause = HostFailure::kNone) { return BackupResult{error, cause}; }

BackupResult HostFailureOf(int32_t error) { return Failure(error, platform::LastHostFailure()); }

bool IsSeparator(char c) { return c == '\\' || c == '/'; }

char UpperAscii(char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 32) : c; }

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// Characters kept as they are in stored names: those valid in names on every
// host, bytes of non-ASCII characters included.
bool KeptInName(unsigned char c) {
  if (c >= 0x80) return true;
  if ((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || IsDigit(static_cast<char>(c))) return true;
  static constexpr std::string_view kPunctuation = " !#$&'()+,-.;=@[]^_`{}";
  return kPunctuation.find(static_cast<char>(c)) != std::string_view::npos;
}

std::string Escaped(unsigned char c) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  return {'%', kHex[c >> 4], kHex[c & 0xF]};
}

// Names Windows keeps for devices, whatever extension follows.
bool IsDeviceName(std::string_view name) {
  std::string base(name.substr(0, name.find('.')));
  while (!base.empty() && base.back() == ' ') base.pop_back();
  std::transform(base.begin(), base.end(), base.begin(), UpperAscii);
  if (base == "CON" || base == "PRN" || base == "AUX" || base == "NUL") return true;
  return base.size() == 4 && (base.rfind("COM", 0) == 0 || base.rfind("LPT", 0) == 0) && IsDigit(base[3]);
}

// FNV-1a, 64 bits.
uint64_t NameHash(std::string_view name) {
  uint64_t hash = 14695981039346656037ull;
  for (const char c : name) {
    hash ^= static_cast<unsigned char>(c);
    hash *= 1099511628211ull;
  }
  return hash;
}

// Where a stored name may be cut: not inside an escape, nor inside the
// bytes of one character.
size_t CutPoint(const std::string& stored, size_t at) {
  at = std::min(at, stored.size());
  for (size_t back = 1; back <= 2 && back <= at; ++back) {
    if (stored[at - back] == '%') return at - back;
  }
  while (at > 0 && (static_cast<unsigned char>(stored[at]) & 0xC0) == 0x80) --at;
  return at;
}

std::vector<std::string_view> Names(std::string_view path) {
  std::vector<std::string_view> names;
  size_t start = 0;
  while (start <= path.size()) {
    size_t end = start;
    while (end < path.size() && !IsSeparator(path[end])) ++end;
    if (end > start) names.push_back(path.substr(start, end - start));
    start = end + 1;
  }
  return names;
}

std::string Stamp(std::chrono::system_clock::time_point made) {
  using namespace std::chrono;
  const auto day = floor<days>(made);
  const year_month_day date{day};
  const hh_mm_ss time{floor<seconds>(made - day)};
  // Room for any value snprintf could be asked to write; a year between 1000
  // and 9999 makes exactly kStampLength characters.
  char text[64];
  std::snprintf(text, sizeof text, "%04d%02u%02uT%02d%02d%02dZ", static_cast<int>(date.year()),
                static_cast<unsigned>(date.month()), static_cast<unsigned>(date.day()),
                static_cast<int>(time.hours().count()), static_cast<int>(time.minutes().count()),
                static_cast<int>(time.seconds().count()));
  return text;
}

// Copies every byte of `from`, from its start, into `to`. On failure says
// which side failed, with the host's cause.
bool CopyBytes(platform::HostFile& from, platform::HostFile& to, BackupResult* failed) {
  const std::unique_ptr<char[]> buffer(new char[kCopyPiece]);
  if (!from.Seek(0)) {
    *failed = HostFailureOf(kBackupErrRead);
    return false;
  }
  for (;;) {
    const int64_t count = from.Read(buffer.get(), kCopyPiece);
    if (count < 0) {
      *failed = HostFailureOf(kBackupErrRead);
      return false;
    }
    if (count == 0) return true;
    if (to.Write(buffer.get(), count) != count) {
      *failed = HostFailureOf(kBackupErrWrite);
      // A short write with no error is a full disk.
      if (failed->fCause == HostFailure::kNone) failed->fCause = HostFailure::kDiskFull;
      return false;
    }
  }
}

platform::FileOpenOptions ReadingShared() {
  platform::FileOpenOptions options;
  options.access = platform::kAccessRead;
  options.share = platform::kShareRead | platform::kShareWrite;
  return options;
}

// A new file (or one emptied) that nobody else may open while it is written.
platform::FileOpenOptions CreatingAlone() {
  platform::FileOpenOptions options;
  options.access = platform::kAccessRead | platform::kAccessWrite;
  options.share = platform::kShareNone;
  options.disposition = platform::FileDisposition::kCreateAlways;
  return options;
}

std::string Joined(const std::string& folder, std::string_view name) {
  return folder + HostEnv::kHostSeparator + std::string(name);
}

}  // namespace

BackupStore& BackupStore::Current() {
  static BackupStore sProgramStore;
  return sInstalled != nullptr ? *sInstalled : sProgramStore;
}

BackupStore* BackupStore::Install(BackupStore* store) {
  BackupStore* previous = &Current();
  sInstalled = store;
  return previous;
}

std::string BackupStore::StoredName(std::string_view name) {
  std::string stored;
  for (const char c : name) {
    const auto byte = static_cast<unsigned char>(c);
    stored += KeptInName(byte) ? std::string(1, c) : Escaped(byte);
  }
  if (!stored.empty() && (stored.back() == '.' || stored.back() == ' ')) {
    const auto last = static_cast<unsigned char>(stored.back());
    stored.pop_back();
    stored += Escaped(last);
  }
  if (IsDeviceName(stored)) stored = Escaped(static_cast<unsigned char>(stored[0])) + stored.substr(1);
  if (stored.size() > kMaxStoredName) {
    char hash[17];
    std::snprintf(hash, sizeof hash, "%016llx", static_cast<unsigned long long>(NameHash(name)));
    stored = stored.substr(0, CutPoint(stored, kCutStoredName)) + "~" + hash;
  }
  return stored;
}

std::string BackupStore::FolderFor(std::string_view canonical, const std::string& backups, char separator) {
  const std::vector<std::string_view> names = Names(canonical);
  std::string folder = backups;
  const auto add = [&](std::string_view stored) {
    folder += separator;
    folder += stored;
  };
  size_t first = 1;
  if (canonical.size() >= 2 && IsSeparator(canonical[0]) && IsSeparator(canonical[1])) {
    add(kUncFolder);
    first = 0;
  } else if (canonical.size() >= 3 && canonical[1] == ':' && IsSeparator(canonical[2]) &&
             ((canonical[0] >= 'a' && canonical[0] <= 'z') || (canonical[0] >= 'A' && canonical[0] <= 'Z'))) {
    add(std::string(1, UpperAscii(canonical[0])));
  } else {
    return {};
  }
  if (names.size() <= first) return {};
  for (size_t i = first; i < names.size(); ++i) add(StoredName(names[i]));
  return folder;
}

std::string BackupStore::VersionName(int32_t number, std::chrono::system_clock::time_point made,
                                     std::string_view extension) {
  std::string stored = extension.empty() ? std::string() : StoredName(extension);
  if (stored.size() > kMaxStoredExtension) stored.clear();
  return "v" + std::to_string(number) + "-" + Stamp(made) + stored;
}

bool BackupStore::ParseVersionName(std::string_view name, Version* version) {
  if (name.size() < 2 || name[0] != 'v' || !IsDigit(name[1])) return false;
  size_t at = 1;
  int64_t number = 0;
  while (at < name.size() && IsDigit(name[at])) {
    number = number * 10 + (name[at] - '0');
    if (number > INT32_MAX) return false;
    ++at;
  }
  if (number == 0 || at >= name.size() || name[at] != '-') return false;
  const std::string_view stamp = name.substr(at + 1, kStampLength);
  if (stamp.size() != kStampLength || stamp[8] != 'T' || stamp[15] != 'Z') return false;
  for (size_t i = 0; i < 15; ++i) {
    if (i != 8 && !IsDigit(stamp[i])) return false;
  }
  version->fNumber = static_cast<int32_t>(number);
  version->fMade = std::string(stamp.substr(0, 4)) + "-" + std::string(stamp.substr(4, 2)) + "-" +
                   std::string(stamp.substr(6, 2)) + " " + std::string(stamp.substr(9, 2)) + ":" +
                   std::string(stamp.substr(11, 2)) + ":" + std::string(stamp.substr(13, 2)) + " UTC";
  return true;
}

std::string BackupStore::FolderOfFile(std::string_view windowsPath, std::string* canonical, BackupResult* result) {
  HostEnv& host = HostEnv::Current();
  const std::string data = host.DataFolder();
  if (data.empty()) {
    *result = Failure(kBackupErrNoFolder);
    return {};
  }
  *canonical = host.CanonicalPath(windowsPath);
  const std::string folder = FolderFor(*canonical, Joined(data, kBackupsFolder), HostEnv::kHostSeparator);
  if (folder.empty()) *result = Failure(kBackupErrRead, HostFailure::kNotFound);
  return folder;
}

std::vector<BackupStore::Version> BackupStore::ListVersions(const std::string& folder, bool withSizes) {
  std::vector<Version> versions;
  HostEnv& host = HostEnv::Current();
  const std::unique_ptr<platform::FolderListing> listing = host.ListHostFolder(folder);
  if (listing == nullptr) return versions;
  platform::FolderEntry entry;
  while (listing->Next(&entry)) {
    Version version;
    if (entry.isFolder || !ParseVersionName(entry.name, &version)) continue;
    version.fHostPath = Joined(folder, entry.name);
    if (withSizes) {
      const std::unique_ptr<platform::HostFile> file = host.OpenHostFile(version.fHostPath, ReadingShared());
      if (file != nullptr) version.fSize = file->Size();
    }
    versions.push_back(version);
  }
  std::sort(versions.begin(), versions.end(), [](const Version& a, const Version& b) { return a.fNumber < b.fNumber; });
  return versions;
}

BackupResult BackupStore::WriteVersion(std::string_view windowsPath, const std::string& canonical,
                                       const std::string& folder) {
  HostEnv& host = HostEnv::Current();
  if (!host.MakeHostFolders(folder)) return HostFailureOf(kBackupErrWrite);
  const std::unique_ptr<platform::HostFile> source = host.OpenFile(windowsPath, ReadingShared());
  if (source == nullptr) return HostFailureOf(kBackupErrRead);

  // Partial copies of earlier runs that stopped go first. No other run is
  // making one now: every write holds the file against other writers from
  // before its backup to its end.
  std::vector<Version> versions = ListVersions(folder, false);
  if (const auto listing = host.ListHostFolder(folder)) {
    platform::FolderEntry entry;
    while (listing->Next(&entry)) {
      if (!entry.isFolder && entry.name.rfind(kPartialPrefix, 0) == 0) host.RemoveHostFile(Joined(folder, entry.name));
    }
  }
  const int32_t number = versions.empty() ? 1 : versions.back().fNumber + 1;
  const std::string partial = Joined(folder, kPartialPrefix + std::to_string(number));
  BackupResult result;
  {
    const std::unique_ptr<platform::HostFile> copy = host.OpenHostFile(partial, CreatingAlone());
    if (copy == nullptr) return HostFailureOf(kBackupErrWrite);
    if (CopyBytes(*source, *copy, &result) && !copy->Flush()) result = HostFailureOf(kBackupErrWrite);
  }

  const std::string name = canonical.substr(canonical.find_last_of("\\/") + 1);
  const size_t dot = name.find_last_of('.');
  const std::string extension = dot == std::string::npos || dot == 0 ? std::string() : name.substr(dot);
  const std::string made = Joined(folder, VersionName(number, std::chrono::system_clock::now(), extension));
  if (result.Ok() && !host.RenameHostFile(partial, made)) result = HostFailureOf(kBackupErrWrite);
  if (!result.Ok()) {
    host.RemoveHostFile(partial);
    return result;
  }

  // The copy is made; an old version that cannot be removed stays, and goes
  // with the next backup.
  const size_t kept = versions.size() + 1;
  for (size_t oldest = 0; oldest + kKeptVersions < kept; ++oldest) host.RemoveHostFile(versions[oldest].fHostPath);
  return result;
}

BackupResult BackupStore::BeforeWrite(std::string_view windowsPath) {
  if (!fEnabled) return {};
  BackupResult result;
  std::string canonical;
  const std::string folder = FolderOfFile(windowsPath, &canonical, &result);
  if (folder.empty()) return result;
  if (fBackedUp.count(folder) != 0) return result;
  result = WriteVersion(windowsPath, canonical, folder);
  if (result.Ok()) fBackedUp.insert(folder);
  return result;
}

BackupResult BackupStore::Versions(std::string_view windowsPath, std::vector<Version>* versions,
                                   std::string* folder) const {
  versions->clear();
  BackupResult result;
  std::string canonical;
  *folder = FolderOfFile(windowsPath, &canonical, &result);
  if (!folder->empty()) *versions = ListVersions(*folder, true);
  return result;
}

BackupResult BackupStore::Restore(std::string_view windowsPath, int32_t number, Version* restored) {
  std::vector<Version> versions;
  std::string folder;
  BackupResult result = Versions(windowsPath, &versions, &folder);
  if (!result.Ok()) return result;
  const auto chosen = std::find_if(versions.begin(), versions.end(),
                                   [number](const Version& version) { return version.fNumber == number; });
  if (versions.empty() || (number != 0 && chosen == versions.end())) return Failure(kBackupErrNoVersion);
  *restored = number == 0 ? versions.back() : *chosen;
  HostEnv& host = HostEnv::Current();
  const std::unique_ptr<platform::HostFile> version = host.OpenHostFile(restored->fHostPath, ReadingShared());
  if (version == nullptr) return HostFailureOf(kBackupErrVersionRead);

  // The file is held against other writers from here to the replacement.
  const CTGString path(std::string(windowsPath).c_str());
  FSFile* file = gFileSystem.Open(path, true);
  if (file == nullptr && platform::LastHostFailure() == HostFailure::kNotFound) {
    return RestoreAbsent(windowsPath, *version);
  }
  if (file == nullptr) return HostFailureOf(kBackupErrReplace);
  FSFile* replacement = gFileSystem.OpenReplacement(*file);
  if (replacement == nullptr) {
    result = HostFailureOf(kBackupErrReplace);
    gFileSystem.Close(file);
    return result;
  }
  const std::unique_ptr<char[]> buffer(new char[kCopyPiece]);
  for (;;) {
    const int64_t count = version->Read(buffer.get(), kCopyPiece);
    if (count < 0) {
      result = HostFailureOf(kBackupErrVersionRead);
    } else if (count > 0 && replacement->Write(buffer.get(), static_cast<int32_t>(count)) != count) {
      result = HostFailureOf(kBackupErrReplace);
    }
    if (count <= 0 || !result.Ok()) break;
  }
  if (result.Ok() && !replacement->Flush()) result = HostFailureOf(kBackupErrReplace);
  // The copy is complete before the bytes it replaces are backed up: the
  // backup may drop the oldest version, which may be the one restored.
  if (result.Ok()) result = BeforeWrite(windowsPath);
  if (result.Ok() && !gFileSystem.Replace(file, replacement)) result = HostFailureOf(kBackupErrReplace);
  if (!result.Ok()) gFileSystem.Discard(replacement);
  gFileSystem.Close(file);
  return result;
}

BackupResult BackupStore::RestoreAbsent(std::string_view windowsPath, platform::HostFile& version) {
  HostEnv& host = HostEnv::Current();
  const std::string target = host.HostPath(windowsPath);
  if (target.empty() || target.back() == '/' || target.back() == HostEnv::kHostSeparator) {
    platform::SetLastHostFailure(HostFailure::kNotFound);
    return HostFailureOf(kBackupErrReplace);
  }

  // Written in full beside the name, then given the name in one step that
  // never writes over a file: one that appeared there meanwhile stays.
  const std::string partial = target + FileSystem::kReplacementSuffix;
  BackupResult result;
  {
    const std::unique_ptr<platform::HostFile> copy = host.OpenHostFile(partial, CreatingAlone());
    if (copy == nullptr) return HostFailureOf(kBackupErrReplace);
    if (!CopyBytes(version, *copy, &result)) {
      result.fError = result.fError == kBackupErrRead ? kBackupErrVersionRead : kBackupErrReplace;
    } else if (!copy->Flush()) {
      result = HostFailureOf(kBackupErrReplace);
    }
  }
  if (result.Ok() && !host.RenameHostFile(partial, target)) result = HostFailureOf(kBackupErrReplace);
  if (!result.Ok()) host.RemoveHostFile(partial);
  return result;
}

std::string BackupStore::Explain(const BackupResult& result) {
  switch (result.fError) {
    case kBackupErrNone:
      return {};
    case kBackupErrNoFolder:
      return "there is no folder to keep backups in (no home folder is known).";
    case kBackupErrNoVersion:
      return "there is no such backup.";
    case kBackupErrRead:
    case kBackupErrVersionRead: {
      const char* what = result.fError == kBackupErrRead ? "the file" : "the backup";
      switch (result.fCause) {
        case HostFailure::kInUse:
          return std::string("another program is using ") + what + ".";
        case HostFailure::kNotFound:
          return std::string(what) + " is no longer there.";
        case HostFailure::kAccessDenied:
          return std::string("you do not have permission to read ") + what + ".";
        case HostFailure::kDeviceError:
          return "the disk reported an error; it may be failing.";
        default:
          return std::string(what) + " could not be read.";
      }
    }
    case kBackupErrWrite:
      switch (result.fCause) {
        case HostFailure::kDiskFull:
          return "the disk is full.";
        case HostFailure::kAccessDenied:
          return "you do not have permission to write to the backup folder.";
        case HostFailure::kReadOnly:
          return "the backup folder is read-only.";
        case HostFailure::kInUse:
          return "another program is using the backup folder.";
        case HostFailure::kDeviceError:
          return "the disk reported an error; it may be failing.";
        case HostFailure::kPathTooLong:
          return "the backup's path is too long.";
        default:
          return "it could not be written to the backup folder.";
      }
    case kBackupErrReplace: {
      const std::string words = SaveResult::CauseText(result.fCause);
      return words.empty() ? "the file could not be replaced." : words;
    }
    default:
      return "error " + std::to_string(result.fError) + ".";
  }
}
