#include <iostream>

#include "cli/RunVeltSort.h"

int main(int argc, char** argv) {
  return RunVeltSort(argc, argv, std::cout, std::cerr);
}
