// velt-dialog-script FILE: writes the resource script of the organizer's
// dialogs and string table (see DialogScript) into FILE. Run at build time.
#include <fstream>
#include <iostream>

#include "app/win32/DialogScript.h"

int main(int argc, char** argv) {
  if (argc != 2) {
    std::cerr << "usage: velt-dialog-script FILE\n";
    return 2;
  }
  std::ofstream out(argv[1], std::ios::binary | std::ios::trunc);
  out << DialogScript::ProgramScript();
  out.close();
  if (!out) {
    std::cerr << "velt-dialog-script: cannot write " << argv[1] << "\n";
    return 1;
  }
  return 0;
}
