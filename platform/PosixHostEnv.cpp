#include "platform/PosixHostEnv.h"

#include <dirent.h>
#include <fcntl.h>
#include <pwd.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <utility>

#include "platform/PosixErrno.h"
#include "platform/PosixFolderListing.h"
#include "platform/PosixHostFile.h"

namespace platform {

namespace {

std::string HomeFolder() {
  const char* home = std::getenv("HOME");
  if (home != nullptr && *home != '\0') return home;
  struct passwd entry {};
  struct passwd* found = nullptr;
  char buffer[16384];
  if (::getpwuid_r(::getuid(), &entry, buffer, sizeof buffer, &found) == 0 && found != nullptr &&
      found->pw_dir != nullptr) {
    return found->pw_dir;
  }
  return {};
}

std::string HiveFile(const std::string& prefix) {
  if (prefix.empty()) return {};
  return prefix.back() == '/' ? prefix + "system.reg" : prefix + "/system.reg";
}

constexpr mode_t kAnyWriteBit = S_IWUSR | S_IWGRP | S_IWOTH;

bool HasNoWriteBit(const struct stat& info) { return (info.st_mode & kAnyWriteBit) == 0; }

// The flock operation an open takes, or 0 for none (see PosixHostEnv::OpenFile).
int LockFor(const FileOpenOptions& options) {
  bool writes = (options.access & kAccessWrite) != 0;
  bool othersRead = (options.share & kShareRead) != 0;
  bool othersWrite = (options.share & kShareWrite) != 0;
  if (writes || !othersRead) return LOCK_EX;
  return othersWrite ? 0 : LOCK_SH;
}

int OpenRetrying(const char* path, int flags, mode_t mode = 0) {
  int fd;
  do {
    fd = ::open(path, flags, mode);
  } while (fd < 0 && errno == EINTR);
  return fd;
}

// Opens for kCreateAlways. Sets `*created` when this call made the file, so
// that its permission bits (which come from the umask) are not taken for a
// read-only attribute. A file that vanishes between the two attempts is tried
// again a few times.
int OpenCreating(const char* path, int flags, bool* created) {
  for (int attempt = 0; attempt < 4; ++attempt) {
    int fd = OpenRetrying(path, flags | O_CREAT | O_EXCL, 0666);
    if (fd >= 0) {
      *created = true;
      return fd;
    }
    if (errno != EEXIST) return -1;
    fd = OpenRetrying(path, flags);
    if (fd >= 0 || errno != ENOENT) return fd;
  }
  return -1;
}

bool LockRetrying(int fd, int operation) {
  while (::flock(fd, operation | LOCK_NB) != 0) {
    if (errno != EINTR) return false;
  }
  return true;
}

// Closes `fd` when it goes out of scope unless released.
class FdGuard {
 public:
  explicit FdGuard(int fd) : fFd(fd) {}
  ~FdGuard() {
    if (fFd >= 0) ::close(fFd);
  }
  FdGuard(const FdGuard&) = delete;
  FdGuard& operator=(const FdGuard&) = delete;
  int Release() { return std::exchange(fFd, -1); }

 private:
  int fFd;
};

// Answers false after noting the failure.
bool Fail(HostFailure failure) {
  SetLastHostFailure(failure);
  return false;
}

bool FailErrno() {
  NoteErrno(errno);
  return false;
}

// The folder part of a host path ("/" for a file at the root, "." for a bare
// name).
std::string FolderOf(const std::string& path) {
  const size_t slash = path.find_last_of('/');
  if (slash == std::string::npos) return ".";
  return slash == 0 ? "/" : path.substr(0, slash);
}

// Pushes a folder's entries (a rename in it) to the storage device.
bool FlushFolder(const std::string& folder) {
  const int fd = OpenRetrying(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return FailErrno();
  FdGuard guard(fd);
  while (::fsync(fd) != 0) {
    if (errno != EINTR) return FailErrno();
  }
  return true;
}

bool TruncateRetrying(int fd) {
  while (::ftruncate(fd, 0) != 0) {
    if (errno != EINTR) return false;
  }
  return true;
}


// Tells the mapper, when it goes, that a change may have been made here, so
// that a batch of lookups open on this thread looks at the host again.
class ChangeNotice {
 public:
  explicit ChangeNotice(const WinePathMapper& mapper) : fMapper(mapper) {}
  ~ChangeNotice() { fMapper.NoteChange(); }
  ChangeNotice(const ChangeNotice&) = delete;
  ChangeNotice& operator=(const ChangeNotice&) = delete;

 private:
  const WinePathMapper& fMapper;
};

}  // namespace

PosixHostEnv::PosixHostEnv(std::string prefix, std::string dataFolder)
    : fMapper(prefix), fRegistry(HiveFile(prefix)), fDataFolder(std::move(dataFolder)) {}

void PosixHostEnv::DebugOutput(std::string_view text) {
  std::string line(text);
  if (line.empty() || line.back() != '\n') line.push_back('\n');
  std::fwrite(line.data(), 1, line.size(), stderr);
  std::fflush(stderr);
}

std::unique_ptr<HostFile> PosixHostEnv::OpenFile(std::string_view windowsPath, const FileOpenOptions& options) {
  const std::string path = HostPath(windowsPath);
  if (path.empty()) {
    Fail(HostFailure::kNotFound);
    return nullptr;
  }
  return OpenHostFile(path, options);
}

std::unique_ptr<HostFile> PosixHostEnv::OpenHostFile(std::string_view hostPath, const FileOpenOptions& options) {
  bool reads = (options.access & kAccessRead) != 0;
  bool writes = (options.access & kAccessWrite) != 0;
  bool create = options.disposition == FileDisposition::kCreateAlways;
  if (create && !writes) {
    Fail(HostFailure::kOther);
    return nullptr;
  }
  const std::string path(hostPath);
  if (path.empty() || path.find('\0') != std::string::npos) {
    Fail(HostFailure::kNotFound);
    return nullptr;
  }
  std::optional<ChangeNotice> changed;
  if (create) changed.emplace(fMapper);

  // Non-blocking so that a FIFO or device cannot stall the open; only regular
  // files get past the type check below, and on a regular file the flag
  // changes nothing more (reads and writes wait for the disk whatever it
  // says; what it means at the open, refusing to wait for another's lease,
  // is what a share mode would refuse too), so it stays.
  const int flags = (writes ? (reads ? O_RDWR : O_WRONLY) : O_RDONLY) | O_CLOEXEC | O_NOCTTY | O_NONBLOCK;
  bool created = false;
  int descriptor = create ? OpenCreating(path.c_str(), flags, &created) : OpenRetrying(path.c_str(), flags);
  if (descriptor < 0) {
    FailErrno();
    return nullptr;
  }
  FdGuard guard(descriptor);

  // The lock comes before the look at the file (flock takes any kind of
  // file without blocking here), so that the size seen is one no writer
  // that honours the lock is still changing; the file keeps it for the
  // caller's first question about its size.
  if (int lock = LockFor(options); lock != 0 && !LockRetrying(descriptor, lock)) {
    FailErrno();
    return nullptr;
  }
  struct stat info {};
  if (::fstat(descriptor, &info) != 0) {
    FailErrno();
    return nullptr;
  }
  if (!S_ISREG(info.st_mode)) {
    Fail(S_ISDIR(info.st_mode) ? HostFailure::kAccessDenied : HostFailure::kOther);
    return nullptr;
  }
  if (writes && !created && HasNoWriteBit(info)) {
    Fail(HostFailure::kReadOnly);
    return nullptr;
  }
  const bool truncate = create && !created;
  if (truncate && !TruncateRetrying(descriptor)) {
    FailErrno();
    return nullptr;
  }
  if (options.randomAccess) ::posix_fadvise(descriptor, 0, 0, POSIX_FADV_RANDOM);
  return std::make_unique<PosixHostFile>(guard.Release(), truncate ? 0 : static_cast<int64_t>(info.st_size));
}

bool PosixHostEnv::RemoveFile(std::string_view windowsPath) {
  const std::string path = HostPath(windowsPath);
  if (path.empty()) return Fail(HostFailure::kNotFound);
  return RemoveHostFile(path);
}

bool PosixHostEnv::RemoveHostFile(std::string_view hostPath) {
  const ChangeNotice changed(fMapper);
  const std::string path(hostPath);
  if (path.empty() || path.find('\0') != std::string::npos) return Fail(HostFailure::kNotFound);
  struct stat info {};
  if (::stat(path.c_str(), &info) == 0) {
    if (S_ISDIR(info.st_mode)) return Fail(HostFailure::kAccessDenied);
    if (S_ISREG(info.st_mode) && HasNoWriteBit(info)) return Fail(HostFailure::kReadOnly);
  }
  return ::unlink(path.c_str()) == 0 || FailErrno();
}

bool PosixHostEnv::ReplaceFile(std::string_view targetPath, std::string_view replacementPath) {
  const ChangeNotice changed(fMapper);
  std::string target = HostPath(targetPath);
  const std::string replacement = HostPath(replacementPath);
  if (target.empty() || replacement.empty()) return Fail(HostFailure::kNotFound);
  struct stat link {};
  if (::lstat(target.c_str(), &link) != 0) return FailErrno();
  if (S_ISLNK(link.st_mode)) {
    char* resolved = ::realpath(target.c_str(), nullptr);
    if (resolved == nullptr) return FailErrno();
    target = resolved;
    std::free(resolved);
  }
  struct stat info {};
  if (::stat(target.c_str(), &info) != 0) return FailErrno();
  if (!S_ISREG(info.st_mode)) return Fail(HostFailure::kAccessDenied);
  struct stat made {};
  if (::stat(replacement.c_str(), &made) != 0) return FailErrno();
  // The owner can only be kept where the host lets this user give files
  // away (root); elsewhere the file was the user's own to begin with.
  if ((made.st_uid != info.st_uid || made.st_gid != info.st_gid) &&
      ::chown(replacement.c_str(), info.st_uid, info.st_gid) != 0 && errno != EPERM)
    return FailErrno();
  if (::chmod(replacement.c_str(), info.st_mode & 07777) != 0) return FailErrno();
  if (::rename(replacement.c_str(), target.c_str()) != 0) return FailErrno();
  FlushFolder(FolderOf(target));
  if (FolderOf(replacement) != FolderOf(target)) FlushFolder(FolderOf(replacement));
  return true;
}

std::unique_ptr<FolderListing> PosixHostEnv::ListFolder(std::string_view windowsFolder) {
  std::string path = HostPath(windowsFolder);
  if (path.empty()) return nullptr;
  return ListHostFolder(path);
}

std::unique_ptr<FolderListing> PosixHostEnv::ListHostFolder(std::string_view hostFolder) {
  std::string path(hostFolder);
  if (path.empty() || path.find('\0') != std::string::npos) {
    Fail(HostFailure::kNotFound);
    return nullptr;
  }
  DIR* dir = ::opendir(path.c_str());
  if (dir == nullptr) {
    FailErrno();
    return nullptr;
  }
  struct stat info {};
  if (::fstat(::dirfd(dir), &info) != 0) {
    ::closedir(dir);
    return nullptr;
  }
  FolderId identity{static_cast<uint64_t>(info.st_dev), static_cast<uint64_t>(info.st_ino)};
  return std::make_unique<PosixFolderListing>(dir, std::move(path), identity);
}

std::unique_ptr<FolderListing> PosixHostEnv::ListSubfolder(const FolderListing& parent, std::string_view name,
                                                           std::string_view windowsFolder) {
  const auto* own = dynamic_cast<const PosixFolderListing*>(&parent);
  if (own == nullptr) return ListFolder(windowsFolder);
  std::unique_ptr<FolderListing> listing = own->OpenSubfolder(name);
  if (listing == nullptr) FailErrno();
  return listing;
}

bool PosixHostEnv::IsReadOnly(const FolderEntry& entry) {
  struct stat info {};
  if (entry.hostPath.empty() || ::stat(entry.hostPath.c_str(), &info) != 0) return false;
  return HasNoWriteBit(info);
}

std::string PosixHostEnv::CanonicalPath(std::string_view windowsPath) {
  const std::string path = HostPath(windowsPath);
  if (path.empty()) return {};
  if (char* resolved = ::realpath(path.c_str(), nullptr)) {
    std::string canonical = fMapper.ToWindows(resolved);
    std::free(resolved);
    return canonical;
  }
  // Not there: its folder's form, then the name as written.
  const size_t slash = path.find_last_of('/');
  const std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
  char* resolved = name.empty() ? nullptr : ::realpath(FolderOf(path).c_str(), nullptr);
  if (resolved == nullptr) return {};
  std::string folder = fMapper.ToWindows(resolved);
  std::free(resolved);
  if (folder.empty()) return {};
  if (folder.back() != '\\') folder.push_back('\\');
  return folder + name;
}

bool PosixHostEnv::MakeHostFolders(std::string_view hostFolder) {
  const ChangeNotice changed(fMapper);
  std::string path(hostFolder);
  while (path.size() > 1 && path.back() == '/') path.pop_back();
  if (path.empty() || path.find('\0') != std::string::npos) return Fail(HostFailure::kNotFound);
  struct stat info {};
  if (::stat(path.c_str(), &info) == 0) return S_ISDIR(info.st_mode) || Fail(HostFailure::kOther);
  // Each folder on the way, from the top; the last one is the whole path.
  for (size_t end = path.find('/', 1);; end = path.find('/', end + 1)) {
    const std::string folder = path.substr(0, end);
    if (::mkdir(folder.c_str(), 0700) != 0) {
      if (errno != EEXIST) return FailErrno();
      if (::stat(folder.c_str(), &info) != 0) return FailErrno();
      if (!S_ISDIR(info.st_mode)) return Fail(HostFailure::kOther);
    }
    if (end == std::string::npos) return true;
  }
}

bool PosixHostEnv::RenameHostFile(std::string_view fromPath, std::string_view toPath) {
  const ChangeNotice changed(fMapper);
  const std::string from(fromPath);
  const std::string to(toPath);
  if (from.empty() || to.empty() || from.find('\0') != std::string::npos || to.find('\0') != std::string::npos)
    return Fail(HostFailure::kNotFound);
  if (::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) != 0) {
    if (errno != EINVAL && errno != ENOSYS) return FailErrno();
    struct stat info {};
    if (::lstat(to.c_str(), &info) == 0) return Fail(HostFailure::kOther);
    if (::rename(from.c_str(), to.c_str()) != 0) return FailErrno();
  }
  FlushFolder(FolderOf(to));
  return true;
}

std::string PosixHostEnv::DefaultPrefix() {
  const char* prefix = std::getenv("WINEPREFIX");
  if (prefix != nullptr && *prefix != '\0') return prefix;
  std::string home = HomeFolder();
  if (home.empty()) return {};
  if (home.back() != '/') home.push_back('/');
  return home + ".wine";
}

std::string PosixHostEnv::DefaultDataFolder() {
  const char* data = std::getenv("XDG_DATA_HOME");
  std::string folder;
  if (data != nullptr && data[0] == '/') {
    folder = data;
  } else {
    folder = HomeFolder();
    if (folder.empty()) return {};
    if (folder.back() != '/') folder.push_back('/');
    folder += ".local/share";
  }
  if (folder.back() != '/') folder.push_back('/');
  return folder + "velt-organizer";
}

}  // namespace platform
