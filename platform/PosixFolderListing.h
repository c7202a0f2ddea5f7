#pragma once

#include <dirent.h>

#include <memory>
#include <string>
#include <string_view>

#include "platform/FolderListing.h"

namespace platform {

// A listing over an open POSIX directory stream. Whether an entry is a folder
// comes from the directory entry's type where the file system reports it; only
// links and entries of unknown type are looked up (following links, so a link
// to a folder lists as a folder and a dangling link is left out).
class PosixFolderListing : public FolderListing {
 public:
  // Takes ownership of `dir`, the open stream of host folder `hostFolder`.
  PosixFolderListing(DIR* dir, std::string hostFolder, FolderId identity);
  ~PosixFolderListing() override;
  PosixFolderListing(const PosixFolderListing&) = delete;
  PosixFolderListing& operator=(const PosixFolderListing&) = delete;

  bool Next(FolderEntry* entry) override;

  // Lists the subfolder `name` of this folder, opened relative to this open
  // folder (links followed); null, with errno set, when it cannot be listed.
  std::unique_ptr<PosixFolderListing> OpenSubfolder(std::string_view name) const;
  FolderId Identity() const override { return fIdentity; }

 private:
  DIR* fDir;
  std::string fHostFolder;  // ends with "/" unless empty
  FolderId fIdentity;
};

}  // namespace platform
