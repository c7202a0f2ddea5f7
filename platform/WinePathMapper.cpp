#include "platform/WinePathMapper.h"

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cstdlib>
#include <span>
#include <utility>

namespace platform {

namespace {

bool IsSeparator(char c) { return c == '\\' || c == '/'; }

bool IsAsciiLetter(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }

char LowerAscii(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c; }

std::string JoinHost(const std::string& folder, std::string_view name) {
  if (folder.empty()) return std::string(name);
  std::string joined = folder;
  if (joined.back() != '/') joined.push_back('/');
  joined.append(name);
  return joined;
}

// Splits on both separators, dropping empty components and resolving "." and
// ".." lexically. On a rooted path ".." stops at the root; on a relative one
// the leading ".." components are kept.
std::vector<std::string_view> ResolveComponents(std::string_view path, bool rooted) {
  std::vector<std::string_view> components;
  std::size_t start = 0;
  while (start <= path.size()) {
    std::size_t end = start;
    while (end < path.size() && !IsSeparator(path[end])) ++end;
    std::string_view component = path.substr(start, end - start);
    if (component == "..") {
      if (!components.empty() && components.back() != "..") {
        components.pop_back();
      } else if (!rooted) {
        components.push_back(component);
      }
    } else if (!component.empty() && component != ".") {
      components.push_back(component);
    }
    start = end + 1;
  }
  return components;
}

// The batch of lookups this thread has open, if any; it serves the one mapper
// that opened it. A drive's root is kept per letter ('a' to 'z').
struct Batch {
  const WinePathMapper* mapper = nullptr;
  int depth = 0;
  bool noticesTaken = false;
  std::array<std::optional<std::pair<std::string, FolderId>>, 26> roots;
};
thread_local Batch tBatch;

Batch* BatchOf(const WinePathMapper* mapper) {
  return tBatch.depth > 0 && tBatch.mapper == mapper ? &tBatch : nullptr;
}

}  // namespace

WinePathMapper::WinePathMapper(std::string prefix) : fPrefix(std::move(prefix)) {}

void WinePathMapper::BeginBatch() const {
  if (tBatch.depth++ == 0) tBatch.mapper = this;
}

void WinePathMapper::EndBatch() const {
  if (tBatch.depth > 0 && --tBatch.depth == 0) tBatch = Batch{};
}

void WinePathMapper::NoteChange() const {
  if (Batch* batch = BatchOf(this)) {
    batch->noticesTaken = false;
    batch->roots.fill(std::nullopt);
  }
}

std::string WinePathMapper::Map(std::string_view windowsPath) const { return MapPath(windowsPath, false); }

std::string WinePathMapper::MapPath(std::string_view windowsPath, bool literalFirst, bool* noticesTaken) const {
  if (noticesTaken != nullptr) *noticesTaken = false;
  if (windowsPath.empty() || windowsPath.find('\0') != std::string_view::npos) return {};
  if (windowsPath.size() >= 2 && IsSeparator(windowsPath[0]) && IsSeparator(windowsPath[1])) return {};

  std::string hostPath;
  FolderId rootId;
  std::string_view rest = windowsPath;
  bool rooted = true;
  if (rest.size() >= 2 && IsAsciiLetter(rest[0]) && rest[1] == ':') {
    hostPath = DriveRoot(rest[0], &rootId);
    rest.remove_prefix(2);
  } else if (IsSeparator(rest[0])) {
    hostPath = DriveRoot('c', &rootId);
  } else {
    rooted = false;
  }
  if (rooted && hostPath.empty()) return {};
  // Every name keeps its length however it is spelled on disk, so the host
  // path is at most the root, the rest and a slash.
  hostPath.reserve(hostPath.size() + rest.size() + 2);

  std::vector<std::string_view> components = ResolveComponents(rest, rooted);
  Batch* batch = BatchOf(this);
  std::size_t resolved = 0;
  if (rooted) {
    resolved = fWatched.Resolve(rootId, components, &hostPath,
                                batch != nullptr && batch->noticesTaken ? WatchedFolderNames::Notices::kJustTaken
                                                                        : WatchedFolderNames::Notices::kTake);
    if (batch != nullptr) batch->noticesTaken = true;
  }
  if (noticesTaken != nullptr) *noticesTaken = rooted;
  if (resolved < components.size()) {
    const std::vector<std::string_view> rest(components.begin() + static_cast<std::ptrdiff_t>(resolved),
                                             components.end());
    if (!literalFirst || !AppendLiteral(rest, &hostPath)) AppendMatched(rest, &hostPath);
  }
  if (hostPath.empty()) hostPath.push_back('.');
  // A drive root keeps its slash so that the host follows the drive's link.
  bool wantsSlash = IsSeparator(windowsPath.back()) || (rooted && components.empty());
  if (wantsSlash && hostPath.back() != '/') hostPath.push_back('/');
  return hostPath;
}

std::string WinePathMapper::DriveRoot(char letter, FolderId* id) const {
  if (fPrefix.empty()) return {};
  Batch* batch = BatchOf(this);
  std::optional<std::pair<std::string, FolderId>>* kept =
      batch != nullptr ? &batch->roots[static_cast<size_t>(LowerAscii(letter) - 'a')] : nullptr;
  if (kept != nullptr && kept->has_value()) {
    *id = (*kept)->second;
    return (*kept)->first;
  }
  std::string root = JoinHost(fPrefix, "dosdevices/");
  root.push_back(LowerAscii(letter));
  root.push_back(':');
  struct stat info {};
  if (::stat(root.c_str(), &info) != 0 || !S_ISDIR(info.st_mode)) return {};
  *id = FolderId{static_cast<uint64_t>(info.st_dev), static_cast<uint64_t>(info.st_ino)};
  if (kept != nullptr) *kept = std::make_pair(root, *id);
  return root;
}

void WinePathMapper::AppendMatched(const std::vector<std::string_view>& components, std::string* hostPath) const {
  bool matching = true;
  for (std::string_view component : components) {
    if (matching && component != "..") {
      if (std::optional<std::string> onDisk = MatchEntry(*hostPath, component)) {
        *hostPath = JoinHost(*hostPath, *onDisk);
        continue;
      }
      matching = false;
    }
    *hostPath = JoinHost(*hostPath, component);
  }
}

bool WinePathMapper::AppendLiteral(const std::vector<std::string_view>& components, std::string* hostPath) const {
  std::string literal = *hostPath;
  for (std::string_view component : components) literal = JoinHost(literal, component);
  struct stat info {};
  if (::stat(literal.empty() ? "." : literal.c_str(), &info) != 0) return false;
  *hostPath = std::move(literal);
  return true;
}

std::vector<bool> WinePathMapper::MayHold(std::string_view windowsFolder, const std::vector<std::string>& names) const {
  std::vector<bool> held(names.size(), true);
  bool noticesTaken = false;
  const std::string folder = MapPath(windowsFolder, true, &noticesTaken);
  if (folder.empty()) return held;
  // Names that are not single names may name anything.
  std::vector<std::string_view> single;
  std::vector<std::size_t> at;
  for (size_t i = 0; i < names.size(); ++i) {
    const std::string_view name = names[i];
    if (name.empty() || name == "." || name == ".." ||
        std::any_of(name.begin(), name.end(), [](char c) { return IsSeparator(c) || c == '\0'; }))
      continue;
    single.push_back(name);
    at.push_back(i);
  }
  // No match means no entry by any spelling, its own included: Map keeps
  // the name as written and the host finds nothing there either.
  std::vector<std::optional<std::string>> entries;
  // The notices Resolve applied for the folder serve its names too: the
  // answers are as fresh as the folder's.
  if (fWatched.Match(folder, single, &entries,
                     noticesTaken ? WatchedFolderNames::Notices::kJustTaken : WatchedFolderNames::Notices::kTake)) {
    for (size_t i = 0; i < single.size(); ++i) held[at[i]] = entries[i].has_value();
    return held;
  }
  for (size_t i = 0; i < single.size(); ++i) held[at[i]] = fNames.Match(folder, single[i]).has_value();
  return held;
}

std::optional<std::string> WinePathMapper::MatchEntry(const std::string& folder, std::string_view name) const {
  std::vector<std::optional<std::string>> entries;
  if (fWatched.Match(folder, std::span<const std::string_view>(&name, 1), &entries)) return entries.front();
  return fNames.Match(folder, name);
}

}  // namespace platform

namespace platform {

namespace {

// The host path with every link resolved; for a path that does not exist yet,
// its folder resolved and its name kept. Empty when neither exists.
std::string RealPath(const std::string& path) {
  char* real = ::realpath(path.c_str(), nullptr);
  if (real == nullptr) return {};
  std::string resolved(real);
  std::free(real);
  return resolved;
}

std::string Resolved(const std::string& path) {
  std::string resolved = RealPath(path);
  if (!resolved.empty()) return resolved;
  const std::size_t slash = path.find_last_of('/');
  if (slash == std::string::npos || slash + 1 == path.size()) return {};
  const std::string name = path.substr(slash + 1);
  if (name == "." || name == "..") return {};
  const std::string folder = RealPath(slash == 0 ? std::string("/") : path.substr(0, slash));
  if (folder.empty()) return {};
  return (folder == "/" ? folder : folder + "/") + name;
}

}  // namespace

std::string WinePathMapper::ToWindows(std::string_view hostPath) const {
  if (hostPath.empty() || hostPath.find('\0') != std::string_view::npos) return {};
  std::string absolute(hostPath);
  if (absolute.front() != '/') {
    char* cwd = ::getcwd(nullptr, 0);
    if (cwd == nullptr) return {};
    absolute = std::string(cwd) + "/" + absolute;
    std::free(cwd);
  }
  const std::string target = Resolved(absolute);
  if (target.empty()) return {};

  std::string bestRoot;
  char bestLetter = 0;
  FolderId ignored;
  for (char letter = 'a'; letter <= 'z'; ++letter) {
    const std::string drive = DriveRoot(letter, &ignored);
    if (drive.empty()) continue;
    const std::string root = Resolved(drive);
    if (root.empty()) continue;
    const bool holds = root == "/" || target == root ||
                       (target.compare(0, root.size(), root) == 0 && target[root.size()] == '/');
    if (holds && (bestLetter == 0 || root.size() > bestRoot.size())) {
      bestRoot = root;
      bestLetter = letter;
    }
  }
  if (bestLetter == 0) return {};

  std::string rest = target.substr(bestRoot == "/" ? 1 : bestRoot.size());
  if (rest.find('\\') != std::string::npos) return {};
  std::string windows;
  windows.push_back(static_cast<char>(bestLetter - 'a' + 'A'));
  windows += ":\\";
  for (char c : rest) {
    if (c == '/') {
      if (!windows.empty() && windows.back() != '\\') windows.push_back('\\');
    } else {
      windows.push_back(c);
    }
  }
  return windows;
}

}  // namespace platform
