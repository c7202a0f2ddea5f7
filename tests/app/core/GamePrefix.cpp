#include "tests/app/core/GamePrefix.h"

#include <map>

namespace {

constexpr const char* kHostGame = "drive_c/Games/The Velt";

#ifndef _WIN32
// "a\b" -> "a\\b": the escaping of quoted registry texts.
std::string RegistryEscaped(std::string_view text) {
  std::string escaped;
  for (char c : text) {
    if (c == '\\' || c == '"') escaped.push_back('\\');
    escaped.push_back(c);
  }
  return escaped;
}
#endif

}  // namespace

GamePrefix::GamePrefix() {
  fHost.folder().MakeFolder(kHostGame);
  fPrevious = platform::HostEnv::Replace(&fRegistryHost);
}

GamePrefix::~GamePrefix() { platform::HostEnv::Replace(fPrevious); }

std::string GamePrefix::GamePath(std::string_view relative) const {
  if (relative.empty()) return fHost.folder().Path(kHostGame);
  return fHost.folder().Path(std::string(kHostGame) + "/" + std::string(relative));
}

std::string GamePrefix::ObjectPath(std::string_view relative) const {
  if (relative.empty()) return GamePath("GameData/UserObjects");
  return GamePath("GameData/UserObjects/" + std::string(relative));
}

void GamePrefix::WriteGameFile(std::string_view relative, std::string_view bytes) const {
  fHost.folder().WriteFile(std::string(kHostGame) + "/" + std::string(relative), bytes);
}

void GamePrefix::WriteObject(std::string_view relative, std::string_view bytes) const {
  WriteGameFile("GameData/UserObjects/" + std::string(relative), bytes);
}

std::string GamePrefix::ReadObject(std::string_view relative) const {
  return fHost.folder().ReadFile(std::string(kHostGame) + "/GameData/UserObjects/" + std::string(relative));
}

void GamePrefix::MakeGameFolder(std::string_view relative) const {
  fHost.folder().MakeFolder(std::string(kHostGame) + "/" + std::string(relative));
}

void GamePrefix::MakeReadOnly(std::string_view relative) const {
  fHost.folder().MakeReadOnly(std::string(kHostGame) + "/" + std::string(relative));
}

void GamePrefix::WriteRegistry(const char* value) {
#ifdef _WIN32
  std::map<std::string, std::string>& values = fRegistryHost.fRegistry.keys["Software\\Korva\\The Velt"];
  values.clear();
  if (value != nullptr) values["VELT_DATA"] = value;
#else
  std::string text =
      "WINE REGISTRY Version 2\n"
      ";; All keys relative to \\\\Machine\n"
      "#arch=win32\n"
      "\n"
      "[Software\\\\Korva\\\\The Velt] 1\n";
  if (value != nullptr) text += "\"VELT_DATA\"=\"" + RegistryEscaped(value) + "\"\n";
  fHost.folder().WriteFile("system.reg", text);
#endif
}

void GamePrefix::Install(platform::HostEnv* env) { platform::HostEnv::Replace(env != nullptr ? env : &fRegistryHost); }
