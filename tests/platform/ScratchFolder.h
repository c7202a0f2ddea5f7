#pragma once

#include <filesystem>
#include <string>
#include <string_view>

// A fresh folder under the system's temporary folder, removed with everything
// in it when the object goes away. Paths go in and come out as UTF-8 on every
// host, with the host's own separators.
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
  std::string ReadFile(std::string_view relative) const;
  void MakeFolder(std::string_view relative) const;
  // A symbolic link at `relative` pointing at `target`, written as given.
  // Windows lets only privileged programs make them: see LinksWork().
  void Link(std::string_view relative, std::string_view target) const;
  // Removes every write permission bit (on Windows: sets the read-only
  // attribute), or gives the owner's back.
  void MakeReadOnly(std::string_view relative, bool readOnly = true) const;
  bool IsReadOnly(std::string_view relative) const;

  // Removes a file, read-only or not.
  void Remove(std::string_view relative) const;

  // Whether Link can make links on this host.
  static bool LinksWork();
  // Whether file names are bytes, so that a test can make one that is not
  // UTF-8 (Linux). Windows keeps names in UTF-16: every one reaches the
  // program as UTF-8.
  static bool NamesAreBytes();

  // UTF-8 text as a path, and a path as UTF-8 text.
  static std::filesystem::path FromUtf8(std::string_view utf8);
  static std::string ToUtf8(const std::filesystem::path& path);

 private:
  std::filesystem::path fPath;
};
