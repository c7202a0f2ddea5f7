#include "app/core/ExtScanner.h"

#include "msrc/Util/PathSplit.h"

ExtScanner::ExtScanner(std::deque<FixedStringBuffer<260>>* target, const char* extension, bool writableOnly)
    : fTarget(target), fExtension(extension), fWritableOnly(writableOnly) {}

void ExtScanner::FoundFile(const StringBuffer& path) {
  if (fTarget == nullptr) return;
  // The extension gets the room of a whole path, so an unusually long one is
  // simply unequal instead of being cut with a report.
  FixedStringBuffer<kPathCapacity> extension;
  PathStripExtension(path.Text(), nullptr, &extension);
  if (extension.Length() != fExtension.Length() || extension.CompareNoCase(fExtension) != 0) return;
  // Asked last: the attribute costs the host a look at the file.
  if (fWritableOnly && !Writable()) return;
  fTarget->emplace_back(path);
}
