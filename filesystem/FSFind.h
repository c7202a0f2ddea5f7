#pragma once

#include <string_view>

#include "filesystem/CTGString.h"
#include "filesystem/FSEntry.h"

// The state of one wildcard search over a catalogued folder, filled by
// FileSystem::FindFirst and advanced by FileSystem::FindNext. A caller joins
// Folder() and Name() to get the full path of the match.
//
// The search points into the folder's table, so it must be finished before the
// FileSystem closes its archives or goes away. Entries added to the table
// during a search are fine; removing the current one is not.
class FSFind {
 public:
  // The searched folder's key, lower case, ending with "\".
  const CTGString& Folder() const { return fFolder; }
  // The match's key: its lower-case name.
  const CTGString& Name() const { return fName; }
  // The name that reaches the match on the host: its key, or for one of
  // several files differing only in case its spelling on disk (see
  // FileSystem::Mount). Join it to Folder() to open the match.
  const CTGString& PathName() const {
    return fEntry != nullptr && !fEntry->fHostName.IsEmpty() ? fEntry->fHostName : fName;
  }
  bool IsFolder() const { return fIsFolder; }
  // The match's name as the host listed it; empty for archive members and
  // folders made up from member paths.
  std::string_view ListedName() const { return fEntry != nullptr ? fEntry->ListedName() : std::string_view(); }
  // Whether the match may be written: false for archive members and read-only
  // disk files. Asked of the matched entry, so the host is asked about a disk
  // file only the first time anyone wants to know (see FSEntry::Writable).
  bool Writable() const { return fEntry != nullptr && fEntry->Writable(); }
  // The lower-case name pattern being matched.
  const CTGString& Pattern() const { return fPattern; }

 private:
  friend class FileSystem;

  CTGString fFolder;
  CTGString fName;
  bool fIsFolder = false;
  CTGString fPattern;
  FSFolderTable* fTable = nullptr;
  FSFolderTable::iterator fCursor;
  const FSEntry* fEntry = nullptr;
};
