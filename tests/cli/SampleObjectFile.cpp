#include "tests/cli/SampleObjectFile.h"

#include <fstream>
#include <sstream>

namespace {

constexpr ResType kStrings = MakeResType("STR#");
constexpr ResType kSprite = MakeResType("SPR2");

ResourceData Objd(int16_t id, const std::string& name, const DefinitionFields& fields) {
  return {kObjdType, id, name, MakeDefinition(fields)};
}

DefinitionFields Grouped(int16_t slot) {
  DefinitionFields fields = SortFields(8, 1, 4, 0);
  fields.groupId = 7;
  fields.groupSlot = slot;
  return fields;
}

}  // namespace

SampleObjectFile::SampleObjectFile(GamePrefix& game) : fGame(game) {
  DefinitionFields old = SortFields(128, 2, 8, 0);
  old.version = 136;
  old.size = 200;
  fResources = {
      {kStrings, 128, "Names", std::string("\xFF\xFF\x00\x01Armchair\0", 13)},
      Objd(128, "Armchair", SortFields(8, 1, 2, 0)),
      Objd(129, "Radio", SortFields(33, 8, 16, 304)),
      {kSprite, 128, "Armchair sprite", std::string(300, 's')},
      Objd(130, "Combo", SortFields(8, 3, 1, 9)),
      Objd(131, "Sofa Part", Grouped(0)),
      Objd(132, "Sofa", Grouped(-1)),
      Objd(133, "Sofa End", Grouped(1)),
      Objd(134, "Crate", SortFields(0, 0, 4, 1)),
      Objd(135, "Old Desk", old),
  };
  fGame.MakeGameFolder("GameData/UserObjects/Living");
  fWritten = WriteObjectFile(kWindowsPath, fResources);
}

std::string SampleObjectFile::Bytes() const {
  std::ifstream in(HostPath(), std::ios::binary);
  std::stringstream bytes;
  bytes << in.rdbuf();
  return bytes.str();
}

std::string SampleObjectFile::Definition(int16_t id) const {
  for (const ResourceData& resource : fResources) {
    if (resource.type == kObjdType && resource.id == id) return resource.bytes;
  }
  return {};
}
