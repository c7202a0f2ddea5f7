#include "msrc/File/IFFBlockHeader.h"

#include <algorithm>
#include <cstring>

#include "msrc/File/BigEndian.h"
#include "msrc/File/IFFFormat.h"

namespace {
constexpr int32_t kTypeAt = 0;
constexpr int32_t kSizeAt = 4;
constexpr int32_t kIdAt = 8;
constexpr int32_t kFlagsAt = 10;
constexpr int32_t kNameAt = 12;
}  // namespace

IFFBlockHeader::IFFBlockHeader() : fType(0), fSize(0), fId(0), fFlags(0), fName{} {}

IFFBlockHeader IFFBlockHeader::FromBytes(const uint8_t* bytes) {
  IFFBlockHeader header;
  header.fType = ReadBigEndian32(bytes + kTypeAt);
  header.fSize = static_cast<int32_t>(ReadBigEndian32(bytes + kSizeAt));
  header.fId = static_cast<int16_t>(ReadBigEndian16(bytes + kIdAt));
  header.fFlags = ReadBigEndian16(bytes + kFlagsAt);
  std::memcpy(header.fName.data(), bytes + kNameAt, kNameSize);
  return header;
}

void IFFBlockHeader::ToBytes(uint8_t* bytes) const {
  WriteBigEndian32(bytes + kTypeAt, fType);
  WriteBigEndian32(bytes + kSizeAt, static_cast<uint32_t>(fSize));
  WriteBigEndian16(bytes + kIdAt, static_cast<uint16_t>(fId));
  WriteBigEndian16(bytes + kFlagsAt, fFlags);
  std::memcpy(bytes + kNameAt, fName.data(), kNameSize);
}

IFFBlockHeader IFFBlockHeader::Free(int32_t size) {
  IFFBlockHeader header;
  header.fSize = size;
  header.MarkFree();
  return header;
}

bool IFFBlockHeader::IsFree() const { return (fFlags & kInvalid) != 0; }

void IFFBlockHeader::MarkFree() {
  fType = kFreeBlockType;
  fFlags |= kInvalid;
}

bool IFFBlockHeader::HasPlausibleSize() const {
  const uint32_t size = static_cast<uint32_t>(fSize);
  return size >= static_cast<uint32_t>(kSize) && size <= static_cast<uint32_t>(kMaxBlockSize);
}

void IFFBlockHeader::GetName(StringBuffer* name) const {
  name->Clear();
  name->Append(reinterpret_cast<const char*>(fName.data()), kMaxNameLength);
}

bool IFFBlockHeader::SetName(const StringBuffer& name) {
  const int32_t length = std::min(name.Length(), kMaxNameLength);
  fName.fill(0);
  std::memcpy(fName.data(), name.Text(), static_cast<size_t>(length));
  return length == name.Length();
}
