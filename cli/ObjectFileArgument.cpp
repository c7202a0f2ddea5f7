#include "cli/ObjectFileArgument.h"

#include "app/core/ObjectFile.h"
#include "cli/FileArgument.h"
#include "filesystem/CTGString.h"
#include "filesystem/FileSystem.h"
#include "msrc/File/IFFResFile2.h"
#include "msrc/File/resfile.h"

bool ObjectFileArgument::ParseId(const std::string& text, int16_t* id) {
  size_t at = text.empty() || (text[0] != '-' && text[0] != '+') ? 0 : 1;
  if (at == text.size()) return false;
  int32_t number = 0;
  for (; at < text.size(); ++at) {
    if (text[at] < '0' || text[at] > '9') return false;
    number = number * 10 + (text[at] - '0');
    if (number > 32768) return false;
  }
  if (text[0] == '-') number = -number;
  if (number > 32767) return false;
  *id = static_cast<int16_t>(number);
  return true;
}

std::ostream& ObjectFileArgument::Fail(std::ostream& err) const { return err << "velt-sort: " << fArgument << ": "; }

bool ObjectFileArgument::Load(const std::string& argument, std::ostream& err) {
  fArgument = argument;
  fObjects.clear();
  FixedStringBuffer<260> path;
  if (!ResolveFileArgument(argument, &path, err)) return false;
  // "chair.iff" names the entry "chair"; a name without ".iff" is the entry.
  if (!ObjectFile::EntryForFile(path, &fEntry)) fEntry.Assign(path);

  FixedStringBuffer<260> file;
  if (!ObjectFile::FilePathFor(fEntry, &file)) {
    Fail(err) << "the path is longer than " << file.Capacity() - 1 << " characters with \".iff\"\n";
    return false;
  }
  // The organizer lists only files whose ".iff" is there; the group would
  // open on a companion alone.
  if (!gFileSystem.Exists(CTGString(file.Text()))) {
    Fail(err) << "there is no object file " << file.Text() << "\n";
    return false;
  }
  if (ObjectFile::ListObjects(fEntry, &fObjects) == kResErrNone) return true;
  Fail(err) << UnreadableReason(fEntry) << "\n";
  return false;
}

std::string ObjectFileArgument::UnreadableReason(const StringBuffer& entry) {
  // The group answers with whichever component failed last; the ".iff"
  // itself tells why it could not be read.
  FixedStringBuffer<260> file;
  ObjectFile::FilePathFor(entry, &file);
  IFFResFile2 alone;
  const int32_t status = alone.Open(file);
  alone.Close();
  if (status == kResErrNotIff) return "not an IFF file of a version this program reads";
  return "cannot be opened: it is unreadable or another program is using it (error " + std::to_string(status) + ")";
}

std::string ObjectFileArgument::WhyNotListed(const StringBuffer& entry, int16_t id) {
  SortValues ignored;
  if (ObjectFile::LoadSorts(entry, id, &ignored) != LoadResult::kNotFound) {
    return "object definition " + std::to_string(id) +
           " belongs to a group and does not lead it, so it is not on the object list; the group is listed under "
           "its lead definition";
  }
  return "no object with id " + std::to_string(id) + " on the object list";
}

const ListedObject* ObjectFileArgument::Find(const std::string& idArgument, std::ostream& err) const {
  int16_t id = 0;
  if (!ParseId(idArgument, &id)) {
    err << "velt-sort: " << idArgument << ": not an object id (a whole number from -32768 to 32767)\n";
    return nullptr;
  }
  for (const ListedObject& object : fObjects) {
    if (object.fId == id) return &object;
  }
  Fail(err) << WhyNotListed(fEntry, id) << '\n';
  return nullptr;
}

bool ObjectFileArgument::ReadSorts(int16_t id, SortValues* values, std::ostream& err) const {
  if (ObjectFile::LoadSorts(fEntry, id, values) != LoadResult::kNotFound) return true;
  Fail(err) << "the sorts of object " << id << " could not be read\n";
  return false;
}
