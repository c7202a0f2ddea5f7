#include "app/core/Organizer.h"

#include "app/core/ObjectFile.h"

namespace {

const StringBuffer& EmptyName() {
  static const FixedStringBuffer<1> empty;
  return empty;
}

}  // namespace

bool Organizer::HasSelectedFile() const {
  return fSelectedFile >= 0 && static_cast<size_t>(fSelectedFile) < fFiles.Count();
}

bool Organizer::HasSelectedObject() const {
  return HasSelectedFile() && fSelectedObject >= 0 && static_cast<size_t>(fSelectedObject) < fObjects.size();
}

void Organizer::FillObjectList() {
  fObjects.clear();
  if (HasSelectedFile()) ObjectFile::ListObjects(fFiles.Entry(static_cast<size_t>(fSelectedFile)), &fObjects);
  fSelectedObject = fObjects.empty() ? -1 : 0;
}

int16_t Organizer::ObjectId(size_t index) const { return index < fObjects.size() ? fObjects[index].fId : 0; }

const StringBuffer& Organizer::ObjectLine(size_t index) const {
  return index < fObjects.size() ? static_cast<const StringBuffer&>(fObjects[index].fName) : EmptyName();
}

LoadResult Organizer::LoadObjectSorts() {
  if (!HasSelectedObject()) return LoadResult::kNothingSelected;
  return ObjectFile::LoadSorts(fFiles.Entry(static_cast<size_t>(fSelectedFile)),
                               fObjects[static_cast<size_t>(fSelectedObject)].fId, &fSorts);
}

SaveResult Organizer::Save() {
  if (!HasSelectedObject()) return SaveResult::NothingSelected();
  return ObjectFile::SaveSorts(fFiles.Entry(static_cast<size_t>(fSelectedFile)),
                               fObjects[static_cast<size_t>(fSelectedObject)].fId, fSorts);
}
