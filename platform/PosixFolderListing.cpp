#include "platform/PosixFolderListing.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include <string_view>
#include <utility>

namespace platform {

PosixFolderListing::PosixFolderListing(DIR* dir, std::string hostFolder, FolderId identity)
    : fDir(dir), fHostFolder(std::move(hostFolder)), fIdentity(identity) {
  if (!fHostFolder.empty() && fHostFolder.back() != '/') fHostFolder.push_back('/');
}

PosixFolderListing::~PosixFolderListing() { ::closedir(fDir); }

std::unique_ptr<PosixFolderListing> PosixFolderListing::OpenSubfolder(std::string_view name) const {
  if (name.empty() || name == "." || name == ".." || name.find('/') != std::string_view::npos ||
      name.find('\0') != std::string_view::npos) {
    errno = ENOENT;
    return nullptr;
  }
  const std::string own(name);
  const int fd = ::openat(::dirfd(fDir), own.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return nullptr;
  struct stat info {};
  if (::fstat(fd, &info) != 0) {
    const int saved = errno;
    ::close(fd);
    errno = saved;
    return nullptr;
  }
  DIR* dir = ::fdopendir(fd);
  if (dir == nullptr) {
    const int saved = errno;
    ::close(fd);
    errno = saved;
    return nullptr;
  }
  const FolderId identity{static_cast<uint64_t>(info.st_dev), static_cast<uint64_t>(info.st_ino)};
  return std::make_unique<PosixFolderListing>(dir, fHostFolder + own, identity);
}

bool PosixFolderListing::Next(FolderEntry* entry) {
  while (const dirent* found = ::readdir(fDir)) {
    std::string_view name = found->d_name;
    if (name == "." || name == ".." || name.empty()) continue;
    std::string hostPath = fHostFolder + std::string(name);
    bool isFolder = false;
    if (found->d_type == DT_DIR) {
      isFolder = true;
    } else if (found->d_type != DT_REG) {
      struct stat info {};
      if (::stat(hostPath.c_str(), &info) != 0) continue;
      isFolder = S_ISDIR(info.st_mode);
    }
    entry->name.assign(name);
    entry->isFolder = isFolder;
    entry->hostPath = std::move(hostPath);
    return true;
  }
  return false;
}

}  // namespace platform
