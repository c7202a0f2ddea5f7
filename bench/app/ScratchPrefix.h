#pragma once

#include <filesystem>
#include <string>

// A scratch Wine prefix for a benchmark: a fresh folder under the temporary
// folder whose drive c: (dosdevices/c: -> ../drive_c) holds the game's folder
// "C:\Games\The Velt" with its object folder and Downloads, removed with
// everything in it when the object goes.
class ScratchPrefix {
 public:
  // `stem` starts the folder's name, which a random number ends.
  explicit ScratchPrefix(const std::string& stem);
  ~ScratchPrefix();
  ScratchPrefix(const ScratchPrefix&) = delete;
  ScratchPrefix& operator=(const ScratchPrefix&) = delete;

  const std::filesystem::path& root() const { return fRoot; }
  // drive_c/Games/The Velt, and its GameData/UserObjects.
  std::filesystem::path game() const { return fRoot / "drive_c" / "Games" / "The Velt"; }
  std::filesystem::path objects() const { return game() / "GameData" / "UserObjects"; }

  // Waits until the folders written so far are as quiet as a player's are.
  // Where the host cannot watch a folder for changes, its name cache trusts
  // the folder only once it has not changed for a few seconds (see
  // FolderNameCache), and relists it on every question before that.
  static void LetFoldersSettle();

  static void WriteBytes(const std::filesystem::path& path, const std::string& bytes);
  static std::string ReadBytes(const std::filesystem::path& path);

 private:
  std::filesystem::path fRoot;
};
