#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "app/core/FileList.h"
#include "app/core/ListedObject.h"
#include "app/core/LoadResult.h"
#include "app/core/SaveResult.h"
#include "app/core/SortValues.h"
#include "msrc/Util/StringBuffer.h"

// The organizer's state behind the main dialog, without any user interface:
// the file list, which file line and which object line are selected, the
// objects of the selected file, and the four current sort values of the
// selected object. The dialog mirrors it in its controls; the command line
// drives the same operations.
//
// Nothing stays open between calls: each operation that reads or writes the
// selected file opens an object-file group on its entry and destroys it
// before returning (see ObjectFile).
class Organizer {
 public:
  FileList& Files() { return fFiles; }
  const FileList& Files() const { return fFiles; }

  // Selections are line indices; -1 means none. An index outside the list is
  // kept as given and counts as no valid selection. Selecting a file does not
  // rebuild the object list: FillObjectList does.
  void SelectFile(int index) { fSelectedFile = index; }
  void SelectObject(int index) { fSelectedObject = index; }
  int SelectedFile() const { return fSelectedFile; }
  int SelectedObject() const { return fSelectedObject; }
  bool HasSelectedFile() const;
  // A valid file line and a valid object line.
  bool HasSelectedObject() const;

  // Rebuilds the objects from the selected file as it now is on disk (empty
  // without a valid file line or when the file cannot be opened) and selects
  // the first line, or none when there is none. The sorts are not loaded:
  // LoadObjectSorts does that.
  void FillObjectList();

  size_t ObjectCount() const { return fObjects.size(); }
  // Outside 0..ObjectCount()-1: 0 and an empty name.
  int16_t ObjectId(size_t index) const;
  const StringBuffer& ObjectLine(size_t index) const;

  // Reads the selected object's sorts into the current values. Without a
  // valid selection, or when the definition cannot be found, the current
  // values stay as they were.
  LoadResult LoadObjectSorts();

  const SortValues& CurrentSorts() const { return fSorts; }
  void SetDowntownSort(int32_t value) { fSorts.fDowntown = value; }
  void SetRoomSort(int32_t value) { fSorts.fRoom = value; }
  void SetSubsort(int32_t value) { fSorts.fSubsort = value; }
  void SetFunctionSort(int32_t value) { fSorts.fFunction = value; }

  // Writes the current values into the selected object's definition.
  SaveResult Save();

 private:
  FileList fFiles;
  int fSelectedFile = -1;
  int fSelectedObject = -1;
  std::vector<ListedObject> fObjects;
  SortValues fSorts;
};
