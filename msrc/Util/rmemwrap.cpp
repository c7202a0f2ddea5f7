#include "msrc/Util/rmemwrap.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <unordered_set>

#include "msrc/Util/XAssert.h"

// One record per handle, on the heap beside its block. The block holds
// `guard` bytes of value 5, the data, and `guard` more bytes of value 5.
struct MHandleRecord {
  uint32_t magic;
  uint8_t* block;
  int16_t guard;
  int16_t lockCount;
  int32_t allocated;
  uint32_t serial;
  MHandleRecord* next;
  MHandleRecord* previous;
};

namespace {

constexpr const char* kSourcePath = "msrc/Util/rmemwrap";
constexpr uint32_t kMagic = 0xA3A3A3A3u;
constexpr uint8_t kFillByte = 0xA3;
constexpr uint8_t kGuardByte = 5;

int32_t sLastError = 0;
uint32_t sLastSystemError = 0;
int16_t sGuardSize = 0;
MHandleRecord* sLiveHandles = nullptr;
// The same handles, for the question "is this one live?" that every dispose
// asks: a file closing n handles must not search the list n times, and the
// answer must come without touching a pointer that may not be a handle.
std::unordered_set<const MHandleRecord*>& LiveSet() {
  static auto* live = new std::unordered_set<const MHandleRecord*>();
  return *live;
}
uint32_t sSerialCounter = 0;
int32_t sFailingAllocations = 0;

// The guarded block size for `size` data bytes, or -1 when that is negative or
// does not fit in 32 bits.
int32_t GuardedSize(int32_t size, int16_t guard) {
  const int64_t allocated = static_cast<int64_t>(size) + 2 * static_cast<int64_t>(guard);
  if (size < 0 || allocated > std::numeric_limits<int32_t>::max()) return -1;
  return static_cast<int32_t>(allocated);
}

// An allocation the heap refused: reported, out of memory, and the system's
// reason kept.
void AllocationFailed(int systemError) {
  XASSERT(kSourcePath, __LINE__, "platMem", "Handle allocation failed");
  sLastError = kMHandleErrNoMemory;
  sLastSystemError = static_cast<uint32_t>(systemError);
}

// Takes the test hook's failures before asking the heap. A zero-byte block is
// no block at all, so that a failed allocation is never confused with one.
bool Reallocate(uint8_t** block, int32_t allocated) {
  if (sFailingAllocations > 0) {
    --sFailingAllocations;
    AllocationFailed(ENOMEM);
    return false;
  }
  if (allocated == 0) {
    std::free(*block);
    *block = nullptr;
    return true;
  }
  errno = 0;
  void* moved = std::realloc(*block, static_cast<size_t>(allocated));
  if (moved == nullptr) {
    AllocationFailed(errno != 0 ? errno : ENOMEM);
    return false;
  }
  *block = static_cast<uint8_t*>(moved);
  return true;
}

int32_t DataSize(const MHandleRecord* h) { return h->allocated - 2 * h->guard; }

bool RefuseNull(MHandle handle) {
  if (handle != nullptr) return false;
  sLastError = kMHandleErrBad;
  return true;
}

// The helpers below reach the block directly rather than through a lock, so
// that they never disturb, or report on, the caller's lock count.
bool GuardsIntact(const MHandleRecord* h) {
  if (h->guard <= 0 || h->block == nullptr) return true;
  const uint8_t* after = h->block + h->guard + DataSize(h);
  for (int32_t i = 0; i < h->guard; ++i) {
    if (h->block[i] != kGuardByte || after[i] != kGuardByte) return false;
  }
  return true;
}

void CheckGuards(const MHandleRecord* h) {
  if (!GuardsIntact(h)) XASSERT(kSourcePath, __LINE__, "false", "bounds checker detected handle overwrite");
}

void FillGuards(MHandleRecord* h) {
  if (h->guard <= 0 || h->block == nullptr) return;
  std::memset(h->block, kGuardByte, static_cast<size_t>(h->guard));
  std::memset(h->block + h->guard + DataSize(h), kGuardByte, static_cast<size_t>(h->guard));
}

void FillData(MHandleRecord* h) {
  if (h->block == nullptr || DataSize(h) <= 0) return;
  std::memset(h->block + h->guard, kFillByte, static_cast<size_t>(DataSize(h)));
}

}  // namespace

MHandle NewMHandle(int32_t size) {
  sLastError = 0;
  const int32_t allocated = GuardedSize(size, sGuardSize);
  if (allocated < 0) {
    AllocationFailed(ENOMEM);
    return nullptr;
  }
  uint8_t* block = nullptr;
  if (!Reallocate(&block, allocated)) return nullptr;
  auto* h = static_cast<MHandleRecord*>(std::malloc(sizeof(MHandleRecord)));
  if (h == nullptr) {
    std::free(block);
    AllocationFailed(ENOMEM);
    return nullptr;
  }
  h->magic = kMagic;
  h->block = block;
  h->guard = sGuardSize;
  h->lockCount = 0;
  h->allocated = allocated;
  h->serial = sSerialCounter++;
  h->next = sLiveHandles;
  h->previous = nullptr;
  if (sLiveHandles != nullptr) sLiveHandles->previous = h;
  sLiveHandles = h;
  LiveSet().insert(h);
  FillGuards(h);
  FillData(h);
  return h;
}

void DisposeMHandle(MHandle handle) {
  sLastError = 0;
  if (handle == nullptr || LiveSet().count(handle) == 0) {
    XASSERT(kSourcePath, __LINE__, "false", "bad MHandle free");
    sLastError = kMHandleErrBad;
    return;
  }
  CheckGuards(handle);
  FillData(handle);
  LiveSet().erase(handle);
  if (handle->previous != nullptr) {
    handle->previous->next = handle->next;
  } else {
    sLiveHandles = handle->next;
  }
  if (handle->next != nullptr) handle->next->previous = handle->previous;
  handle->magic = 0;
  std::free(handle->block);
  std::free(handle);
}

void* LockMHandle(MHandle handle) {
  sLastError = 0;
  if (RefuseNull(handle)) return nullptr;
  if (handle->allocated == 0) return kEmptyMHandleAddress;
  if (handle->block == nullptr) {
    sLastError = kMHandleErrBad;
    return nullptr;
  }
  if (handle->lockCount < 0) XASSERT(kSourcePath, __LINE__, "lockCount>=0", "lock count<0");
  ++handle->lockCount;
  return handle->block + handle->guard;
}

void UnlockMHandle(MHandle handle) {
  sLastError = 0;
  if (RefuseNull(handle) || handle->allocated == 0) return;
  if (handle->lockCount <= 0) XASSERT(kSourcePath, __LINE__, "lockCount>0", "bad lock count");
  --handle->lockCount;
}

int32_t GetMHandleSize(MHandle handle) {
  sLastError = 0;
  if (RefuseNull(handle)) return 0;
  return DataSize(handle);
}

int32_t SetMHandleSize(MHandle handle, int32_t size) {
  sLastError = 0;
  if (RefuseNull(handle)) return sLastError;
  if (handle->lockCount > 0) {
    XASSERT(kSourcePath, __LINE__, "false", "resizing locked handle");
    return sLastError = kMHandleErrLocked;
  }
  CheckGuards(handle);
  const int32_t allocated = GuardedSize(size, handle->guard);
  if (allocated < 0) {
    AllocationFailed(ENOMEM);
    return sLastError;
  }
  if (!Reallocate(&handle->block, allocated)) return sLastError;
  handle->allocated = allocated;
  FillGuards(handle);
  return sLastError;
}

int32_t MHandleError() { return sLastError; }

uint32_t MHandleSystemError() { return sLastSystemError; }

int16_t SetMHandleGuardSize(int16_t size) {
  const int16_t previous = sGuardSize;
  sGuardSize = size > 0 ? size : 0;
  return previous;
}

int32_t CountLiveMHandles() { return static_cast<int32_t>(LiveSet().size()); }

void MHandleFailAllocations(int32_t count) { sFailingAllocations = count > 0 ? count : 0; }
