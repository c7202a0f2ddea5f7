#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <set>
#include <string_view>
#include <vector>

#include "filesystem/CTGString.h"
#include "filesystem/FSEntry.h"
#include "filesystem/FSFile.h"
#include "filesystem/FSFind.h"
#include "platform/FolderListing.h"
#include "platform/HostFile.h"

// The layer every file of the organizer is listed, opened, created and deleted
// through. It keeps a catalogue of mounted folders and their entries, taken
// from disk listings and from the members of archives found in those folders
// (an archive member is addressed as the archive's folder followed by the
// member's name). Whatever is not catalogued goes straight to the disk, so on
// an instance with nothing mounted (gFileSystem) every operation is a plain
// disk operation.
//
// Paths are Windows-style ("c:\x\chair.iff", "/" also separates). Catalogue
// keys are lower case with "\" separators; a folder key ends with "\". Every
// host call goes through platform::HostEnv::Current().
//
// Used from one thread. The lock only serialises the seek-and-read pairs of
// archive members, which share their archive's handle.
class FileSystem {
 public:
  using Catalogue = std::map<CTGString, FSFolderTable>;

  FileSystem();
  // Closes every archive still open.
  ~FileSystem();
  FileSystem(const FileSystem&) = delete;
  FileSystem& operator=(const FileSystem&) = delete;

  // Catalogues one disk folder ("\" is added when the path lacks it; an empty
  // path mounts nothing): its files and subfolders, and with `withArchives` the
  // members of the archives in it (archive files themselves get no entry;
  // without `withArchives` they are left out). With `recursive` the subfolders
  // are mounted too, each host folder once however many links lead to it. A
  // folder that cannot be listed is left out, and so is a name whose path
  // would be longer than kMaxPathLength. Always true.
  //
  // Names that differ only in letter case (possible on a case-sensitive
  // host) share one key; the entry keeps one of them, the same whatever
  // order the host lists them in:
  //   - between files, a writable one over a read-only one, then the one
  //     spelled in lower case, then the first in byte order. Its writable
  //     flag is its own, and when the lower-case path would reach another of
  //     them, FSFind::PathName spells it as on disk, so opening that path
  //     opens exactly the file the entry describes;
  //   - where a folder is one of them, the one the lower-case path reaches:
  //     spelled in lower case, else the first in byte order. Folders are
  //     always walked by their lower-case path.
  bool Mount(const CTGString& folder, bool recursive, bool withArchives);
  // Catalogues one folder level, as Mount without `recursive` does, from a
  // listing of it that the caller opened (a walk that lists each subfolder
  // through its parent's open listing). The listing is read to its end and
  // stays the caller's. False when nothing is catalogued: an empty path, or
  // a path too long for the catalogue.
  bool MountListing(const CTGString& folder, platform::FolderListing& listing, bool withArchives);
  // Catalogues the members of one archive as read-only files of its folder.
  // False when the archive cannot be opened (with a debugger message), is
  // mounted already, or its directory cannot be read to the end (the members
  // read before that stay catalogued).
  bool MountArchive(const CTGString& archivePath);

  // True when the normalised path is a catalogued folder key ("c:\x\").
  bool IsFolder(const CTGString& path) const;
  // Finds a file path's entry; stores its address in `entry` when given.
  bool Lookup(const CTGString& path, FSEntry** entry = nullptr);
  // The table of a catalogued folder, or null.
  FSFolderTable* FolderEntries(const CTGString& folder);

  // Starts a search for the names of one catalogued folder that match the
  // pattern part of `patternPath` ("c:\x\*.iff"), in byte order of their lower
  // case names, ignoring case. False, with nothing to continue, when the path
  // has no folder part, the folder is not catalogued or nothing matches.
  bool FindFirst(const CTGString& patternPath, FSFind* find);
  // The next match; false at the end.
  bool FindNext(FSFind* find);

  // Opens a file; null on failure. Archive members open read-only (null when
  // asked for writing). Everything else opens the caller's path on the disk,
  // read-write and exclusive of other writers, or read-only; files above
  // 2 GiB are refused.
  FSFile* Open(const CTGString& path, bool forWriting);
  // Closes and frees a file from Open. Null is ignored.
  void Close(FSFile* file);
  // Creates an empty disk file, or truncates an existing one that is not
  // catalogued. A catalogued name is never created over.
  bool Create(const CTGString& path);
  // Deletes a disk file. Archive members cannot be deleted.
  bool Delete(const CTGString& path);

  // A file that is to take the place of another in one step is first written
  // in full beside it, under the other's name followed by this suffix (which
  // no listing of object files takes for one). A program that stops before
  // the step leaves it behind; the next replacement writes over it.
  static constexpr const char* kReplacementSuffix = ".velt-save";
  // Makes (or empties) the replacement file beside a disk file that is open
  // for writing, open for writing and shut to every other open. Null when it
  // cannot be made, or for an archive member or a read-only open.
  FSFile* OpenReplacement(const FSFile& file);
  // Puts the replacement in the file's place in one step (the host's
  // replace): on success `file` reads and writes what was the replacement,
  // under its own name, and `replacement` is closed and freed. On failure
  // nothing changes, and the replacement stays open for Discard.
  bool Replace(FSFile* file, FSFile* replacement);
  // Closes a replacement that is not wanted and removes its file.
  void Discard(FSFile* replacement);
  // True for catalogued names (members and folders included) and for disk files
  // that can be opened.
  bool Exists(const CTGString& path);
  // Closes every archive and empties the catalogue. Files opened on members and
  // searches must be finished before.
  void CloseArchives();

  // "/" becomes "\" and ASCII capitals are lowered; nothing else changes.
  static CTGString NormalizePath(const CTGString& path);
  // Lowers a copy of at most kMaxPathLength characters of the path (cut at a
  // zero byte), turns "/" into "\", and splits it after its last "\": the
  // folder ends with "\" (empty when there is none), the name is the rest.
  // False when the copy is not the whole path. The catalogue holds no path
  // longer than kMaxPathLength, and refuses such paths rather than answer
  // for their cut form: lookups miss them (so opening, testing and deleting
  // go to the disk with the whole path) and searches find nothing.
  static bool SplitFolderName(const CTGString& path, CTGString* folder, CTGString* name);
  // Matches a name against a pattern of "*" (any run), "?" (any one character)
  // and plain characters. "*" matches every name, "*.*" only names holding a
  // dot; a run of two or more "*" at the end needs at least one character.
  // Without caseSensitive, ASCII letters match either case, and a name or
  // pattern longer than kMaxWildcardLength characters matches nothing.
  static bool MatchWildcard(const CTGString& name, const CTGString& pattern, bool caseSensitive);
  // An archive is recognised by its name alone: it ends in "far", any case.
  static bool IsArchiveName(const CTGString& name);

  static constexpr int32_t kMaxPathLength = 259;
  static constexpr int32_t kMaxWildcardLength = 511;

  const Catalogue& GetCatalogue() const { return fCatalogue; }

  // The host's identity of a folder this instance listed, so that a walk over
  // folders can notice a link back into a folder it is already inside. False
  // for folders that were not listed from the disk.
  bool MountedIdentity(const CTGString& folder, platform::FolderId* id) const;

 private:
  friend class FSFile;

  // Lists `folder` (through `parent`, where it is listed as `spelling`, when
  // given) and catalogues it, and with `recursive` its subfolders.
  void MountFolder(const CTGString& folder, const platform::FolderListing* parent, std::string_view spelling,
                   bool recursive, bool withArchives, std::set<platform::FolderId>* walked);
  // Catalogues the entries of `listing` as folder key `folder`; false (and
  // nothing catalogued) when `walked` holds its identity already.
  bool CatalogueListing(const CTGString& folder, platform::FolderListing& listing, bool withArchives,
                        std::set<platform::FolderId>* walked);
  // Whether disk name `spelling` (key `key`, listed as `listed`) takes the
  // key from `holder`, the entry of an earlier name in byte order spelled
  // `holderSpelling` that differs from it only in case.
  static bool TakesTwinsPlace(const CTGString& key, const CTGString& spelling, const platform::FolderEntry& listed,
                              const CTGString& holderSpelling, const FSEntry& holder);
  // Registers the folders enclosing member folder `folder` in the catalogued
  // folders above it.
  void RegisterMemberFolders(const CTGString& folder);
  // Moves the search's cursor to the first match at or after it.
  bool SettleOnMatch(FSFind* find);
  std::mutex& Lock() { return fLock; }

  Catalogue fCatalogue;
  // Normalised archive path -> the archive's open handle, which its members
  // borrow.
  std::map<CTGString, std::unique_ptr<platform::HostFile>> fArchives;
  // Folder key -> identity of the disk folder listed under it.
  std::map<CTGString, platform::FolderId> fFolderIds;
  std::mutex fLock;
};

// The process-wide instance. Nothing mounts into it, so its operations go
// straight to the disk.
extern FileSystem gFileSystem;
