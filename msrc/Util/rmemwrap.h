#pragma once

#include <cstdint>

// Relocatable memory handles: every resource's bytes travel in one. The bytes
// are reached only between LockMHandle and the matching UnlockMHandle, and a
// handle is resized only while unlocked, so a locked pointer stays valid until
// its unlock. Fresh and disposed data bytes are filled with 0xA3; each block
// may carry guard zones of value 5 before and after the data, checked at
// resize and dispose.
//
// Process-wide state (live list, creation counter, last error, guard size) is
// plain and unprotected: handles are used from one thread only.
//
// Every operation except MHandleError first sets the last error to 0. A null
// handle is refused with kMHandleErrBad by every operation that takes one.

struct MHandleRecord;
using MHandle = MHandleRecord*;

constexpr int32_t kMHandleErrLocked = -198;
constexpr int32_t kMHandleErrBad = -199;
constexpr int32_t kMHandleErrNoMemory = -200;

// The address LockMHandle gives for a handle with no bytes at all (size 0, no
// guards). It only says "valid and empty" and must never be dereferenced.
inline void* const kEmptyMHandleAddress = reinterpret_cast<void*>(static_cast<uintptr_t>(0xA3A3A3A3u));

// A handle of `size` data bytes, all 0xA3, unlocked; null with
// kMHandleErrNoMemory when the heap refuses, and for a negative size or one
// whose guarded block would not fit in 32 bits.
MHandle NewMHandle(int32_t size);
// Checks the guards, fills the data with 0xA3 and frees the handle, locked or
// not. A handle that is not live (disposed of already, or never made here) is
// left untouched: reported "bad MHandle free", kMHandleErrBad.
void DisposeMHandle(MHandle handle);
// Counts one lock and returns the data address (kEmptyMHandleAddress, without
// counting, for an empty handle).
void* LockMHandle(MHandle handle);
void UnlockMHandle(MHandle handle);
int32_t GetMHandleSize(MHandle handle);
// Resizes the data, keeping its first bytes; bytes gained are undefined.
// Returns the last error: kMHandleErrLocked while locked, kMHandleErrNoMemory
// when the heap refuses or the size is negative or too large (the handle is
// then unchanged).
int32_t SetMHandleSize(MHandle handle, int32_t size);
// The result of the last handle operation.
int32_t MHandleError();
// The operating system's error code recorded at the last failed allocation.
uint32_t MHandleSystemError();

// --- For tests only. None of these changes what the operations above do. ---

// Sets the guard size for handles made from now on (negative counts as 0) and
// returns the previous one. The system itself always runs with 0.
int16_t SetMHandleGuardSize(int16_t size);
// Number of live handles.
int32_t CountLiveMHandles();
// Makes the next `count` data-block allocations (by NewMHandle and
// SetMHandleSize) fail as if the heap were exhausted; 0 stops failing.
void MHandleFailAllocations(int32_t count);
