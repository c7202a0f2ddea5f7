#pragma once

#include <filesystem>
#include <string>
#include <string_view>

// A fresh folder under the system's temporary folder, removed with everything
// in it when the object goes away.
class ScratchFolder {
 public:
  ScratchFolder();
  ~ScratchFolder();
  ScratchFolder(const ScratchFolder&) = delete;
  ScratchFolder& operator=(const ScratchFolder&) = delete;

  const std::filesystem::path& path() const { return fPath; }
  std::string Path(std::string_view relative = {}) const;

  // Creates the file (and its folders) holding exactly `bytes`.
  void WriteFile(std::string_view relative, std::string_view bytes) const;
  void MakeFolder(std::string_view relative) const;
  // A symbolic link at `relative` pointing at `target`, written as given.
  void Link(std::string_view relative, std::string_view target) const;

 private:
  std::filesystem::path fPath;
};
