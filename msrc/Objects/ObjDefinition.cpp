#include "msrc/Objects/ObjDefinition.h"

#include <algorithm>
#include <cstring>

#include "msrc/Util/XAssert.h"

namespace {

constexpr const char* kSourcePath = "msrc/Objects/ObjDefinition";
// The lines the reports of this module name; tools that collect reports key on
// them, so they stay fixed whatever this file looks like.
constexpr int32_t kSwizzleLine = 13;
constexpr int32_t kCorrectlySizedLine = 35;
constexpr int32_t kBadVersionLine = 112;
constexpr int32_t kFillLine = 122;
constexpr int32_t kTruncateLine = 130;

bool FieldFits(int32_t size, int32_t offset, int32_t width) {
  return offset >= 0 && size >= width && offset <= size - width;
}

// Zeroes bytes [from, to) of a locked record, clipped to its real size.
void ZeroRange(void* data, int32_t size, int32_t from, int32_t to) {
  to = std::min(to, size);
  if (from < 0 || from >= to) return;
  std::memset(static_cast<uint8_t*>(data) + from, 0, static_cast<size_t>(to - from));
}

// The record's version; 0 when it is too short to hold one or cannot be
// locked.
int32_t ReadVersion(MHandle handle) {
  const int32_t size = GetMHandleSize(handle);
  const void* data = LockMHandle(handle);
  if (data == nullptr) return 0;
  const int32_t version = ReadDefinitionLong(data, size, kObjdVersionOffset);
  UnlockMHandle(handle);
  return version;
}

// Grows (or shrinks) the record to the current size and zeroes the bytes from
// `zeroFrom` up to the end of what the handle really holds afterwards.
void ResizeAndZero(MHandle handle, int32_t zeroFrom) {
  SetMHandleSize(handle, kObjdCurrentSize);
  const int32_t size = GetMHandleSize(handle);
  void* data = LockMHandle(handle);
  if (data == nullptr) return;
  ZeroRange(data, size, zeroFrom, kObjdCurrentSize);
  UnlockMHandle(handle);
}

}  // namespace

int32_t ReadDefinitionLong(const void* data, int32_t size, int32_t offset) {
  if (data == nullptr || !FieldFits(size, offset, 4)) return 0;
  const auto* bytes = static_cast<const uint8_t*>(data) + offset;
  return static_cast<int32_t>(static_cast<uint32_t>(bytes[0]) | (static_cast<uint32_t>(bytes[1]) << 8) |
                              (static_cast<uint32_t>(bytes[2]) << 16) | (static_cast<uint32_t>(bytes[3]) << 24));
}

int16_t ReadDefinitionWord(const void* data, int32_t size, int32_t offset) {
  if (data == nullptr || !FieldFits(size, offset, 2)) return 0;
  const auto* bytes = static_cast<const uint8_t*>(data) + offset;
  return static_cast<int16_t>(static_cast<uint16_t>(bytes[0] | (bytes[1] << 8)));
}

bool WriteDefinitionLong(void* data, int32_t size, int32_t offset, int32_t value) {
  if (data == nullptr || !FieldFits(size, offset, 4)) return false;
  auto* bytes = static_cast<uint8_t*>(data) + offset;
  const auto bits = static_cast<uint32_t>(value);
  for (int i = 0; i < 4; ++i) bytes[i] = static_cast<uint8_t>(bits >> (8 * i));
  return true;
}

bool WriteDefinitionWord(void* data, int32_t size, int32_t offset, int16_t value) {
  if (data == nullptr || !FieldFits(size, offset, 2)) return false;
  auto* bytes = static_cast<uint8_t*>(data) + offset;
  const auto bits = static_cast<uint16_t>(value);
  bytes[0] = static_cast<uint8_t>(bits);
  bytes[1] = static_cast<uint8_t>(bits >> 8);
  return true;
}

bool NormalizeDefinition(MHandle handle) {
  if (handle == nullptr) return false;
  bool upgraded = false;
  int32_t version = ReadVersion(handle);

  if (version == 137 && GetMHandleSize(handle) == kObjdCurrentSize)
    XASSERT(kSourcePath, kCorrectlySizedLine, "false", "correctly sized def found.");

  if (version == 136 || version == 137) {
    const int32_t oldSize = GetMHandleSize(handle);
    void* data = LockMHandle(handle);
    if (data != nullptr) {
      WriteDefinitionLong(data, oldSize, kObjdVersionOffset, kObjdCurrentVersion);
      UnlockMHandle(handle);
    }
    // Whole words only: an odd old size loses its last byte.
    ResizeAndZero(handle, (oldSize / 2) * 2);
    version = ReadVersion(handle);
    upgraded = true;
  }

  if (version != kObjdCurrentVersion) XASSERT(kSourcePath, kBadVersionLine, "false", "bad version");

  const int32_t size = GetMHandleSize(handle);
  if (size < kObjdCurrentSize) {
    XASSERT(kSourcePath, kFillLine, "false", "filling in defn with zeroes.");
    ResizeAndZero(handle, size);
  } else if (size > kObjdCurrentSize) {
    XASSERT(kSourcePath, kTruncateLine, "false", "truncating defn.");
    SetMHandleSize(handle, kObjdCurrentSize);
  }
  return upgraded;
}

void SwizzleDefinition(void* /*data*/, int32_t /*size*/) {
  XASSERT(kSourcePath, kSwizzleLine, "false", "swizzle disabled for now");
}

bool ReadDefinitionSorts(MHandle handle, DefinitionSorts* sorts) {
  const int32_t size = GetMHandleSize(handle);
  const void* data = LockMHandle(handle);
  if (data == nullptr || sorts == nullptr) {
    if (data != nullptr) UnlockMHandle(handle);
    return false;
  }
  sorts->fRoom = ReadDefinitionWord(data, size, kObjdRoomSortOffset);
  sorts->fFunction = ReadDefinitionWord(data, size, kObjdFunctionSortOffset);
  sorts->fSubsort = ReadDefinitionWord(data, size, kObjdFunctionSubsortOffset);
  sorts->fDowntown = ReadDefinitionWord(data, size, kObjdDowntownSortOffset);
  UnlockMHandle(handle);
  return true;
}

bool WriteDefinitionSorts(MHandle handle, const DefinitionSorts& sorts) {
  const int32_t size = GetMHandleSize(handle);
  void* data = LockMHandle(handle);
  if (data == nullptr) return false;
  WriteDefinitionWord(data, size, kObjdDowntownSortOffset, sorts.fDowntown);
  WriteDefinitionWord(data, size, kObjdRoomSortOffset, sorts.fRoom);
  WriteDefinitionWord(data, size, kObjdFunctionSortOffset, sorts.fFunction);
  WriteDefinitionWord(data, size, kObjdFunctionSubsortOffset, sorts.fSubsort);
  UnlockMHandle(handle);
  return true;
}

bool ReadDefinitionGroup(MHandle handle, int16_t* groupId, int16_t* groupSlot) {
  const int32_t size = GetMHandleSize(handle);
  const void* data = LockMHandle(handle);
  if (data == nullptr) return false;
  if (groupId != nullptr) *groupId = ReadDefinitionWord(data, size, kObjdGroupIdOffset);
  if (groupSlot != nullptr) *groupSlot = ReadDefinitionWord(data, size, kObjdGroupSlotOffset);
  UnlockMHandle(handle);
  return true;
}
