// velt-assets OUTDIR: writes the organizer's pictures and sounds into OUTDIR.
#include <iostream>
#include <string>

#include "tools/assetgen/AssetSet.h"

int main(int argc, char** argv) {
  if (argc != 2) {
    std::cerr << "usage: velt-assets OUTDIR\n";
    return 2;
  }
  std::string error;
  if (!tools::AssetSet::WriteAll(argv[1], &error)) {
    std::cerr << "velt-assets: " << error << "\n";
    return 1;
  }
  return 0;
}
