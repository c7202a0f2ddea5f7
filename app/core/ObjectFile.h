#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include "app/core/ListedObject.h"
#include "app/core/LoadResult.h"
#include "app/core/SaveResult.h"
#include "app/core/SortValues.h"
#include "msrc/Util/StringBuffer.h"

class iResFile;
class ObjResFile;
struct MHandleRecord;

// One line of an object list with the four sorts the organizer shows for it.
struct ObjectSorts {
  ListedObject fObject;
  // kNotFound when the definition could not be read again by its id; the
  // sorts are then all 0.
  LoadResult fLoad = LoadResult::kNotFound;
  SortValues fSorts;
};

// New sorts for one definition of a file, by resource id.
struct SortChange {
  int16_t fId = 0;
  SortValues fSorts;
};

// The object definitions of one object file, reached through its file entry
// (the file's folder and name without ".iff", as the file list keeps it).
// Every call opens an object-file group on the entry, uses it and destroys
// it, so no file stays open between calls. The dialog and the command line
// both work through these.
class ObjectFile {
 public:
  // The path the object-file group is opened on for `entry`. Normally the
  // entry itself, which reaches the file and its companions (.spf, .stx,
  // .dir). When the entry's name part has an extension of its own
  // ("lamp.old", "combo.spf") or is empty (the file ".iff"), the bare entry
  // would name another file or nothing, so the entry followed by ".iff" is
  // used, which reaches exactly the listed file. False (out cleared) when the
  // path does not fit a path buffer.
  static bool GroupPathFor(const StringBuffer& entry, StringBuffer* out);

  // The listed file itself: the entry followed by ".iff".
  static bool FilePathFor(const StringBuffer& entry, StringBuffer* out);

  // The entry of a file path that ends in ".iff" (any letter case): the path
  // without it. False (out cleared) for any other path.
  static bool EntryForFile(const StringBuffer& filePath, StringBuffer* entry);

  // Replaces `objects` with one line per definition that stands alone or
  // leads its group, in the order of the resources' indices. Answers 0 when
  // the group opened, else the group's error (the list is then empty).
  static int32_t ListObjects(const StringBuffer& entry, std::vector<ListedObject>* objects);
  // The same over a resource file that is open already: each OBJD resource
  // by index; one that fails to load is skipped. A name longer than 63
  // characters is cut, with the string buffer's report.
  static void ListObjects(iResFile& file, std::vector<ListedObject>* objects);

  // Reads the four sorts of definition `id` (sign-extended from 16 bits)
  // after normalising the record in memory. kNotFound leaves `values` as
  // they were.
  static LoadResult LoadSorts(const StringBuffer& entry, int16_t id, SortValues* values);

  // The object list of `entry` with each object's sorts as LoadSorts reads
  // them, through one open of the group. Answers as ListObjects does.
  static int32_t ListObjectsWithSorts(const StringBuffer& entry, std::vector<ObjectSorts>* objects);

  // Writes the low 16 bits of the four values into definition `id`: the
  // record is normalised (version 138, 216 bytes), its four sort words set,
  // and it is written back through the group; the group is then closed,
  // which stores the file's resource map. A write or close that fails is a
  // failure with its reason; so is a file that cannot be opened at all.
  static SaveResult SaveSorts(const StringBuffer& entry, int16_t id, const SortValues& values);
  // The same for several definitions of one file through one open of the
  // group: each is written as above, in the order given, and the group is
  // closed once. One result per change, in the same order, each saying what
  // the file holds for that definition, as the single save does: a write
  // that fails does not stop the next, and when anything failed the file is
  // read again to tell which sorts reached it. A file that cannot be opened
  // fails every change with the same reason, and so does a file whose backup
  // cannot be made (nothing is written to it then).
  static std::vector<SaveResult> SaveSorts(const StringBuffer& entry, std::span<const SortChange> changes);

  // Every save calls this before it writes `handle` (a resource loaded from
  // `group`) back: the first time in the run that a file is to be written,
  // its bytes are backed up (BackupStore::Current().BeforeWrite on the file
  // of the member that holds the resource). Saved() means the write may go
  // on; a failure (stage kBackup, with its reason) means no backup could be
  // made, and nothing may be written. A member that cannot be written needs
  // no backup: its write fails by itself.
  static SaveResult BackUpBeforeWrite(ObjResFile& group, MHandleRecord* handle);
};
