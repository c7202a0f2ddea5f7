#pragma once

#include <cstddef>
#include <deque>

#include "msrc/Util/FixedStringBuffer.h"
#include "msrc/Util/StringBuffer.h"

// The list of object files: every writable ".iff" file in the object folder
// and in the game's Downloads folder, with their subfolders, ordered by full
// path. Each line shows a file's name; its entry names the file by folder and
// name without extension, which is what an object-file group opens. The
// dialog and the command line both show this list.
class FileList {
 public:
  static constexpr const char* kExtension = ".iff";

  // Rebuilds the list from `folder` (the object folder, ending in a
  // separator) and from the same path followed by "..\..\Downloads\". An empty
  // folder gives an empty list. The Downloads path is used unchanged, with the
  // ".." steps in it; when it does not fit a path buffer it is cut with the
  // string buffer's report and not walked, since the cut path names another
  // folder.
  void Fill(const StringBuffer& folder);

  size_t Count() const { return fEntries.size(); }
  // Outside 0..Count()-1 both give an empty text.
  const StringBuffer& Entry(size_t index) const;
  const StringBuffer& Line(size_t index) const;

 private:
  // Deques: a list of thousands grows without copying what it holds.
  std::deque<FixedStringBuffer<260>> fEntries;
  std::deque<FixedStringBuffer<260>> fLines;
};
