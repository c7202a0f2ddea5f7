#pragma once

#include <memory>
#include <string>
#include <string_view>

#include "platform/HostEnv.h"
#include "platform/HostEnvWrapper.h"
#include "tests/app/core/FakeRegistry.h"
#include "tests/platform/ScratchHost.h"

// A scratch host (ScratchHost) holding a game installation at
// C:\Games\The Velt (drive_c/Games/The Velt), installed as the current host
// environment for the object's lifetime. The registry names the game only
// after WriteRegistry: on Linux through the prefix's system.reg, on Windows
// through a registry held in memory (the machine's own is no place for tests).
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
  // Host path of a file or folder below the program's data folder, where
  // the backups are kept.
  std::string DataPath(std::string_view relative = {}) const { return fHost.DataPath(relative); }
  // The bytes of a file below the object folder.
  std::string ReadObject(std::string_view relative) const;
  void MakeGameFolder(std::string_view relative) const;
  // Makes a file below the game folder read-only.
  void MakeReadOnly(std::string_view relative) const;

  // The game's registry key; without `value` the key has no VELT_DATA.
  void WriteRegistry(const char* value = kGameFolder);

  // Installs `env` in place of the prefix's own environment (null puts the
  // prefix's own back).
  void Install(platform::HostEnv* env);

  ScratchFolder& scratch() { return fHost.folder(); }
  platform::HostEnv& host() { return fRegistryHost; }

 private:
  // The scratch host with the game's registry.
  class RegistryHost : public platform::HostEnvWrapper {
   public:
    using HostEnvWrapper::HostEnvWrapper;
#ifdef _WIN32
    platform::Registry& MachineRegistry() override { return fRegistry; }
    FakeRegistry fRegistry;
#endif
  };

  ScratchHost fHost;
  RegistryHost fRegistryHost{&fHost.Env()};
  platform::HostEnv* fPrevious = nullptr;
};
