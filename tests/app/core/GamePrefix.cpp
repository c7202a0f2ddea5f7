#include "tests/app/core/GamePrefix.h"

#include <filesystem>
#include <fstream>
#include <iterator>

namespace {

constexpr const char* kHostGame = "drive_c/Games/The Velt";

// "a\b" -> "a\\b": the escaping of quoted registry texts.
std::string RegistryEscaped(std::string_view text) {
  std::string escaped;
  for (char c : text) {
    if (c == '\\' || c == '"') escaped.push_back('\\');
    escaped.push_back(c);
  }
  return escaped;
}

}  // namespace

GamePrefix::GamePrefix() {
  fScratch.Link("dosdevices/c:", "../drive_c");
  fScratch.MakeFolder(kHostGame);
  fHost = std::make_unique<platform::PosixHostEnv>(fScratch.Path());
  fPrevious = platform::HostEnv::Replace(fHost.get());
}

GamePrefix::~GamePrefix() {
  platform::HostEnv::Replace(fPrevious);
  // Let the scratch folder's removal reach into folders a test locked.
  std::error_code ignored;
  for (auto it = std::filesystem::recursive_directory_iterator(
           fScratch.path(), std::filesystem::directory_options::skip_permission_denied, ignored);
       it != std::filesystem::recursive_directory_iterator(); it.increment(ignored)) {
    if (!it->is_symlink(ignored)) {
      std::filesystem::permissions(it->path(), std::filesystem::perms::owner_all,
                                   std::filesystem::perm_options::add, ignored);
    }
  }
}

std::string GamePrefix::GamePath(std::string_view relative) const {
  std::string path = fScratch.Path(kHostGame);
  if (!relative.empty()) path += "/" + std::string(relative);
  return path;
}

std::string GamePrefix::ObjectPath(std::string_view relative) const {
  std::string path = GamePath("GameData/UserObjects");
  if (!relative.empty()) path += "/" + std::string(relative);
  return path;
}

void GamePrefix::WriteGameFile(std::string_view relative, std::string_view bytes) const {
  fScratch.WriteFile(std::string(kHostGame) + "/" + std::string(relative), bytes);
}

void GamePrefix::WriteObject(std::string_view relative, std::string_view bytes) const {
  WriteGameFile("GameData/UserObjects/" + std::string(relative), bytes);
}

std::string GamePrefix::ReadObject(std::string_view relative) const {
  std::ifstream in(ObjectPath(relative), std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void GamePrefix::MakeGameFolder(std::string_view relative) const {
  fScratch.MakeFolder(std::string(kHostGame) + "/" + std::string(relative));
}

void GamePrefix::MakeReadOnly(std::string_view relative) const {
  std::filesystem::permissions(GamePath(relative),
                               std::filesystem::perms::owner_write | std::filesystem::perms::group_write |
                                   std::filesystem::perms::others_write,
                               std::filesystem::perm_options::remove);
}

void GamePrefix::WriteRegistry(const char* value) const {
  std::string text =
      "WINE REGISTRY Version 2\n"
      ";; All keys relative to \\\\Machine\n"
      "#arch=win32\n"
      "\n"
      "[Software\\\\Korva\\\\The Velt] 1\n";
  if (value != nullptr) text += "\"VELT_DATA\"=\"" + RegistryEscaped(value) + "\"\n";
  fScratch.WriteFile("system.reg", text);
}

void GamePrefix::Install(platform::HostEnv* env) {
  platform::HostEnv::Replace(env != nullptr ? env : fHost.get());
}
