#include "app/core/FileList.h"

#include <algorithm>
#include <cstring>
#include <deque>
#include <string>
#include <utility>
#include <vector>

#include "app/core/ExtScanner.h"
#include "app/core/GameFolder.h"
#include "msrc/Util/PathSplit.h"

namespace {

// A key whose plain byte order (std::string's, unsigned) is CompareNoCase's
// order: A to Z folded to a to z, and each byte's top bit flipped so that
// unsigned order is the signed order CompareNoCase compares in. A prefix
// comes first in both.
std::string SortKey(const StringBuffer& text) {
  std::string key(text.Text(), static_cast<size_t>(text.Length()));
  for (char& c : key) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c + ('a' - 'A'));
    c = static_cast<char>(static_cast<unsigned char>(c) ^ 0x80u);
  }
  return key;
}

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

  // Case-insensitive order of the full paths, as CompareNoCase gives it,
  // sorted by keys so that the paths themselves are copied once.
  std::vector<std::pair<std::string, size_t>> order;
  order.reserve(fEntries.size());
  for (size_t i = 0; i < fEntries.size(); ++i) order.emplace_back(SortKey(fEntries[i]), i);
  std::stable_sort(order.begin(), order.end(), [](const auto& a, const auto& b) { return a.first < b.first; });

  std::deque<FixedStringBuffer<260>> entries;
  FixedStringBuffer<260> folderPart;
  for (const auto& [key, index] : order) {
    fLines.emplace_back();
    SplitPath(fEntries[index].Text(), &folderPart, &fLines.back(), nullptr);
    // The entry drops its extension: folder part and name.
    entries.emplace_back(folderPart);
    entries.back().Append(fLines.back());
  }
  fEntries.swap(entries);
}

const StringBuffer& FileList::Entry(size_t index) const {
  return index < fEntries.size() ? static_cast<const StringBuffer&>(fEntries[index]) : EmptyText();
}

const StringBuffer& FileList::Line(size_t index) const {
  return index < fLines.size() ? static_cast<const StringBuffer&>(fLines[index]) : EmptyText();
}
