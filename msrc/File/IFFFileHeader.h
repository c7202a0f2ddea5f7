#pragma once

#include <array>
#include <cstdint>

// The 64 bytes at offset 0 of an IFF file:
//
//    0  9  "IFF FILE "
//    9  1  version major digit ('1' or '2')
//   10  1  '.'
//   11  1  version minor digit ('0', or for generation 2 '0' or '5')
//   12 22  ":TYPE FOLLOWED BY SIZE"
//   34  1  0x00
//   35 25  " ODREN VASKHOLM & KORVA 1"
//   60  4  generation 1: "996" and 0x00;
//          version 2.5: the resource map's block offset, unsigned big-endian
//
// Generation 1 must match its 64 bytes exactly. Generation 2 matches the same
// text with bytes 9, 11 and 60..63 taken as wildcards; the version then comes
// from the two digits.
class IFFFileHeader {
 public:
  static constexpr int32_t kSize = 64;

  // All zero: matches nothing.
  IFFFileHeader();

  // The exact generation-1 header.
  static IFFFileHeader Version1();
  // A generation-2 header with the digits of `major`.`minor` and the map
  // offset in bytes 60..63.
  static IFFFileHeader Version2(int32_t major, int32_t minor, uint32_t mapOffset);
  static IFFFileHeader FromBytes(const uint8_t* bytes);

  const uint8_t* Bytes() const { return fBytes.data(); }

  bool IsVersion1() const;
  // Every byte but the wildcards agrees with the generation-2 pattern.
  bool MatchesVersion2Pattern() const;
  // The digits at bytes 9 and 11 as numbers (any byte minus '0').
  int32_t Major() const;
  int32_t Minor() const;
  uint32_t MapOffset() const;

 private:
  std::array<uint8_t, kSize> fBytes;
};
