// velt-assets OUTDIR: writes the organizer's pictures and sounds into OUTDIR.
// velt-assets --icons OUTDIR: writes the program's icon for a desktop's icon
// theme, one PNG file a size.
// velt-assets --ico FILE: writes the program's icon for Windows, every size in
// one .ico file.
#include <iostream>
#include <string>
#include <string_view>

#include "VeltVersion.h"
#include "tools/assetgen/AssetSet.h"

namespace {

constexpr const char* kUsage =
    "usage: velt-assets OUTDIR          write the pictures and sounds into OUTDIR\n"
    "       velt-assets --icons OUTDIR  write the desktop icon in every size into OUTDIR\n"
    "       velt-assets --ico FILE      write the Windows icon, every size in one file\n"
    "       velt-assets --help | --version\n";

}  // namespace

int main(int argc, char** argv) {
  const std::string_view first = argc > 1 ? argv[1] : "";
  if (argc == 2 && first == "--help") {
    std::cout << kUsage;
    return 0;
  }
  if (argc == 2 && first == "--version") {
    std::cout << "velt-assets " << kVeltVersion << "\n";
    return 0;
  }
  const bool icons = argc == 3 && first == "--icons";
  const bool windowsIcon = argc == 3 && first == "--ico";
  if (!icons && !windowsIcon && (argc != 2 || first.empty() || first.front() == '-')) {
    std::cerr << kUsage;
    return 2;
  }
  std::string error;
  bool written = false;
  if (icons) {
    written = tools::AssetSet::WriteIcons(argv[2], &error);
  } else if (windowsIcon) {
    written = tools::AssetSet::WriteWindowsIcon(argv[2], &error);
  } else {
    written = tools::AssetSet::WriteAll(argv[1], &error);
  }
  if (!written) {
    std::cerr << "velt-assets: " << error << "\n";
    return 1;
  }
  return 0;
}
