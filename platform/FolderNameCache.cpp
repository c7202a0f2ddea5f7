#include "platform/FolderNameCache.h"

#include <dirent.h>
#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <ctime>
#include <utility>

namespace platform {

namespace {

// A folder whose times lie this close to (or after) the moment its index was
// built may change again without its times moving. File systems stamp with a
// coarse clock, and FAT keeps modification times to 2 seconds; 3 seconds
// covers both.
constexpr int64_t kRacyWindowNs = int64_t{3} * 1000 * 1000 * 1000;

int64_t Nanoseconds(const struct timespec& time) {
  return static_cast<int64_t>(time.tv_sec) * 1000 * 1000 * 1000 + static_cast<int64_t>(time.tv_nsec);
}

int64_t WallClockNow() {
  struct timespec now {};
  ::clock_gettime(CLOCK_REALTIME, &now);
  return Nanoseconds(now);
}

std::string LowerAscii(std::string_view text) {
  std::string lowered(text);
  for (char& c : lowered) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c + 32);
  }
  return lowered;
}

std::string Join(const std::string& folder, const std::string& name) {
  if (folder.empty() || folder.back() == '/') return folder + name;
  return folder + "/" + name;
}

}  // namespace

FolderNameCache::FolderNameCache(std::size_t capacity, Clock clock)
    : fCapacity(capacity == 0 ? 1 : capacity), fClock(clock != nullptr ? clock : WallClockNow) {}

std::optional<std::string> FolderNameCache::Match(const std::string& folder, std::string_view name) {
  const std::string path = folder.empty() ? std::string(".") : folder;
  std::lock_guard<std::mutex> hold(fMutex);
  const int64_t now = fClock();
  struct stat info {};
  if (::stat(path.c_str(), &info) != 0 || !S_ISDIR(info.st_mode)) return std::nullopt;
  const FolderId id{static_cast<uint64_t>(info.st_dev), static_cast<uint64_t>(info.st_ino)};
  const int64_t modified = Nanoseconds(info.st_mtim);
  const int64_t changed = Nanoseconds(info.st_ctim);

  auto found = fIndexes.find(id);
  const bool trusted = found != fIndexes.end() && found->second.modified == modified &&
                       found->second.changed == changed &&
                       std::max(modified, changed) + kRacyWindowNs < found->second.built;
  if (!trusted) {
    // The folder is new to the cache or changed lately: ask the disk.
    struct stat entry {};
    const std::string own(name);
    if (name != "." && name != ".." && ::lstat(Join(folder, own).c_str(), &entry) == 0) return own;
    if (found == fIndexes.end() && fIndexes.size() >= fCapacity) fIndexes.clear();
    Index fresh;
    fresh.modified = modified;
    fresh.changed = changed;
    fresh.built = now;
    if (!List(path, &fresh)) {
      fIndexes.erase(id);
      return std::nullopt;
    }
    found = fIndexes.insert_or_assign(id, std::move(fresh)).first;
  } else if (found->second.exact.count(std::string(name)) != 0) {
    return std::string(name);
  }
  const auto spelling = found->second.names.find(LowerAscii(name));
  if (spelling == found->second.names.end()) return std::nullopt;
  return spelling->second;
}

void FolderNameCache::Clear() {
  std::lock_guard<std::mutex> hold(fMutex);
  fIndexes.clear();
}

bool FolderNameCache::List(const std::string& path, Index* index) {
  fListings.fetch_add(1, std::memory_order_relaxed);
  DIR* dir = ::opendir(path.c_str());
  if (dir == nullptr) return false;
  for (;;) {
    errno = 0;
    const dirent* entry = ::readdir(dir);
    if (entry == nullptr) break;
    std::string_view name = entry->d_name;
    if (name == "." || name == "..") continue;
    index->exact.emplace(name);
    auto [slot, added] = index->names.try_emplace(LowerAscii(name), name);
    if (!added && name < slot->second) slot->second.assign(name);
  }
  bool complete = errno == 0;
  ::closedir(dir);
  return complete;
}

}  // namespace platform
