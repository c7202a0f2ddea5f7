#include "tests/app/core/ObjectFileMaker.h"

#include <cstring>

#include "msrc/File/IFFResFile2.h"
#include "msrc/Util/FixedStringBuffer.h"
#include "msrc/Util/rmemwrap.h"

namespace {

void Put16(std::string* bytes, size_t at, int16_t value) {
  if (at + 2 > bytes->size()) return;
  (*bytes)[at] = static_cast<char>(static_cast<uint16_t>(value) & 0xFF);
  (*bytes)[at + 1] = static_cast<char>(static_cast<uint16_t>(value) >> 8);
}

void Put32(std::string* bytes, size_t at, int32_t value) {
  if (at + 4 > bytes->size()) return;
  for (size_t i = 0; i < 4; ++i) (*bytes)[at + i] = static_cast<char>((static_cast<uint32_t>(value) >> (8 * i)) & 0xFF);
}

int16_t Get16(const std::string& bytes, size_t at) {
  if (at + 2 > bytes.size()) return 0;
  return static_cast<int16_t>(static_cast<uint8_t>(bytes[at]) | (static_cast<uint8_t>(bytes[at + 1]) << 8));
}

}  // namespace

DefinitionFields SortFields(int16_t room, int16_t function, int16_t subsort, int16_t downtown) {
  DefinitionFields fields;
  fields.room = room;
  fields.function = function;
  fields.subsort = subsort;
  fields.downtown = downtown;
  return fields;
}

std::string MakeDefinition(const DefinitionFields& fields) {
  std::string bytes(static_cast<size_t>(fields.size), '\0');
  for (size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<char>(((i * 7 + 3) % 251) + 1);
  Put32(&bytes, 0, fields.version);
  Put16(&bytes, 20, fields.groupId);
  Put16(&bytes, 22, fields.groupSlot);
  return WithSorts(bytes, fields.room, fields.function, fields.subsort, fields.downtown);
}

std::string NormalizedDefinition(const std::string& bytes) {
  std::string result = bytes;
  int32_t version = 0;
  if (bytes.size() >= 4) std::memcpy(&version, bytes.data(), 4);
  if (version == 136 || version == 137) {
    const size_t words = bytes.size() / 2;
    result.resize(216, '\0');
    for (size_t w = words; w < 108; ++w) result[2 * w] = result[2 * w + 1] = '\0';
    Put32(&result, 0, 138);
  }
  result.resize(216, '\0');
  return result;
}

std::string WithSorts(std::string bytes, int16_t room, int16_t function, int16_t subsort, int16_t downtown) {
  Put16(&bytes, 78, room);
  Put16(&bytes, 80, function);
  Put16(&bytes, 188, subsort);
  Put16(&bytes, 190, downtown);
  return bytes;
}

StoredSorts ReadStoredSorts(const std::string& bytes) {
  return {Get16(bytes, 78), Get16(bytes, 80), Get16(bytes, 188), Get16(bytes, 190)};
}

bool WriteObjectFile(const std::string& windowsPath, const std::vector<ResourceData>& resources) {
  const FixedStringBuffer<260> path(windowsPath.c_str());
  IFFResFile2 file;
  file.Delete(path);
  if (file.Create(path) != kResErrNone || file.Open(path) != kResErrNone) return false;
  bool ok = true;
  for (const ResourceData& resource : resources) {
    MHandle handle = NewMHandle(static_cast<int32_t>(resource.bytes.size()));
    if (handle == nullptr) return false;
    if (!resource.bytes.empty()) {
      std::memcpy(LockMHandle(handle), resource.bytes.data(), resource.bytes.size());
      UnlockMHandle(handle);
    }
    const FixedStringBuffer<64> name(resource.name.c_str());
    file.AddResource(handle, resource.type, resource.id, name, false);
    ok = ok && file.Error() == kResErrNone;
  }
  return file.Close() == kResErrNone && ok;
}
