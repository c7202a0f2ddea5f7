#include "msrc/File/FileBlockHeader.h"

#include "msrc/File/BigEndian.h"
#include "msrc/File/IFFFormat.h"

namespace {
constexpr int32_t kTypeAt = 0;
constexpr int32_t kSizeAt = 4;
constexpr int32_t kIdAt = 8;
constexpr int32_t kFlagsAt = 10;
constexpr int32_t kNameIndexAt = 12;
}  // namespace

FileBlockHeader FileBlockHeader::FromBytes(const uint8_t* bytes) {
  return FileBlockHeader(ReadBigEndian32(bytes + kTypeAt), static_cast<int32_t>(ReadBigEndian32(bytes + kSizeAt)),
                         static_cast<int16_t>(ReadBigEndian16(bytes + kIdAt)), ReadBigEndian16(bytes + kFlagsAt),
                         static_cast<int32_t>(ReadBigEndian32(bytes + kNameIndexAt)));
}

void FileBlockHeader::ToBytes(uint8_t* bytes) const {
  WriteBigEndian32(bytes + kTypeAt, fType);
  WriteBigEndian32(bytes + kSizeAt, static_cast<uint32_t>(fSize));
  WriteBigEndian16(bytes + kIdAt, static_cast<uint16_t>(fId));
  WriteBigEndian16(bytes + kFlagsAt, fFlags);
  WriteBigEndian32(bytes + kNameIndexAt, static_cast<uint32_t>(fNameIndex));
}

FileBlockHeader FileBlockHeader::Free(int32_t size) {
  return FileBlockHeader(kFreeBlockType, size, 0, kInvalid, kNoName);
}

bool FileBlockHeader::IsFree() const { return (fFlags & kInvalid) != 0; }

void FileBlockHeader::MarkFree() {
  fType = kFreeBlockType;
  fFlags |= kInvalid;
}
