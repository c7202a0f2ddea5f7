#pragma once

#include <string>

#include "platform/FolderListing.h"

namespace platform {

// A listing over a FindFirstFileExW search. Whether an entry is a folder comes
// with the search; only links (reparse points) are looked up, following them,
// so that a link to a folder lists as a folder and a dangling link is left out.
class Win32FolderListing : public FolderListing {
 public:
  struct Found {
    std::wstring name;
    unsigned long attributes = 0;
  };

  // Takes ownership of the search `find` (null for a folder with no entries
  // at all), whose first result is `first`, in host folder `hostFolder`.
  Win32FolderListing(void* find, Found first, std::string hostFolder, FolderId identity);
  ~Win32FolderListing() override;
  Win32FolderListing(const Win32FolderListing&) = delete;
  Win32FolderListing& operator=(const Win32FolderListing&) = delete;

  bool Next(FolderEntry* entry) override;
  FolderId Identity() const override { return fIdentity; }

 private:
  // The next search result; false at the end.
  bool NextFound(Found* found);

  void* fFind;
  Found fPending;
  bool fHasPending;
  std::string fHostFolder;  // ends with a separator unless empty
  FolderId fIdentity;
};

}  // namespace platform
