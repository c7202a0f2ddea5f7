#include "platform/WatchedFolderNames.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/inotify.h>
#include <sys/stat.h>
#include <sys/vfs.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <iterator>
#include <utility>

namespace platform {

namespace {

// What changes a folder's names, and what ends its watch. The kernel adds
// IN_IGNORED (watch removed) and IN_UNMOUNT itself.
constexpr uint32_t kWatchedChanges =
    IN_CREATE | IN_DELETE | IN_MOVED_FROM | IN_MOVED_TO | IN_DELETE_SELF | IN_MOVE_SELF | IN_ONLYDIR;
constexpr uint32_t kNameAdded = IN_CREATE | IN_MOVED_TO;
constexpr uint32_t kNameRemoved = IN_DELETE | IN_MOVED_FROM;
constexpr uint32_t kWatchEnded = IN_DELETE_SELF | IN_MOVE_SELF | IN_UNMOUNT | IN_IGNORED;

// File systems whose every change goes through this kernel, and so is
// noticed: local disks and memory. Network and user-space file systems (NFS,
// SMB, FUSE, 9p) can change from elsewhere without a notice and are left to
// the slower matching.
constexpr unsigned long kNoticedFileSystems[] = {
    0xEF53,      // ext2, ext3, ext4
    0x9123683E,  // btrfs
    0x58465342,  // xfs
    0xF2F52010,  // f2fs
    0x01021994,  // tmpfs
    0x858458F6,  // ramfs
    0x794C7630,  // overlayfs
    0x2FC12FC1,  // zfs
    0xCA451A4E,  // bcachefs
    0x52654973,  // reiserfs
    0x3153464A,  // jfs
    0x3434,      // nilfs2
};

std::string LowerAscii(std::string_view text) {
  std::string lowered(text);
  for (char& c : lowered) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c + 32);
  }
  return lowered;
}

bool EqualIgnoringAsciiCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    char x = a[i];
    char y = b[i];
    if (x >= 'A' && x <= 'Z') x = static_cast<char>(x + 32);
    if (y >= 'A' && y <= 'Z') y = static_cast<char>(y + 32);
    if (x != y) return false;
  }
  return true;
}

void AppendName(std::string* folder, std::string_view name) {
  if (folder->empty() || folder->back() != '/') folder->push_back('/');
  folder->append(name);
}


bool NoticedFileSystem(int descriptor) {
  struct statfs info {};
  if (::fstatfs(descriptor, &info) != 0) return false;
  const auto type = static_cast<unsigned long>(info.f_type) & 0xFFFFFFFFul;
  return std::find(std::begin(kNoticedFileSystems), std::end(kNoticedFileSystems), type) !=
         std::end(kNoticedFileSystems);
}

void AddSpelling(std::unordered_map<std::string, std::vector<std::string>>* spellings, std::string_view name) {
  std::vector<std::string>& spelled = (*spellings)[LowerAscii(name)];
  const auto at = std::lower_bound(spelled.begin(), spelled.end(), name);
  if (at == spelled.end() || *at != name) spelled.emplace(at, name);
}

void RemoveSpelling(std::unordered_map<std::string, std::vector<std::string>>* spellings, std::string_view name) {
  const auto found = spellings->find(LowerAscii(name));
  if (found == spellings->end()) return;
  std::vector<std::string>& spelled = found->second;
  const auto at = std::lower_bound(spelled.begin(), spelled.end(), name);
  if (at != spelled.end() && *at == name) spelled.erase(at);
  if (spelled.empty()) spellings->erase(found);
}

}  // namespace

WatchedFolderNames::WatchedFolderNames(std::size_t capacity) : fCapacity(capacity == 0 ? 1 : capacity) {}

WatchedFolderNames::~WatchedFolderNames() {
  if (fNotices >= 0) ::close(fNotices);
}

std::size_t WatchedFolderNames::Resolve(FolderId rootId, const std::vector<std::string_view>& components,
                                        std::string* hostPath, Notices notices) {
  std::lock_guard<std::mutex> hold(fMutex);
  if (fUnavailable) return 0;
  if (notices == Notices::kTake) TakeNotices();
  // The path is built in place in *hostPath, which holds the root.
  std::string& folder = *hostPath;
  const auto root = fIndexes.find(folder);
  if (root != fIndexes.end() && !(root->second.id == rootId)) ForgetFrom(folder);
  Index* index = Find(folder, &rootId);
  if (index == nullptr) return 0;
  std::size_t i = Walked(rootId, folder, components);
  if (i > 0) {
    folder = fWalk.folders[i - 1];
    index = fWalk.indexes[i - 1];
  }
  for (; i < components.size(); ++i) {
    if (index == nullptr) return i;
    const std::string_view component = components[i];
    const auto spelled = index->spellings.find(LowerAscii(component));
    if (spelled == index->spellings.end()) {
      for (std::size_t rest = i; rest < components.size(); ++rest) AppendName(&folder, components[rest]);
      return components.size();
    }
    const std::vector<std::string>& names = spelled->second;
    const bool exact = std::binary_search(names.begin(), names.end(), component);
    AppendName(&folder, exact ? component : std::string_view(names.front()));
    if (i + 1 < components.size()) {
      index = Find(folder, nullptr);
      if (index != nullptr) {
        fWalk.components.emplace_back(component);
        fWalk.folders.push_back(folder);
        fWalk.indexes.push_back(index);
      }
    }
  }
  return components.size();
}

std::size_t WatchedFolderNames::Walked(FolderId rootId, const std::string& root,
                                       const std::vector<std::string_view>& components) {
  std::size_t held = 0;
  if (fWalk.generation == fGeneration && fWalk.rootId == rootId && fWalk.root == root) {
    const std::size_t most = std::min(components.size(), fWalk.components.size());
    while (held < most && fWalk.components[held] == components[held]) ++held;
  } else {
    fWalk.generation = fGeneration;
    fWalk.rootId = rootId;
    fWalk.root = root;
  }
  fWalk.components.resize(held);
  fWalk.folders.resize(held);
  fWalk.indexes.resize(held);
  return held;
}

bool WatchedFolderNames::Match(const std::string& path, std::span<const std::string_view> names,
                               std::vector<std::optional<std::string>>* entries, Notices notices) {
  std::lock_guard<std::mutex> hold(fMutex);
  if (fUnavailable) return false;
  if (notices == Notices::kTake) TakeNotices();
  std::string folder = path;
  while (folder.size() > 1 && folder.back() == '/') folder.pop_back();
  // Only below an indexed folder: its watch is what tells when the path
  // stops reaching this folder.
  const bool walked = fWalk.generation == fGeneration && !fWalk.folders.empty();
  const Index* index = walked && fWalk.folders.back() == folder ? fWalk.indexes.back() : nullptr;
  if (index == nullptr) {
    const std::size_t slash = folder.find_last_of('/');
    if (fIndexes.find(folder) == fIndexes.end() &&
        (slash == std::string::npos || fIndexes.find(folder.substr(0, slash)) == fIndexes.end()))
      return false;
    Index* found = Find(folder, nullptr);
    if (found == nullptr) return false;
    index = found;
    // A folder just below the walk's last, by a name that folder holds as
    // spelled, extends the walk: the name then resolves to itself.
    if (walked && fWalk.generation == fGeneration && slash != std::string::npos &&
        std::string_view(folder).substr(0, slash) == fWalk.folders.back()) {
      const std::string_view name = std::string_view(folder).substr(slash + 1);
      const auto& parent = fWalk.indexes.back()->spellings;
      const auto spelled = parent.find(LowerAscii(name));
      if (spelled != parent.end() && std::binary_search(spelled->second.begin(), spelled->second.end(), name)) {
        fWalk.components.emplace_back(name);
        fWalk.folders.push_back(folder);
        fWalk.indexes.push_back(found);
      }
    }
  }
  entries->assign(names.size(), std::nullopt);
  for (std::size_t i = 0; i < names.size(); ++i) {
    const auto spelled = index->spellings.find(LowerAscii(names[i]));
    if (spelled == index->spellings.end()) continue;
    const std::vector<std::string>& spellings = spelled->second;
    (*entries)[i] = std::binary_search(spellings.begin(), spellings.end(), names[i]) ? std::string(names[i])
                                                                                      : spellings.front();
  }
  return true;
}

uint64_t WatchedFolderNames::ListingCount() const {
  std::lock_guard<std::mutex> hold(fMutex);
  return fListings;
}

std::size_t WatchedFolderNames::IndexedCount() const {
  std::lock_guard<std::mutex> hold(fMutex);
  return fIndexes.size();
}

void WatchedFolderNames::TakeNotices() {
  if (fNotices < 0) return;
  alignas(struct inotify_event) char buffer[16 * 1024];
  for (;;) {
    const ssize_t got = ::read(fNotices, buffer, sizeof buffer);
    if (got < 0 && errno == EINTR) continue;
    if (got < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) return;
    if (got <= 0) {
      ForgetAll();
      return;
    }
    for (ssize_t at = 0; at + static_cast<ssize_t>(sizeof(struct inotify_event)) <= got;) {
      struct inotify_event notice {};
      std::memcpy(&notice, buffer + at, sizeof notice);
      const char* name = buffer + at + sizeof notice;
      const std::size_t length = ::strnlen(name, notice.len);
      at += static_cast<ssize_t>(sizeof notice + notice.len);
      if (notice.mask & IN_Q_OVERFLOW) {
        ForgetAll();
        return;
      }
      Apply(notice.wd, notice.mask, std::string_view(name, length));
      if (fNotices < 0) return;
    }
  }
}

void WatchedFolderNames::Apply(int watch, uint32_t mask, std::string_view name) {
  const auto folders = fFoldersOfWatch.find(watch);
  if (folders == fFoldersOfWatch.end()) return;
  const std::vector<std::string> paths = folders->second;
  ++fGeneration;
  if (mask & kWatchEnded) {
    for (const std::string& path : paths) ForgetFrom(path);
    return;
  }
  if (name.empty() || !(mask & (kNameAdded | kNameRemoved))) return;
  for (const std::string& path : paths) {
    const auto index = fIndexes.find(path);
    if (index == fIndexes.end()) continue;
    if (mask & kNameAdded) {
      AddSpelling(&index->second.spellings, name);
    } else {
      RemoveSpelling(&index->second.spellings, name);
    }
    ForgetReachedThrough(path, name);
  }
}

WatchedFolderNames::Index* WatchedFolderNames::Find(const std::string& folder, const FolderId* rootId) {
  const auto found = fIndexes.find(folder);
  if (found != fIndexes.end()) return &found->second;
  if (rootId != nullptr ? fUnindexableRoots.count(*rootId) != 0 : fUnindexable.count(folder) != 0) return nullptr;
  Index* learnt = Learn(folder, rootId);
  if (learnt != nullptr || fUnavailable || fNotices < 0) return learnt;
  if (fUnindexable.size() + fUnindexableRoots.size() >= fCapacity) {
    fUnindexable.clear();
    fUnindexableRoots.clear();
  }
  if (rootId != nullptr) {
    fUnindexableRoots.insert(*rootId);
  } else {
    fUnindexable.insert(folder);
  }
  return nullptr;
}

WatchedFolderNames::Index* WatchedFolderNames::Learn(const std::string& folder, const FolderId* rootId) {
  if (folder.empty() || folder.front() != '/') return nullptr;
  if (fNotices < 0) {
    fNotices = ::inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    if (fNotices < 0) {
      // Out of notice queues (a per-user limit): match the slower way from
      // now on rather than ask again on every path.
      fUnavailable = true;
      return nullptr;
    }
  }
  if (fIndexes.size() >= fCapacity) {
    // Start over from the root on the next path: an index is only kept
    // while every folder above it is indexed too.
    ForgetAll();
    return nullptr;
  }

  const int flags = O_RDONLY | O_DIRECTORY | O_CLOEXEC | (rootId != nullptr ? 0 : O_NOFOLLOW);
  const int descriptor = ::open(folder.c_str(), flags);
  if (descriptor < 0) return nullptr;
  struct stat info {};
  const bool usable = ::fstat(descriptor, &info) == 0 && NoticedFileSystem(descriptor);
  const FolderId id{static_cast<uint64_t>(info.st_dev), static_cast<uint64_t>(info.st_ino)};
  if (!usable || (rootId != nullptr && !(id == *rootId))) {
    ::close(descriptor);
    return nullptr;
  }
  // Through the descriptor, so that the folder watched is the folder listed.
  const std::string self = "/proc/self/fd/" + std::to_string(descriptor);
  const int watch = ::inotify_add_watch(fNotices, self.c_str(), kWatchedChanges);
  if (watch < 0) {
    // Out of watches (a per-user limit): the same for every folder.
    if (errno == ENOSPC) fUnavailable = true;
    ::close(descriptor);
    return nullptr;
  }
  std::vector<std::string>& watchedAs = fFoldersOfWatch[watch];
  watchedAs.push_back(folder);

  ++fListings;
  Index index;
  index.watch = watch;
  index.id = id;
  DIR* listing = ::fdopendir(descriptor);
  bool complete = listing != nullptr;
  if (listing == nullptr) ::close(descriptor);
  while (complete) {
    errno = 0;
    const dirent* entry = ::readdir(listing);
    if (entry == nullptr) {
      complete = errno == 0;
      break;
    }
    const std::string_view name = entry->d_name;
    if (name != "." && name != "..") AddSpelling(&index.spellings, name);
  }
  if (listing != nullptr) ::closedir(listing);
  auto placed = fIndexes.insert_or_assign(folder, std::move(index)).first;
  if (!complete) {
    Forget(placed);
    return nullptr;
  }
  return &placed->second;
}

void WatchedFolderNames::ForgetFrom(const std::string& folder) {
  const std::string below = folder.back() == '/' ? folder : folder + "/";
  fUnindexable.erase(folder);
  for (auto at = fUnindexable.lower_bound(below);
       at != fUnindexable.end() && at->compare(0, below.size(), below) == 0;) {
    at = fUnindexable.erase(at);
  }
  auto at = fIndexes.lower_bound(below);
  while (at != fIndexes.end() && at->first.compare(0, below.size(), below) == 0) {
    const auto next = std::next(at);
    Forget(at);
    at = next;
  }
  const auto own = fIndexes.find(folder);
  if (own != fIndexes.end()) Forget(own);
}

void WatchedFolderNames::ForgetReachedThrough(const std::string& folder, std::string_view name) {
  const std::string below = folder.back() == '/' ? folder : folder + "/";
  std::vector<std::string> reached;
  for (auto at = fIndexes.lower_bound(below); at != fIndexes.end() && at->first.compare(0, below.size(), below) == 0;
       ++at) {
    const std::string_view rest = std::string_view(at->first).substr(below.size());
    const std::string_view first = rest.substr(0, rest.find('/'));
    if (EqualIgnoringAsciiCase(first, name)) reached.push_back(at->first);
  }
  for (auto at = fUnindexable.lower_bound(below); at != fUnindexable.end() && at->compare(0, below.size(), below) == 0;
       ++at) {
    const std::string_view rest = std::string_view(*at).substr(below.size());
    if (EqualIgnoringAsciiCase(rest.substr(0, rest.find('/')), name)) reached.push_back(*at);
  }
  for (const std::string& path : reached) ForgetFrom(path);
}

void WatchedFolderNames::Forget(std::map<std::string, Index>::iterator index) {
  const int watch = index->second.watch;
  const auto folders = fFoldersOfWatch.find(watch);
  if (folders != fFoldersOfWatch.end()) {
    std::vector<std::string>& paths = folders->second;
    paths.erase(std::remove(paths.begin(), paths.end(), index->first), paths.end());
    if (paths.empty()) {
      fFoldersOfWatch.erase(folders);
      if (fNotices >= 0) ::inotify_rm_watch(fNotices, watch);
    }
  }
  fIndexes.erase(index);
  ++fGeneration;
}

void WatchedFolderNames::ForgetAll() {
  // Closing the queue removes every watch and every notice still queued.
  if (fNotices >= 0) ::close(fNotices);
  fNotices = -1;
  fIndexes.clear();
  ++fGeneration;
  fFoldersOfWatch.clear();
  fUnindexable.clear();
  fUnindexableRoots.clear();
}

}  // namespace platform
