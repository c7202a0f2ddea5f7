#pragma once

#include <cstdint>
#include <vector>

#include "msrc/Util/StringBuffer.h"

class FSFind;
#include "platform/FolderListing.h"

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
  // would name something else. A folder that is already being walked further
  // up (a link back to an ancestor) is not walked again, so link loops end;
  // the same folder reached through unrelated links is walked each time.
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
  const FSFind* fCurrent = nullptr;
  // The folders being walked, outermost first.
  std::vector<platform::FolderId> fWalking;
};
