#pragma once

#include <cstddef>
#include <cstdint>
#include <map>
#include <mutex>
#include <optional>
#include <set>
#include <span>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "platform/FolderListing.h"

namespace platform {

// Name indexes of the host folders below a drive's root, kept exact by the
// kernel's change notices (inotify) instead of by looking at each folder
// again, so that a path whose folders are all indexed is matched without a
// single host call. Each index holds a folder's names, and for each name
// lowered in ASCII its on-disk spellings in byte order.
//
// Why an index stays exact:
//   - the folder listed is the folder watched: the watch is placed through the
//     listing's own descriptor, before the listing is read. Every entry
//     created, deleted or renamed in the folder after that queues a notice
//     before the call that made the change returns, and the queue is applied
//     before every answer. For each name, the last notice about it says
//     whether it is there, so notices that came before the listing was read
//     do no harm.
//   - a notice about a name drops the indexes of every folder reached through
//     a name equal to it without regard to case (what such a path reaches may
//     have changed), and a watched folder that is deleted, moved away or
//     unmounted drops its own index and every one below it. So a folder is
//     only ever indexed while all the folders above it, up to the root, are.
//   - the root (the folder a drive's link leads to) is the one folder reached
//     through links and through folders that are not watched (the prefix and
//     above). The caller hands in the root's identity as the host gives it
//     for each path; a root that is another folder now drops everything
//     below it.
//   - below the root, only real folders (not links) on file systems whose
//     changes are all seen by this kernel are indexed. A link, a network file
//     system, a watch the kernel refuses, or a path too deep for
//     kMaxIndexedFolders stops the walk there, and the caller matches the
//     rest its own way.
//   - a lost notice (the queue overflowed, or could not be read) drops
//     everything.
// Not seen: a file system mounted over a folder after it was indexed.
//
// Safe to use from several threads.
class WatchedFolderNames {
 public:
  // Indexes kept at most; all are dropped when another would not fit.
  static constexpr std::size_t kMaxIndexedFolders = 4096;

  explicit WatchedFolderNames(std::size_t capacity = kMaxIndexedFolders);
  ~WatchedFolderNames();
  WatchedFolderNames(const WatchedFolderNames&) = delete;
  WatchedFolderNames& operator=(const WatchedFolderNames&) = delete;

  // Appends `components` to `hostPath`, which is a drive's root that the host
  // just identified as `rootId`, each spelled as the matching entry of its
  // folder: the name itself when that exists, otherwise the first entry in
  // byte order that equals it without regard to ASCII case. A component
  // that matches nothing is appended as written, and so is every one after
  // it. Returns how many components were appended: fewer than all when a
  // folder on the way has no index and cannot get one, and the caller goes
  // on from there.
  // Whether a call applies the queued notices first, or its caller has just
  // had them applied for the same question (a batch of lookups, see
  // WinePathMapper::BeginBatch).
  enum class Notices { kTake, kJustTaken };

  std::size_t Resolve(FolderId rootId, const std::vector<std::string_view>& components, std::string* hostPath,
                      Notices notices = Notices::kTake);

  // For a folder that Resolve reached (or one below an indexed folder): true
  // when it is indexed, with in `entries` what each of `names` means there
  // (nothing for a name no entry matches). False when the folder has no
  // index and cannot get one.
  bool Match(const std::string& folder, std::span<const std::string_view> names,
             std::vector<std::optional<std::string>>* entries, Notices notices = Notices::kTake);

  // How many folders have been listed to index them, for tests and benchmarks.
  uint64_t ListingCount() const;
  // How many folders are indexed now.
  std::size_t IndexedCount() const;

 private:
  struct Index {
    int watch = -1;
    FolderId id;
    // Lowered name -> its on-disk spellings, in byte order.
    std::unordered_map<std::string, std::vector<std::string>> spellings;
  };

  // Applies every queued notice.
  void TakeNotices();
  void Apply(int watch, uint32_t mask, std::string_view name);

  // The index of `folder`, listing and watching it when it has none: with
  // `rootId` following links and only when the folder is that one, otherwise
  // only when it is a real folder. Null when it cannot be indexed.
  Index* Find(const std::string& folder, const FolderId* rootId);
  Index* Learn(const std::string& folder, const FolderId* rootId);

  // Drops the index of `folder` and every index below it.
  void ForgetFrom(const std::string& folder);
  // Drops the indexes of the folders below `folder` whose first name below it
  // equals `name` without regard to ASCII case, and everything below those.
  void ForgetReachedThrough(const std::string& folder, std::string_view name);
  void Forget(std::map<std::string, Index>::iterator index);
  // Drops every index and every watch.
  void ForgetAll();

  // The folders the last resolved path went through, each with its index:
  // most paths asked one after another share their first folders, and the
  // next one that starts with the same components as asked continues from
  // there. Good while fGeneration, which every change to an index and every
  // index dropped moves on, is what it was when the walk was made.
  struct Walk {
    uint64_t generation = 0;
    FolderId rootId;
    std::string root;
    std::vector<std::string> components;
    std::vector<std::string> folders;
    std::vector<Index*> indexes;
  };
  // The walk, emptied and started at `root` unless it is good and starts
  // there; how many of `components` it already holds.
  std::size_t Walked(FolderId rootId, const std::string& root, const std::vector<std::string_view>& components);

  std::size_t fCapacity;
  mutable std::mutex fMutex;
  uint64_t fGeneration = 1;
  Walk fWalk;
  int fNotices = -1;
  bool fUnavailable = false;
  uint64_t fListings = 0;
  std::map<std::string, Index> fIndexes;
  std::unordered_map<int, std::vector<std::string>> fFoldersOfWatch;
  // Folders found not to be indexable (a link, a file, a file system whose
  // changes are not all seen), so that every path through them does not try
  // again. Forgotten as indexes are, and with no harm when out of date: such
  // a folder is only matched the slower way.
  std::set<std::string> fUnindexable;
  std::set<FolderId> fUnindexableRoots;
};

}  // namespace platform
