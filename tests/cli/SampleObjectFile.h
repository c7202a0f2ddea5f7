#pragma once

#include <string>
#include <vector>

#include "msrc/Objects/ObjDefinition.h"
#include "tests/app/core/GamePrefix.h"
#include "tests/app/core/ObjectFileMaker.h"

// An object file for the object commands, written by the library into a
// scratch game's object folder as "Living/Chair.iff". Its definitions, in
// resource order (the object list leaves out 131 and 133, which are grouped
// without leading):
//   128 "Armchair"   room 8, function 1 (Seating), subsort 2, downtown 0
//   129 "Radio"      room 33, function 8 (Electronics), subsort 16, downtown 304
//   130 "Combo"      room 8, function 3, subsort 1, downtown 9
//   131 "Sofa Part"  group 7, slot 0
//   132 "Sofa"       group 7, slot -1 (the lead): room 8, function 1, subsort 4
//   133 "Sofa End"   group 7, slot 1
//   134 "Crate"      room 0, function 0, subsort 4, downtown 1: not in the catalogue
//   135 "Old Desk"   version 136, 200 bytes: room 128, function 2, subsort 8
// and a "STR#" and an "SPR2" among them.
class SampleObjectFile {
 public:
  static constexpr const char* kRelative = "Living/Chair.iff";
  static constexpr const char* kWindowsPath = "C:\\Games\\The Velt\\GameData\\UserObjects\\Living\\Chair.iff";

  explicit SampleObjectFile(GamePrefix& game);

  // Whether the library wrote the file.
  bool Written() const { return fWritten; }

  std::string HostPath() const { return fGame.ObjectPath(kRelative); }
  std::string Bytes() const;
  const std::vector<ResourceData>& Resources() const { return fResources; }
  // The record as written for definition `id`.
  std::string Definition(int16_t id) const;

 private:
  GamePrefix& fGame;
  std::vector<ResourceData> fResources;
  bool fWritten = false;
};
