#include "msrc/File/IFFFileHeader.h"

#include <cstring>

#include "msrc/File/BigEndian.h"

namespace {

constexpr int32_t kMajorAt = 9;
constexpr int32_t kMinorAt = 11;
constexpr int32_t kTailAt = 60;

// The generation-1 header; generation 2 differs only at the wildcards.
constexpr char kVersion1Text[] = "IFF FILE 1.0:TYPE FOLLOWED BY SIZE\0 ODREN VASKHOLM & KORVA 1996";
static_assert(sizeof kVersion1Text == IFFFileHeader::kSize, "63 characters and the final zero");

bool IsWildcard(int32_t at) { return at == kMajorAt || at == kMinorAt || at >= kTailAt; }

}  // namespace

IFFFileHeader::IFFFileHeader() : fBytes{} {}

IFFFileHeader IFFFileHeader::Version1() { return FromBytes(reinterpret_cast<const uint8_t*>(kVersion1Text)); }

IFFFileHeader IFFFileHeader::Version2(int32_t major, int32_t minor, uint32_t mapOffset) {
  IFFFileHeader header = Version1();
  header.fBytes[kMajorAt] = static_cast<uint8_t>('0' + major);
  header.fBytes[kMinorAt] = static_cast<uint8_t>('0' + minor);
  WriteBigEndian32(&header.fBytes[kTailAt], mapOffset);
  return header;
}

IFFFileHeader IFFFileHeader::FromBytes(const uint8_t* bytes) {
  IFFFileHeader header;
  std::memcpy(header.fBytes.data(), bytes, kSize);
  return header;
}

bool IFFFileHeader::IsVersion1() const { return std::memcmp(fBytes.data(), kVersion1Text, kSize) == 0; }

bool IFFFileHeader::MatchesVersion2Pattern() const {
  for (int32_t at = 0; at < kSize; ++at) {
    if (!IsWildcard(at) && fBytes[at] != static_cast<uint8_t>(kVersion1Text[at])) return false;
  }
  return true;
}

int32_t IFFFileHeader::Major() const { return fBytes[kMajorAt] - '0'; }

int32_t IFFFileHeader::Minor() const { return fBytes[kMinorAt] - '0'; }

uint32_t IFFFileHeader::MapOffset() const { return ReadBigEndian32(&fBytes[kTailAt]); }
