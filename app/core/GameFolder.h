#pragma once

#include "msrc/Util/StringBuffer.h"
#include "platform/Registry.h"

// Where the game keeps its catalogue objects. The game's installer records its
// folder in the registry; the objects the organizer lists live below it in
// "GameData\UserObjects\" and, two levels up from there, in "Downloads\".
class GameFolder {
 public:
  enum class Status {
    kFound,
    kKeyNotOpened,    // the game is not installed
    kValueNotRead,    // the key exists but holds no usable folder
  };

  static constexpr const char* kKeyPath = "Software\\Korva\\The Velt";
  static constexpr const char* kValueName = "VELT_DATA";
  static constexpr const char* kObjectSuffix = "\\GameData\\UserObjects\\";
  static constexpr const char* kDownloadsSuffix = "..\\..\\Downloads\\";

  // The value is read into a buffer of this many bytes, terminator included;
  // a longer value cannot be read.
  static constexpr int32_t kValueCapacity = 260;

  // Reads the game folder and sets `objectFolder` to it followed by
  // kObjectSuffix. Nothing is added or removed between the two, so a value that
  // ends in a backslash gives a doubled one (harmless to the file system).
  // When the folder cannot be read the object folder is the bare suffix, which
  // names no real folder, so the lists stay empty.
  static Status ReadObjectFolder(platform::Registry& registry, StringBuffer* objectFolder);
};
