#pragma once

#include <cstdint>
#include <map>
#include <string_view>

#include "filesystem/CTGString.h"
#include "platform/FolderListing.h"
#include "platform/HostFile.h"

// One catalogued name of a FileSystem: a disk file or folder, an archive
// member, or a folder synthesised from a member's path.
class FSEntry {
 public:
  // Disk file or folder: the normalised name (the key). Archive member: the
  // normalised path of the archive that holds it. Synthesised folder: its name.
  CTGString fName;
  // Archive members: the archive's handle, owned by the FileSystem's archive
  // table. Otherwise null.
  platform::HostFile* fHandle = nullptr;
  // Archive members: where the member's bytes start in the archive. Otherwise 0.
  int32_t fOffset = 0;
  // Archive members: the member's length. Disk entries: 0 when catalogued;
  // FSFile::SetSize on an open file updates it.
  int32_t fSize = 0;
  bool fInArchive = false;
  bool fIsFolder = false;
  // A disk file that shares its key with names differing only in case: its
  // name as spelled on disk, when its lower-case path would reach another of
  // them. Otherwise empty.
  CTGString fHostName;

  // Whether the entry may be written: disk entries unless they carry the
  // read-only attribute, synthesised folders and created files always, archive
  // members never.
  //
  // A disk entry learns its attribute on the first question, not when its
  // folder is mounted: asking the host costs a call per file, and most callers
  // ask about few of the names they list. The first answer is kept. So the
  // answer is the one a mount-time question would have given unless the
  // attribute changed in between, in which case it is the newer state (and an
  // entry gone from the disk counts as writable).
  bool Writable() const;
  void SetWritable(bool writable);
  // Leaves the attribute to be asked of the current host environment about
  // `listed` on the first question.
  void SetWritableFromListing(platform::FolderEntry listed);
  // A disk entry's name as the host listed it (its case kept); empty for
  // archive members and for folders made up from member paths.
  std::string_view ListedName() const { return fListed.name; }

 private:
  enum class WritableState : uint8_t { kReadOnly, kWritable, kUnknown };

  mutable WritableState fWritable = WritableState::kReadOnly;
  // The listed name, and what the host needs to answer the question (the
  // host's part is emptied once it is answered).
  mutable platform::FolderEntry fListed;
};

// One folder's entries, keyed by normalised single name, in plain unsigned
// byte order.
using FSFolderTable = std::map<CTGString, FSEntry>;
