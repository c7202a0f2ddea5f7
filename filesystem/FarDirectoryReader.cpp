#include "filesystem/FarDirectoryReader.h"

#include <array>
#include <cstring>

bool FarDirectoryReader::ReadInt32(int32_t* value) {
  uint8_t bytes[4];
  if (!fFile->ReadBuffered(bytes, sizeof bytes)) return false;
  const uint32_t raw = static_cast<uint32_t>(bytes[0]) | static_cast<uint32_t>(bytes[1]) << 8 |
                       static_cast<uint32_t>(bytes[2]) << 16 | static_cast<uint32_t>(bytes[3]) << 24;
  *value = static_cast<int32_t>(raw);
  return true;
}

bool FarDirectoryReader::Start() {
  uint8_t signature[8];
  int32_t version = 0;
  int32_t directoryOffset = 0;
  if (!fFile->ReadBuffered(signature, sizeof signature) || !ReadInt32(&version) || !ReadInt32(&directoryOffset)) {
    return false;
  }
  if (!fFile->SeekRaw(directoryOffset)) return false;
  return ReadInt32(&fCount);
}

bool FarDirectoryReader::Next(FarMember* member) {
  int32_t length2 = 0;
  int32_t nameLength = 0;
  if (!ReadInt32(&member->length) || !ReadInt32(&length2) || !ReadInt32(&member->dataOffset) ||
      !ReadInt32(&nameLength)) {
    return false;
  }
  if (nameLength < 0 || nameLength > kMaxNameLength) return false;
  std::array<char, kMaxNameLength + 1> name{};
  if (!fFile->ReadBuffered(name.data(), nameLength)) return false;
  name[static_cast<size_t>(nameLength)] = '\0';
  member->name = CTGString(name.data(), static_cast<int32_t>(std::strlen(name.data())));
  return true;
}
