#pragma once

#include <deque>

#include "app/core/FolderScanner.h"
#include "msrc/Util/FixedStringBuffer.h"

// Collects the full path of every file whose extension equals the given one,
// ignoring the case of A to Z.
class ExtScanner : public FolderScanner {
 public:
  // `target` is not owned and may be null (nothing is collected then). The
  // extension holds at most 15 characters, the "." included; a longer one is
  // cut with the string buffer's report. With `writableOnly`, files that may
  // not be written (read-only ones, archive members) are left out.
  ExtScanner(std::deque<FixedStringBuffer<260>>* target, const char* extension, bool writableOnly);

  void FoundFile(const StringBuffer& path) override;

 private:
  std::deque<FixedStringBuffer<260>>* fTarget;
  FixedStringBuffer<16> fExtension;
  bool fWritableOnly;
};
