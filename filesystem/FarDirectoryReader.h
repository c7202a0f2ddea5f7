#pragma once

#include <cstdint>

#include "filesystem/CTGString.h"
#include "filesystem/FSFile.h"

// One directory entry of an archive.
struct FarMember {
  int32_t length = 0;
  int32_t dataOffset = 0;
  // As stored: folder parts separated by "\" or "/", any letter case.
  CTGString name;
};

// Reads the directory of an archive through an FSFile's read-ahead.
//
// Archive layout, all integers 32-bit little-endian, offsets from the start of
// the file:
//
//   header     0  signature  8 bytes "FAR!byQX", no terminator
//              8  version    1
//             12  directoryOffset
//   directory  0  count      signed; zero or less means no members
//              4  entries    count entries back to back:
//   entry      0  length     the member's size
//              4  length2    a second length, not used
//              8  dataOffset the member's first byte in the file
//             12  nameLength
//             16  name       nameLength bytes, no terminator; folder parts
//                            separated by "\" or "/"
//
// Neither the signature nor the version is checked. Member ranges are not
// checked against the file: a member reaching past the end reads short.
class FarDirectoryReader {
 public:
  explicit FarDirectoryReader(FSFile* file) : fFile(file) {}

  // Reads the header and the entry count. False when the file ends first or
  // the directory offset cannot be reached.
  bool Start();
  // The entry count; zero or less means no members.
  int32_t Count() const { return fCount; }
  // Reads the next entry. False when the file ends inside it, or its name
  // length is negative or longer than kMaxNameLength. A zero byte cuts the
  // name.
  bool Next(FarMember* member);

  static constexpr int32_t kHeaderSize = 16;
  // Names are held in a buffer of 2048 bytes with a terminator.
  static constexpr int32_t kMaxNameLength = 2047;

 private:
  bool ReadInt32(int32_t* value);

  FSFile* fFile;
  int32_t fCount = 0;
};
