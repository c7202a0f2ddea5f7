// velt-demo PREFIX: makes (or refreshes) a demo Wine-style prefix in which the
// organizer finds a game folder with sample object files. Samples already
// there are left alone, so a player's edits to them survive a rerun.
#include <iostream>
#include <string>
#include <string_view>

#include "VeltVersion.h"
#include "tools/demo/DemoPrefix.h"

namespace {

constexpr const char* kUsage =
    "usage: velt-demo PREFIX   make a demo installation of the game in the Wine-style prefix PREFIX\n"
    "       velt-demo --help | --version\n"
    "A folder named like an option is given as ./NAME.\n";

}  // namespace

int main(int argc, char** argv) {
  const std::string_view argument = argc == 2 ? argv[1] : "";
  if (argument == "--help") {
    std::cout << kUsage;
    return 0;
  }
  if (argument == "--version") {
    std::cout << "velt-demo " << kVeltVersion << "\n";
    return 0;
  }
  if (argc != 2 || argument.empty() || argument.front() == '-') {
    if (argc == 2) std::cerr << "velt-demo: unknown option " << argument << "\n";
    std::cerr << kUsage;
    return 2;
  }
  std::string error;
  int written = 0;
  if (!tools::MakeDemoPrefix(argv[1], &error, &written)) {
    std::cerr << "velt-demo: " << error << "\n";
    return 1;
  }
  std::cout << "Demo prefix ready: " << argv[1] << "\n"
            << "Object folders: " << tools::DemoGameFolder(argv[1]).string() << "\n"
            << "Sample files written: " << written << " (samples already there are kept)\n";
  return 0;
}
