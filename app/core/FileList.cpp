#include "app/core/FileList.h"

#include <algorithm>
#include <cstring>

#include "app/core/ExtScanner.h"
#include "app/core/GameFolder.h"
#include "msrc/Util/PathSplit.h"

namespace {

const FixedStringBuffer<1>& EmptyText() {
  static const FixedStringBuffer<1> empty;
  return empty;
}

}  // namespace

void FileList::Fill(const StringBuffer& folder) {
  fEntries.clear();
  fLines.clear();
  if (folder.Length() > 0) {
    ExtScanner scanner(&fEntries, kExtension, true);
    scanner.Scan(folder);
    FixedStringBuffer<260> downloads(folder);
    downloads.Append(GameFolder::kDownloadsSuffix);
    const int32_t wanted = folder.Length() + static_cast<int32_t>(std::strlen(GameFolder::kDownloadsSuffix));
    if (downloads.Length() == wanted) {
      scanner.Scan(downloads);
    }
  }

  // Case-insensitive order of the full paths. CompareNoCase orders the
  // folded, signed bytes lexicographically, a prefix first, so "less than
  // zero" is a strict weak ordering.
  if (fEntries.size() > 1) {
    std::stable_sort(fEntries.begin(), fEntries.end(),
                     [](const StringBuffer& a, const StringBuffer& b) { return a.CompareNoCase(b) < 0; });
  }

  FixedStringBuffer<260> folderPart;
  for (FixedStringBuffer<260>& entry : fEntries) {
    fLines.emplace_back();
    SplitPath(entry.Text(), &folderPart, &fLines.back(), nullptr);
    // The entry drops its extension: folder part and name.
    entry.Assign(folderPart);
    entry.Append(fLines.back());
  }
}

const StringBuffer& FileList::Entry(size_t index) const {
  return index < fEntries.size() ? static_cast<const StringBuffer&>(fEntries[index]) : EmptyText();
}

const StringBuffer& FileList::Line(size_t index) const {
  return index < fLines.size() ? static_cast<const StringBuffer&>(fLines[index]) : EmptyText();
}
