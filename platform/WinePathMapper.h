#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/FolderListing.h"
#include "platform/FolderNameCache.h"
#include "platform/WatchedFolderNames.h"

namespace platform {

// Maps Windows-style paths onto the host through a Wine prefix:
//
//   "C:\Games\The Velt\GameData"  ->  <prefix>/dosdevices/c:/Games/The Velt/GameData
//   "\Windows"                    ->  <prefix>/dosdevices/c:/Windows
//   "..\Downloads\"               ->  ../Downloads/   (relative to the current folder)
//
// A drive letter (either case) goes through <prefix>/dosdevices/<letter>:, the
// link Wine keeps for every drive; "C:foo" counts as "C:\foo". "\" and "/" both
// separate, empty components are ignored, "." and ".." are resolved lexically
// before the host sees the path ("..", at a drive root, stays there). A trailing
// separator is kept. Each component after the drive that does not exist with
// its exact spelling is matched without regard to ASCII case against its
// parent folder; one with no match, and everything after it, stays as written.
// Folders below a drive's root are indexed once and kept exact by the
// kernel's change notices (WatchedFolderNames), so mapping a path whose
// folders are indexed costs one look at the drive root and no more. Where
// that cannot be done (a link below the root, a network file system), each
// folder matched against is indexed and reused while its times show it
// unchanged (FolderNameCache). Safe to use from several threads.
class WinePathMapper {
 public:
  explicit WinePathMapper(std::string prefix);

  // Empty when the path names nothing the host can reach: an empty path, an
  // unknown drive, a UNC or "\\?\" path, a path holding a NUL character.
  std::string Map(std::string_view windowsPath) const;

  // The other way: the Windows-style path of a host path, through the drive
  // whose folder (links resolved) holds it most closely ("/tmp/x" is
  // "Z:\tmp\x" when z: leads to "/"). Relative paths start from the current
  // folder. Empty when no drive reaches the path, or when a name in it holds a
  // backslash, which a Windows-style path cannot carry.
  std::string ToWindows(std::string_view hostPath) const;

  // For each of `names`, whether Map of `windowsFolder` followed by it may
  // name an entry: false only when the folder holds nothing by that name in
  // any spelling Map accepts. Names that are not single names ("", ".",
  // "..", or holding a separator) may name anything. The folder is mapped
  // once for all the names, and without a look at each of its names when it
  // exists as written (see MapPath).
  std::vector<bool> MayHold(std::string_view windowsFolder, const std::vector<std::string>& names) const;

  // A batch of lookups on this thread (see HostEnv::BeginLookups): inside
  // it, each drive's root is looked at once and the watched indexes apply
  // their queued notices once, at the first path that needs them.
  // NoteChange, after a change made through this mapper's environment, has
  // the next lookup look again.
  void BeginBatch() const;
  void EndBatch() const;
  void NoteChange() const;

  const std::string& prefix() const { return fPrefix; }

  // How many folders have been listed to match names, for tests and benchmarks.
  uint64_t FolderListingCount() const { return fNames.ListingCount() + fWatched.ListingCount(); }
  // How many folders are indexed and watched now, for tests.
  std::size_t WatchedFolderCount() const { return fWatched.IndexedCount(); }

 private:
  // The host folder a drive letter leads to, and its identity; empty for an
  // unknown drive.
  std::string DriveRoot(char letter, FolderId* id) const;

  // Map, or with `literalFirst` the path as written when the host finds it:
  // every name then exists with its own spelling, which matching keeps, so
  // the answer is Map's at the cost of one look instead of one per name.
  // `noticesTaken`, when given, tells whether the watched indexes applied
  // their queued notices for this path.
  std::string MapPath(std::string_view windowsPath, bool literalFirst, bool* noticesTaken = nullptr) const;

  // Appends the components to `hostPath` as written, when the host finds the
  // whole; false (nothing appended) when it does not.
  bool AppendLiteral(const std::vector<std::string_view>& components, std::string* hostPath) const;

  // Appends the components to `hostPath`, each with its on-disk spelling where
  // one differs only in case.
  void AppendMatched(const std::vector<std::string_view>& components, std::string* hostPath) const;

  // The entry of `folder` ("" for the current folder) whose name equals `name`
  // without regard to ASCII case; the first in byte order when several do.
  std::optional<std::string> MatchEntry(const std::string& folder, std::string_view name) const;

  std::string fPrefix;
  mutable WatchedFolderNames fWatched;
  mutable FolderNameCache fNames;
};

}  // namespace platform
