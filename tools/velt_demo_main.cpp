// velt-demo PREFIX: makes (or refreshes) a demo Wine-style prefix in which the
// organizer finds a game folder with sample object files. Samples already
// there are left alone, so a player's edits to them survive a rerun.
#include <iostream>
#include <string>

#include "tools/demo/DemoPrefix.h"

int main(int argc, char** argv) {
  if (argc != 2) {
    std::cerr << "usage: velt-demo PREFIX\n";
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
