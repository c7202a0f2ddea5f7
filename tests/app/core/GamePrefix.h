#pragma once

#include <memory>
#include <string>
#include <string_view>

#include "platform/HostEnv.h"
#include "platform/PosixHostEnv.h"
#include "tests/platform/ScratchFolder.h"

// A scratch Wine prefix holding a game installation at C:\Games\The Velt
// (drive_c/Games/The Velt), installed as the current host environment for the
// object's lifetime. The registry names the game only after WriteRegistry.
class GamePrefix {
 public:
  static constexpr const char* kGameFolder = "C:\\Games\\The Velt";
  static constexpr const char* kObjectFolder = "C:\\Games\\The Velt\\GameData\\UserObjects\\";
  // As the file-system layer reports it: lowered, "\" separated.
  static constexpr const char* kListedObjectFolder = "c:\\games\\the velt\\gamedata\\userobjects\\";

  GamePrefix();
  ~GamePrefix();
  GamePrefix(const GamePrefix&) = delete;
  GamePrefix& operator=(const GamePrefix&) = delete;

  // Host path of a file or folder below the game folder ("GameData/x.iff").
  std::string GamePath(std::string_view relative = {}) const;
  // Host path of a file or folder below the object folder.
  std::string ObjectPath(std::string_view relative = {}) const;

  // Writes a file below the game folder.
  void WriteGameFile(std::string_view relative, std::string_view bytes = "x") const;
  // Writes a file below the object folder.
  void WriteObject(std::string_view relative, std::string_view bytes = "x") const;
  // The bytes of a file below the object folder.
  std::string ReadObject(std::string_view relative) const;
  void MakeGameFolder(std::string_view relative) const;
  // Removes every write permission bit of a file below the game folder.
  void MakeReadOnly(std::string_view relative) const;

  // system.reg with the game's key; without `value` the key has no VELT_DATA.
  void WriteRegistry(const char* value = kGameFolder) const;

  // Installs `env` in place of the prefix's own environment (null puts the
  // prefix's own back).
  void Install(platform::HostEnv* env);

  ScratchFolder& scratch() { return fScratch; }
  platform::PosixHostEnv& host() { return *fHost; }

 private:
  ScratchFolder fScratch;
  std::unique_ptr<platform::PosixHostEnv> fHost;
  platform::HostEnv* fPrevious = nullptr;
};
