#include "tools/demo/DemoObjectWriter.h"

#include <cstring>

#include "msrc/File/IFFResFile2.h"
#include "msrc/Objects/ObjDefinition.h"
#include "msrc/Util/FixedStringBuffer.h"
#include "msrc/Util/rmemwrap.h"

namespace tools {

namespace {

constexpr ResType kStringListType = MakeResType("STR#");
constexpr ResType kSpriteType = MakeResType("SPR2");
constexpr int16_t kStringListId = 128;
constexpr int32_t kSpriteSize = 256;

// A "STR#" string list in the plain layout: -1, the count, then each string
// with a terminating zero. Both 16-bit fields are big-endian, as a list
// stored without the swizzled mark keeps them.
std::string StringList(const DemoFile& file) {
  const auto count = static_cast<uint16_t>(file.fObjects.size());
  std::string bytes = {'\xFF', '\xFF', static_cast<char>(count >> 8), static_cast<char>(count & 0xFF)};
  for (const DemoObject& object : file.fObjects) {
    bytes += object.fName;
    bytes.push_back('\0');
  }
  return bytes;
}

// Stands in for a sprite: a caption and a pattern that differs per object.
std::string SpritePlaceholder(const DemoObject& object, int16_t id) {
  std::string bytes = std::string("sprite placeholder: ") + object.fName;
  bytes.resize(kSpriteSize, '\0');
  for (size_t i = bytes.find('\0'); i < bytes.size(); ++i) {
    bytes[i] = static_cast<char>((i * 13 + static_cast<size_t>(id)) & 0xFF);
  }
  return bytes;
}

bool Add(IFFResFile2& file, ResType type, int16_t id, const char* name, const std::string& bytes) {
  MHandle handle = NewMHandle(static_cast<int32_t>(bytes.size()));
  if (handle == nullptr) return false;
  if (!bytes.empty()) {
    std::memcpy(LockMHandle(handle), bytes.data(), bytes.size());
    UnlockMHandle(handle);
  }
  const FixedStringBuffer<64> resourceName(name);
  file.AddResource(handle, type, id, resourceName, false);
  if (file.Error() != kResErrNone) return false;
  file.WriteResource(handle);
  return file.Error() == kResErrNone;
}

}  // namespace

std::string DemoDefinitionRecord(const DemoObject& object) {
  std::string bytes(static_cast<size_t>(object.fSize), '\0');
  const auto size = static_cast<int32_t>(bytes.size());
  WriteDefinitionLong(bytes.data(), size, kObjdVersionOffset, object.fVersion);
  WriteDefinitionWord(bytes.data(), size, kObjdGroupIdOffset, object.fGroupId);
  WriteDefinitionWord(bytes.data(), size, kObjdGroupSlotOffset, object.fGroupSlot);
  WriteDefinitionWord(bytes.data(), size, kObjdRoomSortOffset, object.fRoom);
  WriteDefinitionWord(bytes.data(), size, kObjdFunctionSortOffset, object.fFunction);
  WriteDefinitionWord(bytes.data(), size, kObjdFunctionSubsortOffset, object.fSubsort);
  WriteDefinitionWord(bytes.data(), size, kObjdDowntownSortOffset, object.fDowntown);
  return bytes;
}

bool WriteDemoObjectFile(const std::string& windowsPath, const DemoFile& demo, std::string* error) {
  const FixedStringBuffer<260> path(windowsPath.c_str());
  if (path.Length() != static_cast<int32_t>(windowsPath.size())) {
    if (error) *error = "the path " + windowsPath + " is too long";
    return false;
  }
  IFFResFile2 file;
  file.Delete(path);
  bool ok = file.Create(path) == kResErrNone && file.Open(path) == kResErrNone;
  ok = ok && Add(file, kStringListType, kStringListId, "Object names", StringList(demo));
  int16_t id = kFirstDemoId;
  for (const DemoObject& object : demo.fObjects) {
    const std::string sprite = std::string(object.fName) + " sprite";
    ok = ok && Add(file, kObjdType, id, object.fName, DemoDefinitionRecord(object)) &&
         Add(file, kSpriteType, id, sprite.c_str(), SpritePlaceholder(object, id));
    ++id;
  }
  const int32_t closed = file.Close();
  if (ok && closed == kResErrNone) return true;
  if (error) *error = "cannot write the object file " + windowsPath;
  return false;
}

}  // namespace tools
