#pragma once

#include <dirent.h>

#include <string>

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
  FolderId Identity() const override { return fIdentity; }

 private:
  DIR* fDir;
  std::string fHostFolder;  // ends with "/" unless empty
  FolderId fIdentity;
};

}  // namespace platform
