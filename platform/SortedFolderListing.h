#pragma once

#include <cstddef>
#include <vector>

#include "platform/FolderListing.h"

namespace platform {

// A folder's entries in plain byte order of their names (unsigned bytes, a
// name that is a prefix of another first) instead of the order the host's
// directory happens to keep. Whatever depends on which of two names comes
// first (which archive supplies a member name both hold, which case twin is
// met first, the order of a folder's resource types) then gives the same
// answer for the same folder on every machine and file system.
//
// Hosts list in their own order (and test environments may list in any), so
// the callers whose answers depend on it read their listings through this.
// The listing is read to its end when this is made, and stays the caller's
// (a walk may still open subfolders through it).
class SortedFolderListing : public FolderListing {
 public:
  explicit SortedFolderListing(FolderListing& listing);

  bool Next(FolderEntry* entry) override;
  FolderId Identity() const override { return fIdentity; }

 private:
  std::vector<FolderEntry> fEntries;
  std::size_t fNext = 0;
  FolderId fIdentity;
};

}  // namespace platform
