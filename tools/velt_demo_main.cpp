// velt-demo PREFIX: makes (or refreshes) a demo Wine-style prefix in which the
// organizer finds a game folder.
#include <iostream>
#include <string>

#include "tools/demo/DemoPrefix.h"

int main(int argc, char** argv) {
  if (argc != 2) {
    std::cerr << "usage: velt-demo PREFIX\n";
    return 2;
  }
  std::string error;
  if (!tools::MakeDemoPrefix(argv[1], &error)) {
    std::cerr << "velt-demo: " << error << "\n";
    return 1;
  }
  std::cout << "Demo prefix ready: " << argv[1] << "\n"
            << "Object folders: " << tools::DemoGameFolder(argv[1]).string() << "\n";
  return 0;
}
