#include <iostream>

#include "cli/RunVeltSort.h"
#include "platform/ConsoleSession.h"

int main(int argc, char** argv) {
  const platform::ConsoleSession console(argc, argv);
  return RunVeltSort(console.argc(), console.argv(), std::cout, std::cerr, platform::ConsoleSession::ErrorIsTerminal());
}
