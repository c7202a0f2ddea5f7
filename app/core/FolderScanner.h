#pragma once

#include <cstdint>
#include <set>
#include <string_view>

#include "msrc/Util/StringBuffer.h"

#include "platform/FolderListing.h"

class FSFind;

// Walks a folder and all its subfolders through the file-system layer and
// reports every file to FoundFile. Each folder level is catalogued by a
// short-lived FileSystem instance of its own (with the members of the archives
// in it), so the paths reported are the catalogue's: lower case, "\"
// separated.
class FolderScanner {
 public:
  FolderScanner() = default;
  virtual ~FolderScanner();
  FolderScanner(const FolderScanner&) = delete;
  FolderScanner& operator=(const FolderScanner&) = delete;

  // Paths hold at most this many characters, the terminator included.
  static constexpr int32_t kPathCapacity = 260;

  // Walks `folder`, which names a folder and ends in "\" or "/". Returns 0
  // when the folder could be listed, -1 when it could not (then nothing is
  // reported). Subfolders that cannot be listed contribute nothing.
  //
  // A path that does not fit kPathCapacity is cut with the string buffer's
  // report, and the cut path is then neither reported nor descended into: it
  // would name something else. Each host folder is walked once in the life of
  // the scanner, however many links lead to it (the first path in the walk's
  // order is the one reported), so link loops end and links that fan out
  // cannot multiply the walk; a folder walked already gives -1.
  //
  // Files are reported by their catalogue paths, in lower case, except one of
  // several files in a folder whose names differ only in case: its name part
  // is spelled as on disk, so the path opens the very file whose writable
  // flag was reported (see FileSystem::Mount for which of them is reported).
  int32_t Scan(const StringBuffer& folder);

  // Asked for every subfolder found; nonzero has the walk descend into it.
  virtual int32_t EnterFolder(const StringBuffer& path);

  // Called for every file found; Writable() tells about that file.
  virtual void FoundFile(const StringBuffer& path) = 0;

 protected:
  // Whether the file being reported may be written: false for read-only
  // files and for archive members. The host is asked only when this is
  // called, so a walker that filters by name first spares most files the
  // question.
  bool Writable() const;

 private:
  // Scan of `folder`, listed through `parent` (where it is listed as
  // `spelling`) when given.
  int32_t ScanFolder(const StringBuffer& folder, const platform::FolderListing* parent, std::string_view spelling);

  const FSFind* fCurrent = nullptr;
  // Every host folder walked so far.
  std::set<platform::FolderId> fWalked;
};
