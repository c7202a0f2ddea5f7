#include "msrc/File/ResMapType.h"

#include <algorithm>

namespace {
// The smallest block of entries a type takes at a time.
constexpr size_t kMinBlock = 16;
}  // namespace

void ResMapType::Reserve(size_t count) {
  if (fBlockSize - fBlockUsed >= count) return;
  fBlocks.push_back(std::make_unique<ResMapEntry[]>(count));
  fBlockUsed = 0;
  fBlockSize = count;
}

ResMapEntry* ResMapType::Append() {
  // One at a time (a walk, an addition): the blocks grow with the type.
  if (fBlockUsed == fBlockSize) Reserve(std::max(kMinBlock, fEntries.size()));
  ResMapEntry* entry = &fBlocks.back()[fBlockUsed++];
  fEntries.push_back(entry);
  return entry;
}

void ResMapType::Resize(int32_t count) {
  const size_t wanted = static_cast<size_t>(std::max(count, 0));
  while (fEntries.size() > wanted) {
    fEntries.back()->DisposeHandle();
    fEntries.pop_back();
  }
  if (fEntries.size() == wanted) return;
  Reserve(wanted - fEntries.size());
  fEntries.reserve(wanted);
  while (fEntries.size() < wanted) Append();
}

bool ResMapType::Erase(const ResMapEntry* entry) {
  const auto found = std::find(fEntries.begin(), fEntries.end(), entry);
  if (found == fEntries.end()) return false;
  (*found)->DisposeHandle();
  fEntries.erase(found);
  return true;
}
