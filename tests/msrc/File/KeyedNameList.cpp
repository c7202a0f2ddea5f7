#include "tests/msrc/File/KeyedNameList.h"

#include <algorithm>

#include "msrc/File/Recon.h"

namespace {
constexpr int32_t kSmallestEntry = 4 + 2;
}  // namespace

KeyedNameList& KeyedNameList::Add(int32_t key, const char* name) {
  Entry entry;
  entry.key = key;
  entry.name.Assign(name);
  fEntries.push_back(entry);
  return *this;
}

bool KeyedNameList::operator==(const KeyedNameList& other) const {
  return std::equal(fEntries.begin(), fEntries.end(), other.fEntries.begin(), other.fEntries.end(),
                    [](const Entry& a, const Entry& b) { return a.key == b.key && a.name.Compare(b.name) == 0; });
}

void Reconstitute(KeyedNameList& list, Recon& recon, int32_t /*version*/) {
  auto count = static_cast<int32_t>(list.fEntries.size());
  recon.Long(&count);
  if (recon.Mode() == Recon::kReading) {
    count = std::clamp(count, 0, recon.Remaining() / kSmallestEntry);
    list.fEntries.resize(static_cast<size_t>(count));
  }
  for (KeyedNameList::Entry& entry : list.fEntries) {
    recon.Long(&entry.key);
    recon.String(&entry.name);
  }
}
