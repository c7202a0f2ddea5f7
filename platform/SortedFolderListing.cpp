#include "platform/SortedFolderListing.h"

#include <algorithm>
#include <utility>

namespace platform {

SortedFolderListing::SortedFolderListing(FolderListing& listing) : fIdentity(listing.Identity()) {
  FolderEntry entry;
  while (listing.Next(&entry)) fEntries.push_back(std::move(entry));
  // std::string compares its characters as unsigned bytes.
  std::sort(fEntries.begin(), fEntries.end(),
            [](const FolderEntry& a, const FolderEntry& b) { return a.name < b.name; });
}

bool SortedFolderListing::Next(FolderEntry* entry) {
  if (fNext >= fEntries.size()) return false;
  *entry = std::move(fEntries[fNext++]);
  return true;
}

}  // namespace platform
