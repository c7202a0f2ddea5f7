#include "msrc/File/IFFResMap.h"

#include <algorithm>
#include <limits>

#include "msrc/File/Recon.h"
#include "msrc/Util/XAssert.h"

namespace {

constexpr const char* kSourcePath = "msrc/File/IFFResFile2";

// The fewest payload bytes a type record and an entry record can take.
constexpr int32_t kMinTypeBytes = 8;
constexpr int32_t kMinEntryBytes = 10;

bool IsDefaultLanguage(const ResMapEntry& entry) { return entry.Language() == 0; }

// A count read from the payload, held to what the bytes left can describe;
// `cut` is set when that changed it.
int32_t BoundedCount(const Recon& recon, int32_t count, int32_t minBytes, bool* cut) {
  const int32_t bounded = std::clamp(count, 0, recon.Remaining() / minBytes);
  if (bounded != count) *cut = true;
  return bounded;
}

}  // namespace

void IFFResMap::AddInvalid(int64_t delta) {
  const int64_t total = static_cast<int64_t>(fInvalidTotal) + delta;
  fInvalidTotal = static_cast<int32_t>(std::clamp<int64_t>(total, std::numeric_limits<int32_t>::min(),
                                                           std::numeric_limits<int32_t>::max()));
}

int32_t IFFResMap::CountEntries(ResType type) const {
  const ResMapType* found = FindType(type);
  return found != nullptr ? found->Count() : 0;
}

ResMapType* IFFResMap::FindType(ResType type, bool create) {
  for (ResMapType& held : fTypes) {
    if (held.fType == type) return &held;
  }
  if (!create) return nullptr;
  fTypes.emplace_back(type);
  return &fTypes.back();
}

const ResMapType* IFFResMap::FindType(ResType type) const {
  for (const ResMapType& held : fTypes) {
    if (held.fType == type) return &held;
  }
  return nullptr;
}

ResMapEntry* IFFResMap::AddEntry(ResType type) { return FindType(type, true)->Append(); }

ResMapEntry* IFFResMap::FindDefault(ResType type, int16_t id) const {
  const ResMapType* found = FindType(type);
  if (found == nullptr) return nullptr;
  for (int32_t i = 0; i < found->Count(); ++i) {
    ResMapEntry* entry = found->At(i);
    if (entry->fId == id && IsDefaultLanguage(*entry)) return entry;
  }
  return nullptr;
}

ResMapEntry* IFFResMap::FindLanguage(ResType type, int16_t id, uint8_t language) const {
  if (language != 0) {
    const ResMapType* found = FindType(type);
    for (int32_t i = 0; found != nullptr && i < found->Count(); ++i) {
      ResMapEntry* entry = found->At(i);
      if (entry->fId == id && entry->Language() == language) return entry;
    }
  }
  return FindDefault(type, id);
}

ResMapEntry* IFFResMap::FindByName(ResType type, const StringBuffer& name) const {
  const ResMapType* found = FindType(type);
  if (found == nullptr) return nullptr;
  for (int32_t i = 0; i < found->Count(); ++i) {
    ResMapEntry* entry = found->At(i);
    if (IsDefaultLanguage(*entry) && entry->fName.CompareNoCase(name) == 0) return entry;
  }
  return nullptr;
}

ResMapEntry* IFFResMap::FindByHandle(MHandle handle, ResType* type) const {
  if (handle == nullptr || fTypes.empty()) return nullptr;
  // Readers go through a file's resources in order, asking about each
  // handle right after loading it, so the search starts where the last one
  // ended and wraps around: every entry is still looked at once at most.
  size_t t = fLastTypeIndex < fTypes.size() ? fLastTypeIndex : 0;
  int32_t i = t == fLastTypeIndex && fLastEntryIndex >= 0 ? fLastEntryIndex : 0;
  size_t entriesLeft = 0;
  for (const ResMapType& held : fTypes) entriesLeft += static_cast<size_t>(held.Count());
  while (entriesLeft > 0) {
    const ResMapType& held = fTypes[t];
    if (i >= held.Count()) {
      t = (t + 1) % fTypes.size();
      i = 0;
      continue;
    }
    --entriesLeft;
    if (held.At(i)->Handle() == handle) {
      fLastTypeIndex = t;
      fLastEntryIndex = i;
      if (type != nullptr) *type = held.fType;
      return held.At(i);
    }
    ++i;
  }
  return nullptr;
}

ResMapEntry* IFFResMap::ByIndex(ResType type, int32_t index) const {
  const ResMapType* found = FindType(type);
  if (found == nullptr || index < 1 || index > found->Count()) return nullptr;
  return found->At(index - 1);
}

ResType IFFResMap::TypeByIndex(int32_t index) const {
  if (index < 1 || index > CountTypes()) return 0;
  return fTypes[static_cast<size_t>(index - 1)].fType;
}

int16_t IFFResMap::LargestId(ResType type, int16_t floor) const {
  int16_t largest = floor;
  const ResMapType* found = FindType(type);
  for (int32_t i = 0; found != nullptr && i < found->Count(); ++i) largest = std::max(largest, found->At(i)->fId);
  return largest;
}

void IFFResMap::RemoveEntry(const ResMapEntry* entry) {
  for (auto held = fTypes.begin(); held != fTypes.end(); ++held) {
    if (!held->Erase(entry)) continue;
    if (held->Count() == 0) fTypes.erase(held);
    return;
  }
  XASSERT(kSourcePath, __LINE__, "false", "node not found");
}

void IFFResMap::RemoveType(ResType type) {
  std::erase_if(fTypes, [type](const ResMapType& held) { return held.fType == type; });
}

void IFFResMap::AdjustOffset(int32_t oldOffset, int32_t gap) {
  if (gap < 0) {
    XASSERT(kSourcePath, __LINE__, "gap>=0", "wasn't expecting things to move the other way");
    return;
  }
  bool moved = false;
  for (ResMapType& held : fTypes) {
    for (int32_t i = 0; i < held.Count(); ++i) {
      ResMapEntry* entry = held.At(i);
      if (!moved && entry->fOffset == oldOffset) {
        entry->fOffset = oldOffset - gap;
        moved = true;
      }
      if (entry->fReplacedOffset == oldOffset) entry->fReplacedOffset = oldOffset - gap;
    }
  }
}

void IFFResMap::Clear() {
  fTypes.clear();
  fInvalidTotal = 0;
  fDecodedShort = false;
}

void Reconstitute(IFFResMap& map, Recon& recon, int32_t /*version*/) {
  const bool reading = recon.Mode() == Recon::kReading;
  bool cut = false;
  int32_t invalidTotal = map.InvalidTotal();
  recon.Long(&invalidTotal);
  int32_t typeCount = map.CountTypes();
  recon.Long(&typeCount);
  if (reading) {
    map.SetInvalidTotal(invalidTotal);
    typeCount = BoundedCount(recon, typeCount, kMinTypeBytes, &cut);
    map.Types().clear();
    for (int32_t i = 0; i < typeCount; ++i) map.Types().emplace_back(0);
  }
  for (ResMapType& type : map.Types()) {
    int32_t code = static_cast<int32_t>(type.fType);
    recon.Long(&code);
    int32_t entryCount = type.Count();
    recon.Long(&entryCount);
    if (reading) {
      type.fType = static_cast<ResType>(code);
      type.Resize(BoundedCount(recon, entryCount, kMinEntryBytes, &cut));
    }
    for (int32_t i = 0; i < type.Count(); ++i) {
      ResMapEntry* entry = type.At(i);
      recon.Long(&entry->fOffset);
      recon.Short(&entry->fId);
      int16_t storedFlags = static_cast<int16_t>(entry->fStoredFlags);
      recon.Short(&storedFlags);
      recon.String(&entry->fName);
      if (reading) {
        entry->fStoredFlags = static_cast<uint16_t>(storedFlags);
        entry->fFlags = entry->fStoredFlags;
      }
    }
  }
  if (reading) map.SetDecodedShort(cut || recon.Overflowed());
}
