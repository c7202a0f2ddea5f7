#pragma once

#include <cstdint>

#include "msrc/Util/FixedStringBuffer.h"
#include "msrc/Util/rmemwrap.h"

// One resource of a generation-2 IFF file in the file's in-memory index
// (IFFResMap). Owns its handle while one is attached and disposes of it when
// the entry goes away.
//
// A new entry is blank: offset -1, id -1, both flags 0xFFFF, no handle, no
// name.
class ResMapEntry {
 public:
  static constexpr int32_t kNotOnDisk = -1;

  ResMapEntry() = default;
  ~ResMapEntry();
  ResMapEntry(const ResMapEntry&) = delete;
  ResMapEntry& operator=(const ResMapEntry&) = delete;

  MHandle Handle() const { return fHandle; }
  // Takes ownership; a handle already attached (another one) is disposed of.
  void AttachHandle(MHandle handle);
  // Gives up the handle without disposing of it; the caller owns it now.
  MHandle TakeHandle();
  void DisposeHandle();

  bool OnDisk() const { return fOffset != kNotOnDisk; }
  // The high byte of the current flags.
  uint8_t Language() const { return static_cast<uint8_t>(fFlags >> 8); }

  // Offset of the resource's block, kNotOnDisk while it has none.
  int32_t fOffset = kNotOnDisk;
  int16_t fId = -1;
  // Current flags: the language in the high byte, kSwizzled once the bytes in
  // memory are in memory form.
  uint16_t fFlags = 0xFFFF;
  // The flags as they stand in the block header on disk; 0 for a resource
  // added and not yet written.
  uint16_t fStoredFlags = 0xFFFF;
  // At most 63 characters.
  FixedStringBuffer<64> fName;
  // The block that held this resource before it was replaced by new bytes
  // that are not on disk yet, kNotOnDisk for none. It stays a live block until
  // the new one is written, so a failed write leaves the old resource where a
  // reader finds it.
  int32_t fReplacedOffset = kNotOnDisk;
  // The id that block carries.
  int16_t fReplacedId = -1;

 private:
  MHandle fHandle = nullptr;
};
