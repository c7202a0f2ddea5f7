#include "msrc/File/IFFNameList.h"

#include <algorithm>
#include <limits>

#include "msrc/File/Recon.h"

namespace {
// A key and the shortest string (a terminator and its padding byte).
constexpr int32_t kSmallestEntry = 4 + 2;
constexpr int32_t kOldRecordHead = 4 + 1;
}  // namespace

void IFFNameList::SetName(int32_t key, const StringBuffer& name) {
  if (key == kNoKey) return;
  const auto keyed = [key](const Entry& entry) { return entry.fKey == key; };
  fEntries.erase(std::remove_if(fEntries.begin(), fEntries.end(), keyed), fEntries.end());
  if (name.Length() > 0) {
    Entry entry;
    entry.fKey = key;
    entry.fName.Append(name, kMaxNameLength);
    fEntries.push_back(entry);
  }
  fDirty = true;
}

int32_t IFFNameList::NextKey() const {
  int32_t largest = 0;
  for (const Entry& entry : fEntries) largest = std::max(largest, entry.fKey);
  if (largest < std::numeric_limits<int32_t>::max()) return largest + 1;
  // Keys read from a file may reach the top; the list is finite, so some
  // positive key is free.
  std::vector<int32_t> keys;
  for (const Entry& entry : fEntries) {
    if (entry.fKey > 0) keys.push_back(entry.fKey);
  }
  std::sort(keys.begin(), keys.end());
  int32_t candidate = 1;
  for (const int32_t key : keys) {
    if (key > candidate) break;
    if (key == candidate) ++candidate;
  }
  return candidate;
}

const IFFNameList::Entry* IFFNameList::FindKey(int32_t key) const {
  // -1 is a block header's "no name", whatever a names cache may list under it.
  if (key == kNoKey) return nullptr;
  for (const Entry& entry : fEntries) {
    if (entry.fKey == key) return &entry;
  }
  return nullptr;
}

int32_t IFFNameList::FindName(const StringBuffer& name, int32_t start) const {
  for (int32_t i = std::max(start, 0); i < Count(); ++i) {
    if (At(i).fName.CompareNoCase(name) == 0) return i;
  }
  return -1;
}

void IFFNameList::AppendOldForm(const uint8_t* bytes, int32_t size) {
  int64_t position = 0;
  while (position + kOldRecordHead <= size) {
    const uint8_t* record = bytes + position;
    const int32_t length = record[4];
    if (position + kOldRecordHead + length > size) break;
    Entry entry;
    entry.fKey = static_cast<int32_t>(static_cast<uint32_t>(record[0]) | (static_cast<uint32_t>(record[1]) << 8) |
                                      (static_cast<uint32_t>(record[2]) << 16) |
                                      (static_cast<uint32_t>(record[3]) << 24));
    if (length > 0) {
      entry.fName.Append(reinterpret_cast<const char*>(record + kOldRecordHead), std::min(length, kMaxNameLength));
    }
    fEntries.push_back(entry);
    position += kOldRecordHead + length;
  }
}

void Reconstitute(IFFNameList& list, Recon& recon, int32_t /*version*/) {
  std::vector<IFFNameList::Entry>& entries = list.Entries();
  auto count = static_cast<int32_t>(entries.size());
  recon.Long(&count);
  const bool reading = recon.Mode() == Recon::kReading;
  if (reading) {
    if (recon.Overflowed()) count = 0;
    count = std::clamp(count, 0, recon.Remaining() / kSmallestEntry);
    entries.resize(static_cast<size_t>(count));
  }
  for (size_t i = 0; i < entries.size(); ++i) {
    recon.Long(&entries[i].fKey);
    recon.String(&entries[i].fName);
    if (reading && recon.Overflowed()) {
      entries.resize(i);
      break;
    }
  }
}
