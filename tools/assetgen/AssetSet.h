#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace tools {

// One generated file: its name and its exact contents.
struct Asset {
  std::string name;
  std::vector<std::uint8_t> bytes;
};

// Every picture and sound of the program, built the same way on every run.
// The file names must match VELT_ASSET_FILES in tools/VeltAssetFiles.cmake, which the
// build uses to declare them as outputs.
class AssetSet {
 public:
  // The file names in the order Build() produces them.
  static const std::vector<std::string>& FileNames();

  // Builds every asset. False (with a message) only if a 256-colour picture
  // turned out to have more colours than its palette holds.
  static bool Build(std::vector<Asset>* assets, std::string* error);

  // Builds every asset and writes it into `directory`, creating the directory
  // when needed and replacing files of the same names.
  static bool WriteAll(const std::filesystem::path& directory, std::string* error);

  // The program's icon for a desktop's icon theme, from the same drawing as
  // the dialogs' icon, as PNG files named "<size>x<size>.png" for each of
  // kIconSizes: drawn at a whole multiple of its grid and, where that is not
  // the size itself, averaged down.
  static constexpr int kIconSizes[] = {16, 32, 48, 64, 128, 256};
  static std::vector<Asset> BuildIcons();
  static bool WriteIcons(const std::filesystem::path& directory, std::string* error);

  // The program's icon for Windows: one .ico file holding the same drawing
  // in each of kWindowsIconSizes (window captions, the task bar, Explorer).
  static constexpr int kWindowsIconSizes[] = {16, 32, 48};
  static std::vector<std::uint8_t> BuildWindowsIcon();
  static bool WriteWindowsIcon(const std::filesystem::path& file, std::string* error);
};

}  // namespace tools
