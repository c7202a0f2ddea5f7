#include "platform/PosixFolderListing.h"

#include <sys/stat.h>

#include <string_view>
#include <utility>

namespace platform {

PosixFolderListing::PosixFolderListing(DIR* dir, std::string hostFolder, FolderId identity)
    : fDir(dir), fHostFolder(std::move(hostFolder)), fIdentity(identity) {
  if (!fHostFolder.empty() && fHostFolder.back() != '/') fHostFolder.push_back('/');
}

PosixFolderListing::~PosixFolderListing() { ::closedir(fDir); }

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
