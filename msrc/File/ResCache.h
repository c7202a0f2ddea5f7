#pragma once

#include <cstdint>
#include <memory>

#include "msrc/Util/rmemwrap.h"

// One resource of a generation-1 IFF file in the block file's in-memory
// cache (IFFResFile): a link in its type's list, newest first. Owns its
// handle while one is attached and disposes of it when it goes away; owns the
// rest of the list behind it.
//
// States: on disk only (offset set, no handle), loaded (both), added and not
// written yet (handle, offset kNotOnDisk), and detached (back to on disk
// only, the caller owning the handle).
class ResCache {
 public:
  static constexpr int32_t kNotOnDisk = -1;

  ResCache() = default;
  // Frees the list behind it one link at a time, so that a long list does not
  // recurse.
  ~ResCache();
  ResCache(const ResCache&) = delete;
  ResCache& operator=(const ResCache&) = delete;

  MHandle Handle() const { return fHandle; }
  // Takes ownership; another handle already attached is disposed of.
  void AttachHandle(MHandle handle);
  // Gives up the handle without disposing of it; the caller owns it now.
  MHandle TakeHandle();
  void DisposeHandle();

  bool OnDisk() const { return fFileOffset != kNotOnDisk; }
  bool HasReplacedBlock() const { return fReplacedOffset != kNotOnDisk; }

  std::unique_ptr<ResCache> fNext;
  int16_t fId = 0;
  // The block flags; kSwizzled may be set here once the bytes in memory are
  // in memory form.
  uint16_t fFlags = 0;
  int32_t fFileOffset = kNotOnDisk;
  // Key in the names cache, -1 for no name.
  int32_t fNameIndex = -1;

  // The block that held this resource before AddResource replaced it with
  // bytes not yet on disk, kNotOnDisk for none. It stays a live block, its
  // name with it, until the new block is written, so a failed write leaves
  // the old resource where a walk finds it. The id, flags and name key that
  // block carries:
  int32_t fReplacedOffset = kNotOnDisk;
  int16_t fReplacedId = 0;
  uint16_t fReplacedFlags = 0;
  int32_t fReplacedNameIndex = -1;

 private:
  MHandle fHandle = nullptr;
};
