#pragma once

#include <cstdint>

#include "msrc/File/ResType.h"

// The 16-byte header in front of every block of a generation-1 IFF file, all
// integers big-endian:
//
//    0  4  type code ('XXXX' for free space)
//    4  4  size of the whole block, these 16 bytes included, signed
//    8  2  resource id, signed
//   10  2  flags (kInvalid, kInternal, kSwizzled; the high byte is zero)
//   12  4  name index: the key of the resource's name in the names cache,
//          signed, -1 for no name
//
// The payload, size - 16 bytes, follows directly.
class FileBlockHeader {
 public:
  static constexpr int32_t kSize = 16;
  static constexpr int32_t kNoName = -1;

  // All zero, name index -1.
  FileBlockHeader() = default;
  FileBlockHeader(ResType type, int32_t size, int16_t id, uint16_t flags, int32_t nameIndex)
      : fType(type), fSize(size), fId(id), fFlags(flags), fNameIndex(nameIndex) {}

  static FileBlockHeader FromBytes(const uint8_t* bytes);
  void ToBytes(uint8_t* bytes) const;

  // A free block of `size` bytes: type 'XXXX', kInvalid, id 0, no name.
  static FileBlockHeader Free(int32_t size);

  bool IsFree() const;
  // Type 'XXXX' and kInvalid added; everything else stays.
  void MarkFree();

  ResType fType = 0;
  int32_t fSize = 0;
  int16_t fId = 0;
  uint16_t fFlags = 0;
  int32_t fNameIndex = kNoName;
};
