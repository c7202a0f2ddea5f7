#pragma once

#include <cstdint>
#include <string>

namespace platform {

// Identity of a folder on the host (device and inode on POSIX), used to notice
// a walk that comes back to a folder it is already inside.
struct FolderId {
  uint64_t device = 0;
  uint64_t inode = 0;
  bool operator==(const FolderId&) const = default;
  auto operator<=>(const FolderId&) const = default;
};

// One name in a folder listing, spelled as on disk. The listing knows whether
// the name is a folder without asking the host about each file; the read-only
// attribute is found out only when HostEnv::IsReadOnly is asked, since most
// callers need it for few of the names they list.
struct FolderEntry {
  std::string name;
  bool isFolder = false;
  // Opaque to callers: where IsReadOnly finds this entry on the host.
  std::string hostPath;
};

// The entries of one folder, without "." and "..". Entries that cannot be
// examined (dangling links) are left out.
class FolderListing {
 public:
  virtual ~FolderListing() = default;

  // The next entry; false when there is none left.
  virtual bool Next(FolderEntry* entry) = 0;

  // The identity of the listed folder.
  virtual FolderId Identity() const = 0;
};

}  // namespace platform
