#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <map>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <unordered_set>

#include "platform/FolderListing.h"

namespace platform {

// Answers "which entry of this host folder does this name mean?" (the name's
// own spelling when it exists, otherwise the first spelling in byte order that
// equals it ignoring ASCII case) without listing the folder on every question,
// and without asking the host about the name either: one look at the folder's
// times answers it. Each folder listed is indexed (its exact names, and
// ASCII-lowered name -> the first on-disk spelling in byte order) and kept with
// the folder's modification and change times. An index is used only
// while both times are unchanged and lie clearly before the moment the index
// was built; a folder changed within the file system's timestamp granularity
// of that moment could change again without its times moving, so such an index
// is rebuilt on every question until the folder has been quiet long enough.
// Every entry added, removed or renamed moves its folder's modification time,
// so every answer is the one a fresh listing would give.
//
// Folders are keyed by device and inode, so two paths to one folder share an
// index and a relative path stays right when the current folder changes.
// Safe to use from several threads.
class FolderNameCache {
 public:
  static constexpr std::size_t kDefaultCapacity = 512;

  // Wall-clock time in nanoseconds since the epoch.
  using Clock = int64_t (*)();

  // Holds at most `capacity` folders, forgetting all of them when a new one
  // would not fit. `clock` (the real clock when null) lets tests make folders
  // look quiet without waiting.
  explicit FolderNameCache(std::size_t capacity = kDefaultCapacity, Clock clock = nullptr);
  FolderNameCache(const FolderNameCache&) = delete;
  FolderNameCache& operator=(const FolderNameCache&) = delete;

  // The entry of `folder` ("" for the current folder) that `name` means: `name`
  // itself when it exists, otherwise the entry whose name equals it without
  // regard to ASCII case (the first in byte order when several do). Nothing
  // when there is none or the folder cannot be reached.
  std::optional<std::string> Match(const std::string& folder, std::string_view name);

  // How many folder listings this cache has made, for tests and benchmarks.
  uint64_t ListingCount() const { return fListings.load(std::memory_order_relaxed); }

  // Forgets every index.
  void Clear();

 private:
  struct Index {
    int64_t modified = 0;  // folder mtime, nanoseconds since the epoch
    int64_t changed = 0;   // folder ctime
    int64_t built = 0;     // wall clock just before the folder was examined
    std::unordered_set<std::string> exact;
    std::unordered_map<std::string, std::string> names;  // by lowered name
  };

  // Lists `path` into `index->names`; false when the listing fails.
  bool List(const std::string& path, Index* index);

  std::size_t fCapacity;
  Clock fClock;
  std::mutex fMutex;
  std::map<FolderId, Index> fIndexes;
  std::atomic<uint64_t> fListings{0};
};

}  // namespace platform
