#pragma once

#include <array>
#include <cstdint>

#include "msrc/File/ResType.h"
#include "msrc/Util/StringBuffer.h"

// The 76-byte header in front of every block of a generation-2 IFF file, all
// integers big-endian:
//
//    0  4  type code ('XXXX' for free space)
//    4  4  size of the whole block, these 76 bytes included, signed
//    8  2  resource id, signed
//   10  2  flags (kInvalid, kSwizzled, ...; the language in the high byte)
//   12 64  name: at most 63 characters and a zero; a writer zeroes the rest,
//          so byte 75 is always zero
//
// The payload, size - 76 bytes, follows directly. The name bytes are kept as
// read, so a header that is only marked free goes back to disk unchanged
// apart from its type and flags.
class IFFBlockHeader {
 public:
  static constexpr int32_t kSize = 76;
  static constexpr int32_t kNameSize = 64;
  static constexpr int32_t kMaxNameLength = kNameSize - 1;

  // All zero.
  IFFBlockHeader();

  static IFFBlockHeader FromBytes(const uint8_t* bytes);
  void ToBytes(uint8_t* bytes) const;

  // A free block of `size` bytes: type 'XXXX', kInvalid, id 0, empty name.
  static IFFBlockHeader Free(int32_t size);

  bool IsFree() const;
  // Type 'XXXX' and kInvalid added; everything else stays.
  void MarkFree();
  // At least a header and at most kMaxBlockSize, the size read as unsigned.
  bool HasPlausibleSize() const;
  uint8_t Language() const { return static_cast<uint8_t>(fFlags >> 8); }

  // The name up to its zero, at most 63 characters even when the field holds
  // no zero.
  void GetName(StringBuffer* name) const;
  // Stores at most 63 characters of `name` and zeroes the rest of the field.
  // False when the name had to be cut.
  bool SetName(const StringBuffer& name);

  ResType fType;
  int32_t fSize;
  int16_t fId;
  uint16_t fFlags;
  std::array<uint8_t, kNameSize> fName;
};
