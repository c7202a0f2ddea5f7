#include "app/core/ObjectFile.h"

#include <cstring>

#include "app/core/BackupStore.h"
#include "filesystem/CTGString.h"
#include "filesystem/FileSystem.h"
#include "msrc/File/ObjResFile.h"
#include "msrc/File/flatfile.h"
#include "platform/HostFailure.h"
#include "msrc/Objects/ObjDefinition.h"
#include "msrc/Util/FixedStringBuffer.h"
#include "msrc/Util/PathSplit.h"

namespace {

constexpr const char* kFileExtension = ".iff";
constexpr int32_t kPathCapacity = 260;

// Appends without cutting: false (out cleared) when the whole would not fit.
bool Joined(const StringBuffer& head, const char* tail, StringBuffer* out) {
  out->Clear();
  const int32_t tailLength = static_cast<int32_t>(std::strlen(tail));
  if (head.Length() + tailLength >= out->Capacity()) return false;
  out->Assign(head);
  out->Append(tail);
  return true;
}

DefinitionSorts StoredSorts(const SortValues& values) {
  // The record keeps the low 16 bits of each value.
  DefinitionSorts sorts;
  sorts.fRoom = static_cast<int16_t>(values.fRoom);
  sorts.fFunction = static_cast<int16_t>(values.fFunction);
  sorts.fSubsort = static_cast<int16_t>(values.fSubsort);
  sorts.fDowntown = static_cast<int16_t>(values.fDowntown);
  return sorts;
}

// The host's cause of the member's last failure, when it is a file.
platform::HostFailure CauseIn(iResFile* member) {
  const FlatFile* file = dynamic_cast<FlatFile*>(member);
  return file != nullptr ? file->LastFailure() : platform::HostFailure::kNone;
}

// Why the file at `path` cannot be opened at all, as the host says it.
platform::HostFailure WhyNotOpened(const StringBuffer& path) {
  platform::SetLastHostFailure(platform::HostFailure::kNone);
  FSFile* file = gFileSystem.Open(CTGString(path.Text()), false);
  if (file == nullptr) return platform::LastHostFailure();
  gFileSystem.Close(file);
  return platform::HostFailure::kNone;
}

// The member of the group that handed out `handle`, or null.
iResFile* Holder(ObjResFile& group, MHandle handle) {
  for (int16_t i = 0; i < group.CountFiles(); ++i) {
    iResFile* member = group.GetFile(i);
    int16_t id = 0;
    member->GetResID(handle, &id);
    if (member->Error() == kResErrNone) return member;
  }
  return nullptr;
}

// Reads the sorts of definition `id` from an open file, after normalising
// the record in memory.
LoadResult SortsIn(iResFile& file, int16_t id, SortValues* values) {
  MHandle handle = file.GetResource(kObjdType, id, SwizzleDefinition);
  if (handle == nullptr) return LoadResult::kNotFound;
  NormalizeDefinition(handle);
  DefinitionSorts sorts;
  if (!ReadDefinitionSorts(handle, &sorts)) return LoadResult::kNotFound;
  values->fDowntown = sorts.fDowntown;
  values->fRoom = sorts.fRoom;
  values->fFunction = sorts.fFunction;
  values->fSubsort = sorts.fSubsort;
  return values->InBuyCatalogue() ? LoadResult::kLoaded : LoadResult::kNotInCatalogue;
}

// Whether sorts read from a record are the low 16 bits of `values`.
bool SameStoredSorts(const SortValues& stored, const SortValues& values) {
  const DefinitionSorts wanted = StoredSorts(values);
  return stored.fRoom == wanted.fRoom && stored.fFunction == wanted.fFunction &&
         stored.fSubsort == wanted.fSubsort && stored.fDowntown == wanted.fDowntown;
}

// What writing one definition's sorts into an open group came to.
struct WriteOutcome {
  bool fFound = false;  // the definition was there to be written
  // Where a failure happened: the backup before the first write, or the write.
  SaveResult::Stage fStage = SaveResult::Stage::kWrite;
  int32_t fError = kResErrNone;
  platform::HostFailure fCause = platform::HostFailure::kNone;
};

WriteOutcome WriteSorts(ObjResFile& group, const SortChange& change) {
  WriteOutcome outcome;
  MHandle handle = group.GetResource(kObjdType, change.fId, SwizzleDefinition);
  if (handle == nullptr) return outcome;
  NormalizeDefinition(handle);
  if (!WriteDefinitionSorts(handle, StoredSorts(change.fSorts))) return outcome;
  outcome.fFound = true;

  // The file's bytes are copied aside before its first write in this run; a
  // copy that cannot be made stops the save.
  if (SaveResult backup = ObjectFile::BackUpBeforeWrite(group, handle); !backup.Succeeded()) {
    outcome.fStage = SaveResult::Stage::kBackup;
    outcome.fError = backup.fError;
    outcome.fCause = backup.fCause;
    return outcome;
  }
  iResFile* holder = Holder(group, handle);
  group.WriteResource(handle);
  outcome.fError = group.Error();
  if (outcome.fError != kResErrNone && holder != nullptr) {
    // The chain answers with the last writable member it asked, which says
    // "not mine" whenever the holder was read-only or asked earlier; the
    // holder's own state tells what really happened.
    const int32_t holderError = holder->Error();
    if (!holder->IsWritable()) {
      outcome.fError = kResErrNotWritable;
    } else if (holderError != kResErrNone) {
      outcome.fError = holderError;
    }
  }
  if (outcome.fError != kResErrNone) outcome.fCause = CauseIn(holder);
  return outcome;
}

// Opens the group on `entry` for reading its objects: 0, or the group's
// error.
int32_t OpenGroup(const StringBuffer& entry, ObjResFile* group) {
  FixedStringBuffer<kPathCapacity> path;
  if (!ObjectFile::GroupPathFor(entry, &path)) return kResErrNoSuchFile;
  const int32_t opened = group->Open(path);
  if (!group->ValidFile()) return opened != kResErrNone ? opened : kResErrNotOpen;
  return kResErrNone;
}

}  // namespace

bool ObjectFile::GroupPathFor(const StringBuffer& entry, StringBuffer* out) {
  FixedStringBuffer<kPathCapacity> name;
  FixedStringBuffer<kPathCapacity> extension;
  SplitPath(entry.Text(), nullptr, &name, &extension);
  if (extension.Length() == 0 && name.Length() > 0) {
    if (entry.Length() >= out->Capacity()) {
      out->Clear();
      return false;
    }
    out->Assign(entry);
    return true;
  }
  return Joined(entry, kFileExtension, out);
}

bool ObjectFile::FilePathFor(const StringBuffer& entry, StringBuffer* out) {
  return Joined(entry, kFileExtension, out);
}

bool ObjectFile::EntryForFile(const StringBuffer& filePath, StringBuffer* entry) {
  entry->Clear();
  const int32_t extensionLength = static_cast<int32_t>(std::strlen(kFileExtension));
  const int32_t length = filePath.Length();
  if (length < extensionLength || length > entry->Capacity() - 1 + extensionLength) return false;
  const FixedStringBuffer<8> extension(filePath.Text() + length - extensionLength);
  if (extension.CompareNoCase(kFileExtension, -1) != 0) return false;
  entry->Append(filePath, length - extensionLength);
  return true;
}

int32_t ObjectFile::ListObjects(const StringBuffer& entry, std::vector<ListedObject>* objects) {
  objects->clear();
  ObjResFile group;
  const int32_t opened = OpenGroup(entry, &group);
  if (opened == kResErrNone) ListObjects(group, objects);
  return opened;
}

void ObjectFile::ListObjects(iResFile& file, std::vector<ListedObject>* objects) {
  objects->clear();
  const int16_t count = file.CountResources(kObjdType);
  if (count > 0) objects->reserve(static_cast<size_t>(count));
  for (int32_t index = 1; index <= count; ++index) {
    MHandle handle = file.GetIndResource(kObjdType, static_cast<int16_t>(index), SwizzleDefinition);
    if (handle == nullptr) continue;
    ListedObject line;
    file.GetResName(handle, &line.fName);
    NormalizeDefinition(handle);
    int16_t groupId = 0;
    int16_t groupSlot = 0;
    if (!ReadDefinitionGroup(handle, &groupId, &groupSlot)) continue;
    if (groupId == 0 || groupSlot == kObjdLeadSlot) {
      file.GetResID(handle, &line.fId);
      objects->push_back(line);
    }
  }
}

int32_t ObjectFile::ListObjectsWithSorts(const StringBuffer& entry, std::vector<ObjectSorts>* objects) {
  objects->clear();
  ObjResFile group;
  const int32_t opened = OpenGroup(entry, &group);
  if (opened != kResErrNone) return opened;
  std::vector<ListedObject> listed;
  ListObjects(group, &listed);
  objects->reserve(listed.size());
  for (const ListedObject& object : listed) {
    ObjectSorts line;
    line.fObject = object;
    line.fLoad = SortsIn(group, object.fId, &line.fSorts);
    objects->push_back(line);
  }
  return kResErrNone;
}

LoadResult ObjectFile::LoadSorts(const StringBuffer& entry, int16_t id, SortValues* values) {
  FixedStringBuffer<kPathCapacity> path;
  if (!GroupPathFor(entry, &path)) return LoadResult::kNotFound;
  ObjResFile group;
  group.Open(path);
  return SortsIn(group, id, values);
}

SaveResult ObjectFile::SaveSorts(const StringBuffer& entry, int16_t id, const SortValues& values) {
  const SortChange change{id, values};
  return SaveSorts(entry, std::span<const SortChange>(&change, 1)).front();
}

std::vector<SaveResult> ObjectFile::SaveSorts(const StringBuffer& entry, std::span<const SortChange> changes) {
  if (changes.empty()) return {};
  FixedStringBuffer<kPathCapacity> path;
  if (!GroupPathFor(entry, &path)) {
    return std::vector<SaveResult>(changes.size(), SaveResult::Failed(SaveResult::Stage::kOpen, kResErrNoSuchFile));
  }
  std::vector<WriteOutcome> written(changes.size());
  int32_t closeError = kResErrNone;
  platform::HostFailure closeCause = platform::HostFailure::kNone;
  {
    ObjResFile group;
    const int32_t opened = group.Open(path);
    if (!group.ValidFile()) {
      // The file was listed, so it was there: say whether it has gone or is
      // merely held.
      FixedStringBuffer<kPathCapacity> file;
      const bool present = FilePathFor(entry, &file) && gFileSystem.Exists(CTGString(file.Text()));
      return std::vector<SaveResult>(
          changes.size(),
          SaveResult::Failed(SaveResult::Stage::kOpen,
                             !present ? kResErrNoSuchFile : (opened != kResErrNone ? opened : kResErrNotOpen),
                             present ? WhyNotOpened(file) : platform::HostFailure::kNotFound));
    }
    for (size_t i = 0; i < changes.size(); ++i) {
      written[i] = WriteSorts(group, changes[i]);
      if (written[i].fStage != SaveResult::Stage::kBackup) continue;
      // Without its backup nothing more is written to the file.
      for (size_t rest = i + 1; rest < changes.size(); ++rest) {
        written[rest] = written[i];
        written[rest].fFound = true;
      }
      break;
    }
    // Closing destroys the members; the host says why it failed.
    platform::SetLastHostFailure(platform::HostFailure::kNone);
    closeError = group.Close();
    closeCause = platform::LastHostFailure();
  }

  // Where something failed, what counts is what the file holds now: sorts
  // that reached it were saved, whatever went wrong after them. The file is
  // read again, once, only then.
  std::vector<SaveResult> results(changes.size());
  ObjResFile now;
  bool reread = false;
  for (size_t i = 0; i < changes.size(); ++i) {
    const WriteOutcome& outcome = written[i];
    if (!outcome.fFound) {
      results[i] = SaveResult::NotFound();
      continue;
    }
    const bool writeFailed = outcome.fError != kResErrNone;
    if (!writeFailed && closeError == kResErrNone) {
      results[i] = SaveResult::Saved();
      continue;
    }
    const SaveResult::Stage stage = writeFailed ? outcome.fStage : SaveResult::Stage::kClose;
    const int32_t error = writeFailed ? outcome.fError : closeError;
    const platform::HostFailure cause = writeFailed ? outcome.fCause : closeCause;
    if (!reread) {
      now.Open(path);
      reread = true;
    }
    SortValues stored;
    const bool held = SortsIn(now, changes[i].fId, &stored) != LoadResult::kNotFound &&
                      SameStoredSorts(stored, changes[i].fSorts);
    results[i] = held ? SaveResult::SavedWithWarning(stage, error, cause) : SaveResult::Failed(stage, error, cause);
  }
  return results;
}

SaveResult ObjectFile::BackUpBeforeWrite(ObjResFile& group, MHandle handle) {
  iResFile* holder = Holder(group, handle);
  FlatFile* file = dynamic_cast<FlatFile*>(holder);
  if (file == nullptr || !holder->IsWritable()) return SaveResult::Saved();
  FixedStringBuffer<kPathCapacity> path;
  if (file->GetPath(&path) != kFlatErrNone) return SaveResult::Saved();
  const BackupResult backup = BackupStore::Current().BeforeWrite(path.Text());
  if (backup.Ok()) return SaveResult::Saved();
  return SaveResult::Failed(SaveResult::Stage::kBackup, backup.fError, backup.fCause);
}
