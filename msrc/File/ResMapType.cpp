#include "msrc/File/ResMapType.h"

#include <algorithm>

ResMapEntry* ResMapType::Append() {
  fEntries.push_back(std::make_unique<ResMapEntry>());
  return fEntries.back().get();
}

void ResMapType::Resize(int32_t count) {
  const size_t wanted = static_cast<size_t>(std::max(count, 0));
  if (wanted < fEntries.size()) fEntries.resize(wanted);
  while (fEntries.size() < wanted) Append();
}

bool ResMapType::Erase(const ResMapEntry* entry) {
  const auto found = std::find_if(fEntries.begin(), fEntries.end(),
                                  [entry](const std::unique_ptr<ResMapEntry>& held) { return held.get() == entry; });
  if (found == fEntries.end()) return false;
  fEntries.erase(found);
  return true;
}
