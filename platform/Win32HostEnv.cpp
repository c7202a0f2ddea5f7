#include "platform/Win32HostEnv.h"

#include <aclapi.h>
#include <shlobj.h>
#include <windows.h>
// <windows.h> spells the system's ReplaceFileW this way; here it is the
// environment's own operation.
#undef ReplaceFile

#include <algorithm>
#include <cstddef>
#include <cstring>
#include <cwchar>
#include <utility>
#include <vector>

#include "platform/Win32Failure.h"
#include "platform/Win32FolderListing.h"
#include "platform/Win32Handle.h"
#include "platform/Win32HostFile.h"
#include "platform/Win32OpenFiles.h"
#include "platform/Win32Text.h"

namespace platform {

namespace {

constexpr DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;

// The attributes a replacement takes over from the file it replaces.
constexpr DWORD kKeptAttributes = FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM |
                                  FILE_ATTRIBUTE_ARCHIVE | FILE_ATTRIBUTE_NOT_CONTENT_INDEXED;

// FileRenameInfoEx of FILE_INFO_BY_HANDLE_CLASS (Windows 10 1607 and later),
// and the layout of FILE_RENAME_INFO with its flags word, which older headers
// spell as a single BOOLEAN ReplaceIfExists in the same place.
constexpr int kFileRenameInfoEx = 22;
constexpr DWORD kRenameReplaceIfExists = 0x1;
constexpr DWORD kRenamePosixSemantics = 0x2;
struct RenameInfo {
  DWORD flags;
  HANDLE rootDirectory;
  DWORD fileNameLength;
  WCHAR fileName[1];
};

// The longest name any Windows file system keeps, and the longest path the
// calls take from a program that does not declare itself aware of longer ones.
constexpr size_t kMaxNameUnits = 255;
constexpr size_t kMaxPathUnits = MAX_PATH - 1;

bool Fail(HostFailure failure) {
  SetLastHostFailure(failure);
  return false;
}

bool TooLong(const std::wstring& path) {
  if (path.size() > kMaxPathUnits && path.rfind(L"\\\\?\\", 0) != 0) return true;
  size_t start = 0;
  for (size_t end = 0; end <= path.size(); ++end) {
    if (end == path.size() || path[end] == L'\\' || path[end] == L'/') {
      if (end - start > kMaxNameUnits) return true;
      start = end + 1;
    }
  }
  return false;
}

// Notes the last error of a call on `path`. File systems (and Wine) tell a
// name that is too long as one that is not there, or not valid.
bool NotePathFailure(const std::wstring& path) {
  const DWORD error = ::GetLastError();
  const bool unreachable = error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND ||
                           error == ERROR_INVALID_NAME || error == ERROR_FILENAME_EXCED_RANGE;
  if (unreachable && TooLong(path)) return Fail(HostFailure::kPathTooLong);
  NoteWin32Error(error);
  return false;
}

// The absolute form of a path, which still names the same file after the
// current folder changes; the path itself when the host cannot make one.
std::wstring FullPath(const std::wstring& path) {
  const DWORD size = ::GetFullPathNameW(path.c_str(), 0, nullptr, nullptr);
  if (size == 0) return path;
  std::wstring full(size, L'\0');
  const DWORD length = ::GetFullPathNameW(path.c_str(), size, full.data(), nullptr);
  if (length == 0 || length >= size) return path;
  full.resize(length);
  return full;
}

// The path of the file an open handle reaches, links resolved.
std::wstring FinalPath(HANDLE file, const std::wstring& fallback) {
  const DWORD size = ::GetFinalPathNameByHandleW(file, nullptr, 0, FILE_NAME_NORMALIZED | VOLUME_NAME_DOS);
  if (size == 0) return FullPath(fallback);
  std::wstring path(size, L'\0');
  const DWORD length = ::GetFinalPathNameByHandleW(file, path.data(), size, FILE_NAME_NORMALIZED | VOLUME_NAME_DOS);
  if (length == 0 || length >= size) return FullPath(fallback);
  path.resize(length);
  return path;
}

std::wstring FolderOf(const std::wstring& path) {
  const size_t separator = path.find_last_of(L"\\/");
  return separator == std::wstring::npos ? std::wstring(L".") : path.substr(0, separator + 1);
}

// Renames the open file to `to`, replacing a file there. With POSIX
// semantics the file there may be open (by handles that share deleting).
bool Rename(HANDLE file, const std::wstring& to, bool posixSemantics) {
  const size_t nameBytes = to.size() * sizeof(wchar_t);
  std::vector<unsigned char> buffer(offsetof(RenameInfo, fileName) + nameBytes + sizeof(wchar_t));
  if (buffer.size() < sizeof(RenameInfo)) buffer.resize(sizeof(RenameInfo));
  RenameInfo info{};
  info.flags = kRenameReplaceIfExists | (posixSemantics ? kRenamePosixSemantics : 0);
  info.rootDirectory = nullptr;
  info.fileNameLength = static_cast<DWORD>(nameBytes);
  std::memcpy(buffer.data(), &info, offsetof(RenameInfo, fileName));
  std::memcpy(buffer.data() + offsetof(RenameInfo, fileName), to.c_str(), nameBytes + sizeof(wchar_t));
  const auto infoClass = posixSemantics ? static_cast<FILE_INFO_BY_HANDLE_CLASS>(kFileRenameInfoEx) : FileRenameInfo;
  return ::SetFileInformationByHandle(file, infoClass, buffer.data(), static_cast<DWORD>(buffer.size()));
}

// Errors with which a file system (or Windows before 10) turns down a rename
// with POSIX semantics that it does not offer.
bool PosixRenameUnsupported(DWORD error) {
  return error == ERROR_INVALID_PARAMETER || error == ERROR_NOT_SUPPORTED || error == ERROR_INVALID_FUNCTION ||
         error == ERROR_CALL_NOT_IMPLEMENTED;
}

// Gives `file` the attributes (FILE_ATTRIBUTE_NORMAL for none) and, when
// given, the creation time.
bool SetBasicInfo(HANDLE file, DWORD attributes, const FILETIME* created = nullptr) {
  FILE_BASIC_INFO basic{};
  basic.FileAttributes = attributes == 0 ? FILE_ATTRIBUTE_NORMAL : attributes;
  if (created != nullptr) {
    basic.CreationTime.LowPart = created->dwLowDateTime;
    basic.CreationTime.HighPart = static_cast<LONG>(created->dwHighDateTime);
  }
  return ::SetFileInformationByHandle(file, FileBasicInfo, &basic, sizeof basic);
}

// Gives `file` the access-control list of the file at `from`, inherited
// entries and protection from inheritance included.
bool CopyAccessControl(const std::wstring& from, HANDLE file) {
  PACL acl = nullptr;
  PSECURITY_DESCRIPTOR descriptor = nullptr;
  DWORD error = ::GetNamedSecurityInfoW(from.c_str(), SE_FILE_OBJECT, DACL_SECURITY_INFORMATION, nullptr, nullptr,
                                        &acl, nullptr, &descriptor);
  if (error == ERROR_SUCCESS) {
    SECURITY_DESCRIPTOR_CONTROL control = 0;
    DWORD revision = 0;
    ::GetSecurityDescriptorControl(descriptor, &control, &revision);
    const SECURITY_INFORMATION which =
        DACL_SECURITY_INFORMATION | ((control & SE_DACL_PROTECTED) != 0 ? PROTECTED_DACL_SECURITY_INFORMATION
                                                                         : UNPROTECTED_DACL_SECURITY_INFORMATION);
    error = ::SetSecurityInfo(file, SE_FILE_OBJECT, which, nullptr, nullptr, acl, nullptr);
    ::LocalFree(descriptor);
  }
  if (error == ERROR_SUCCESS) return true;
  NoteWin32Error(error);
  return false;
}

// Pushes a folder's entries (a rename in it) to the storage device, where the
// file system lets a folder be flushed.
void FlushFolder(const std::wstring& folder) {
  Win32Handle handle(::CreateFileW(folder.c_str(), GENERIC_READ | GENERIC_WRITE, kShareAll, nullptr, OPEN_EXISTING,
                                   FILE_FLAG_BACKUP_SEMANTICS, nullptr));
  if (handle.Valid()) ::FlushFileBuffers(handle.get());
}

// The prefix of paths the wide calls take as they are, beyond MAX_PATH.
constexpr const wchar_t* kVerbatimPrefix = L"\\\\?\\";
constexpr const wchar_t* kVerbatimUncPrefix = L"\\\\?\\UNC\\";

bool StartsWith(const std::wstring& text, const wchar_t* prefix) { return text.rfind(prefix, 0) == 0; }

// The "\\?\" form of an absolute path ("\\?\C:\..." or
// "\\?\UNC\server\share\..."), made from its full path; a relative path
// that cannot be made absolute stays as it is.
std::wstring VerbatimForm(const std::wstring& path) {
  if (StartsWith(path, kVerbatimPrefix)) return path;
  std::wstring full = FullPath(path);
  for (wchar_t& c : full) {
    if (c == L'/') c = L'\\';
  }
  if (full.size() >= 3 && full[1] == L':' && full[2] == L'\\') return kVerbatimPrefix + full;
  if (full.size() >= 2 && full[0] == L'\\' && full[1] == L'\\') return kVerbatimUncPrefix + full.substr(2);
  return full;
}

// The everyday form of a "\\?\" path.
std::wstring PlainForm(const std::wstring& path) {
  if (StartsWith(path, kVerbatimUncPrefix)) return L"\\\\" + path.substr(std::wcslen(kVerbatimUncPrefix));
  if (StartsWith(path, kVerbatimPrefix)) return path.substr(std::wcslen(kVerbatimPrefix));
  return path;
}

// A host path in UTF-8 as its "\\?\" form in UTF-8; empty when it is not
// valid UTF-8.
std::string VerbatimUtf8(std::string_view hostPath) {
  std::wstring path;
  if (!Win32Text::ToWide(hostPath, &path) || path.empty()) return {};
  return Win32Text::ToUtf8(VerbatimForm(path));
}

// The length of the root of a "\\?\" path: "\\?\C:\", or
// "\\?\UNC\server\share\"; 0 for any other path.
size_t RootLength(const std::wstring& path) {
  if (StartsWith(path, kVerbatimUncPrefix)) {
    const size_t server = path.find(L'\\', std::wcslen(kVerbatimUncPrefix));
    const size_t share = server == std::wstring::npos ? server : path.find(L'\\', server + 1);
    return share == std::wstring::npos ? path.size() : share + 1;
  }
  if (StartsWith(path, kVerbatimPrefix)) return std::min(path.size(), std::wcslen(kVerbatimPrefix) + 3);
  return 0;
}

bool IsFolder(const std::wstring& path) {
  const DWORD attributes = ::GetFileAttributesW(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

// The final path of what `path` names, opened without data access.
bool FinalPathOf(const std::wstring& path, std::wstring* final) {
  Win32Handle look(::CreateFileW(path.c_str(), FILE_READ_ATTRIBUTES, kShareAll, nullptr, OPEN_EXISTING,
                                 FILE_FLAG_BACKUP_SEMANTICS, nullptr));
  if (!look.Valid()) return false;
  *final = FinalPath(look.get(), path);
  return true;
}

}  // namespace

Win32HostEnv::Win32HostEnv() : fOpenFiles(std::make_shared<Win32OpenFiles>()) {}

Win32HostEnv::~Win32HostEnv() = default;

void Win32HostEnv::DebugOutput(std::string_view text) { ::OutputDebugStringA(std::string(text).c_str()); }

std::unique_ptr<HostFile> Win32HostEnv::OpenFile(std::string_view windowsPath, const FileOpenOptions& options) {
  const bool reads = (options.access & kAccessRead) != 0;
  const bool writes = (options.access & kAccessWrite) != 0;
  const bool create = options.disposition == FileDisposition::kCreateAlways;
  if (create && !writes) {
    Fail(HostFailure::kOther);
    return nullptr;
  }
  std::wstring path;
  if (!Win32Text::ToWide(windowsPath, &path) || path.empty()) {
    Fail(HostFailure::kNotFound);
    return nullptr;
  }
  if (writes) {
    const DWORD attributes = ::GetFileAttributesW(path.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0 &&
        (attributes & FILE_ATTRIBUTE_READONLY) != 0) {
      Fail(HostFailure::kReadOnly);
      return nullptr;
    }
  }
  Win32HostFile::Opening opening;
  opening.path = FullPath(path);
  opening.access = (reads ? GENERIC_READ : 0) | (writes ? GENERIC_WRITE : 0);
  opening.share = ((options.share & kShareRead) != 0 ? FILE_SHARE_READ : 0) |
                  ((options.share & kShareWrite) != 0 ? FILE_SHARE_WRITE : 0) | FILE_SHARE_DELETE;
  opening.flags = options.randomAccess ? FILE_FLAG_RANDOM_ACCESS : FILE_ATTRIBUTE_NORMAL;
  Win32Handle handle(::CreateFileW(opening.path.c_str(), opening.access, opening.share, nullptr,
                                   create ? CREATE_ALWAYS : OPEN_EXISTING, opening.flags, nullptr));
  if (!handle.Valid()) {
    NotePathFailure(opening.path);
    return nullptr;
  }
  // Devices (CON, NUL, pipes) open under a plain name too; only disk files count.
  if (::GetFileType(handle.get()) != FILE_TYPE_DISK) {
    Fail(HostFailure::kOther);
    return nullptr;
  }
  return std::make_unique<Win32HostFile>(std::move(handle), std::move(opening), fOpenFiles);
}

bool Win32HostEnv::RemoveFile(std::string_view windowsPath) {
  std::wstring path;
  if (!Win32Text::ToWide(windowsPath, &path) || path.empty()) return Fail(HostFailure::kNotFound);
  const DWORD attributes = ::GetFileAttributesW(path.c_str());
  if (attributes != INVALID_FILE_ATTRIBUTES) {
    if ((attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) return Fail(HostFailure::kAccessDenied);
    if ((attributes & FILE_ATTRIBUTE_READONLY) != 0) return Fail(HostFailure::kReadOnly);
  }
  return ::DeleteFileW(path.c_str()) || NotePathFailure(path);
}

bool Win32HostEnv::ReplaceFile(std::string_view targetPath, std::string_view replacementPath) {
  std::wstring target;
  std::wstring replacement;
  if (!Win32Text::ToWide(targetPath, &target) || target.empty() ||
      !Win32Text::ToWide(replacementPath, &replacement) || replacement.empty()) {
    return Fail(HostFailure::kNotFound);
  }

  // The file the target's path leads to. The look is closed at once: where
  // renames have no POSIX semantics, every open handle keeps a file in place.
  BY_HANDLE_FILE_INFORMATION old{};
  std::wstring destination;
  {
    Win32Handle look(::CreateFileW(target.c_str(), FILE_READ_ATTRIBUTES, kShareAll, nullptr, OPEN_EXISTING,
                                   FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    if (!look.Valid()) return NotePathFailure(target);
    if (!::GetFileInformationByHandle(look.get(), &old)) return NoteLastWin32Error();
    if ((old.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0) return Fail(HostFailure::kAccessDenied);
    destination = FinalPath(look.get(), target);
  }
  const FolderId oldIdentity{old.dwVolumeSerialNumber,
                             (static_cast<uint64_t>(old.nFileIndexHigh) << 32) | old.nFileIndexLow};

  // A handle of our own moves the replacement; it asks for no data access, so
  // it stands beside the replacement's open that shares nothing but deleting.
  Win32Handle mover(::CreateFileW(replacement.c_str(),
                                  DELETE | READ_CONTROL | WRITE_DAC | FILE_READ_ATTRIBUTES | FILE_WRITE_ATTRIBUTES |
                                      SYNCHRONIZE,
                                  kShareAll, nullptr, OPEN_EXISTING, 0, nullptr));
  BY_HANDLE_FILE_INFORMATION made{};
  if (!mover.Valid()) return NotePathFailure(replacement);
  if (!::GetFileInformationByHandle(mover.get(), &made)) return NoteLastWin32Error();
  if ((made.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0) return Fail(HostFailure::kAccessDenied);
  FolderId madeIdentity;
  if (!mover.Identity(&madeIdentity)) return false;
  if (madeIdentity == oldIdentity) return true;

  if (!CopyAccessControl(destination, mover.get())) return false;
  if (!SetBasicInfo(mover.get(), old.dwFileAttributes & kKeptAttributes, &old.ftCreationTime)) {
    return NoteLastWin32Error();
  }
  // A read-only file cannot be renamed over; it has passed the attribute on.
  const bool oldReadOnly = (old.dwFileAttributes & FILE_ATTRIBUTE_READONLY) != 0;
  const DWORD oldSettable = old.dwFileAttributes & kKeptAttributes;
  if (oldReadOnly && !::SetFileAttributesW(destination.c_str(), (oldSettable & ~FILE_ATTRIBUTE_READONLY) == 0
                                                                    ? FILE_ATTRIBUTE_NORMAL
                                                                    : oldSettable & ~FILE_ATTRIBUTE_READONLY)) {
    const DWORD error = ::GetLastError();
    SetBasicInfo(mover.get(), made.dwFileAttributes & kKeptAttributes);
    NoteWin32Error(error);
    return false;
  }

  bool renamed = Rename(mover.get(), destination, true);
  DWORD error = renamed ? ERROR_SUCCESS : ::GetLastError();
  if (!renamed && PosixRenameUnsupported(error)) {
    std::unique_lock<std::mutex> lock = fOpenFiles->Lock();
    const std::vector<Win32HostFile*> let = fOpenFiles->Let(oldIdentity);
    renamed = Rename(mover.get(), destination, false);
    error = renamed ? ERROR_SUCCESS : ::GetLastError();
    if (!renamed) Win32OpenFiles::Reopen(let);
  }
  if (!renamed) {
    if (oldReadOnly) ::SetFileAttributesW(destination.c_str(), oldSettable);
    SetBasicInfo(mover.get(), made.dwFileAttributes & kKeptAttributes);
    NoteWin32Error(error);
    return false;
  }
  fOpenFiles->Flush(madeIdentity);
  FlushFolder(FolderOf(destination));
  return true;
}

std::unique_ptr<FolderListing> Win32HostEnv::ListFolder(std::string_view windowsFolder) {
  std::wstring folder;
  if (!Win32Text::ToWide(windowsFolder, &folder) || folder.empty()) {
    Fail(HostFailure::kNotFound);
    return nullptr;
  }
  FolderId identity;
  {
    Win32Handle look(::CreateFileW(folder.c_str(), FILE_READ_ATTRIBUTES, kShareAll, nullptr, OPEN_EXISTING,
                                   FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    BY_HANDLE_FILE_INFORMATION info{};
    if (!look.Valid()) {
      NotePathFailure(folder);
      return nullptr;
    }
    if (!::GetFileInformationByHandle(look.get(), &info)) {
      NoteLastWin32Error();
      return nullptr;
    }
    if ((info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0) {
      Fail(HostFailure::kNotFound);
      return nullptr;
    }
    identity = {info.dwVolumeSerialNumber, (static_cast<uint64_t>(info.nFileIndexHigh) << 32) | info.nFileIndexLow};
  }
  std::wstring pattern = folder;
  if (pattern.back() != L'\\' && pattern.back() != L'/') pattern.push_back(L'\\');
  pattern.push_back(L'*');
  WIN32_FIND_DATAW data{};
  HANDLE find = ::FindFirstFileExW(pattern.c_str(), FindExInfoBasic, &data, FindExSearchNameMatch, nullptr,
                                   FIND_FIRST_EX_LARGE_FETCH);
  Win32FolderListing::Found first;
  if (find == INVALID_HANDLE_VALUE) {
    const DWORD error = ::GetLastError();
    // A drive's root folder has no "." entry; when empty it has none at all.
    if (error != ERROR_FILE_NOT_FOUND && error != ERROR_NO_MORE_FILES) {
      NoteWin32Error(error);
      return nullptr;
    }
    find = nullptr;
  } else {
    first.name = data.cFileName;
    first.attributes = data.dwFileAttributes;
  }
  return std::make_unique<Win32FolderListing>(find, std::move(first), std::string(windowsFolder), identity);
}

bool Win32HostEnv::IsReadOnly(const FolderEntry& entry) {
  std::wstring path;
  if (entry.hostPath.empty() || !Win32Text::ToWide(entry.hostPath, &path)) return false;
  const DWORD attributes = ::GetFileAttributesW(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY) != 0;
}

std::string Win32HostEnv::CanonicalPath(std::string_view windowsPath) {
  std::wstring path;
  if (!Win32Text::ToWide(windowsPath, &path) || path.empty()) return {};
  std::wstring canonical;
  if (!FinalPathOf(path, &canonical)) {
    // Not there: its folder's form, then the name as written.
    const size_t separator = path.find_last_of(L"\\/");
    const std::wstring name = separator == std::wstring::npos ? path : path.substr(separator + 1);
    if (name.empty() || !FinalPathOf(FolderOf(path), &canonical)) return {};
    if (canonical.back() != L'\\') canonical.push_back(L'\\');
    canonical += name;
  }
  return Win32Text::ToUtf8(PlainForm(canonical));
}

std::string Win32HostEnv::DataFolder() {
  std::wstring folder(MAX_PATH, L'\0');
  for (;;) {
    const DWORD length = ::GetEnvironmentVariableW(L"LOCALAPPDATA", folder.data(), static_cast<DWORD>(folder.size()));
    if (length < folder.size()) {
      folder.resize(length);
      break;
    }
    folder.resize(length);
  }
  if (folder.empty()) {
    wchar_t shell[MAX_PATH] = {};
    if (::SHGetFolderPathW(nullptr, CSIDL_LOCAL_APPDATA, nullptr, SHGFP_TYPE_CURRENT, shell) != S_OK) return {};
    folder = shell;
  }
  if (folder.empty()) return {};
  if (folder.back() != L'\\' && folder.back() != L'/') folder.push_back(L'\\');
  return Win32Text::ToUtf8(folder + L"velt-organizer");
}

std::unique_ptr<HostFile> Win32HostEnv::OpenHostFile(std::string_view hostPath, const FileOpenOptions& options) {
  const std::string path = VerbatimUtf8(hostPath);
  if (path.empty()) {
    Fail(HostFailure::kNotFound);
    return nullptr;
  }
  return OpenFile(path, options);
}

bool Win32HostEnv::RemoveHostFile(std::string_view hostPath) {
  const std::string path = VerbatimUtf8(hostPath);
  return path.empty() ? Fail(HostFailure::kNotFound) : RemoveFile(path);
}

std::unique_ptr<FolderListing> Win32HostEnv::ListHostFolder(std::string_view hostFolder) {
  const std::string path = VerbatimUtf8(hostFolder);
  if (path.empty()) {
    Fail(HostFailure::kNotFound);
    return nullptr;
  }
  return ListFolder(path);
}

bool Win32HostEnv::MakeHostFolders(std::string_view hostFolder) {
  std::wstring path;
  if (!Win32Text::ToWide(hostFolder, &path) || path.empty()) return Fail(HostFailure::kNotFound);
  path = VerbatimForm(path);
  while (path.size() > RootLength(path) && path.back() == L'\\') path.pop_back();
  if (IsFolder(path)) return true;
  // Each folder on the way below the root; the last one is the whole path.
  for (size_t end = path.find(L'\\', RootLength(path));; end = path.find(L'\\', end + 1)) {
    const std::wstring folder = path.substr(0, end);
    if (!::CreateDirectoryW(folder.c_str(), nullptr)) {
      const DWORD error = ::GetLastError();
      if (error != ERROR_ALREADY_EXISTS) {
        NoteWin32Error(error);
        return false;
      }
      if (!IsFolder(folder)) return Fail(HostFailure::kOther);
    }
    if (end == std::wstring::npos) return true;
  }
}

bool Win32HostEnv::RenameHostFile(std::string_view fromPath, std::string_view toPath) {
  std::wstring from;
  std::wstring to;
  if (!Win32Text::ToWide(fromPath, &from) || from.empty() || !Win32Text::ToWide(toPath, &to) || to.empty()) {
    return Fail(HostFailure::kNotFound);
  }
  from = VerbatimForm(from);
  to = VerbatimForm(to);
  if (!::MoveFileExW(from.c_str(), to.c_str(), MOVEFILE_WRITE_THROUGH)) return NoteLastWin32Error();
  FlushFolder(FolderOf(to));
  return true;
}

std::vector<bool> Win32HostEnv::MayHold(std::string_view windowsFolder, const std::vector<std::string>& names) {
  std::vector<bool> held(names.size(), true);
  std::string folder(windowsFolder);
  if (folder.empty()) return held;
  if (folder.back() != '\\' && folder.back() != '/') folder.push_back('\\');
  for (size_t i = 0; i < names.size(); ++i) {
    const std::string& name = names[i];
    std::wstring path;
    if (name.empty() || name == "." || name == ".." || name.find_first_of("\\/") != std::string::npos ||
        !Win32Text::ToWide(folder + name, &path))
      continue;
    if (::GetFileAttributesW(FullPath(path).c_str()) != INVALID_FILE_ATTRIBUTES) continue;
    const DWORD error = ::GetLastError();
    held[i] = error != ERROR_FILE_NOT_FOUND && error != ERROR_PATH_NOT_FOUND;
  }
  return held;
}

}  // namespace platform
