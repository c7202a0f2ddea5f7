#include "tests/platform/ScratchFolder.h"

#include <fstream>
#include <random>

ScratchFolder::ScratchFolder() {
  std::random_device seed;
  std::mt19937_64 random(seed());
  for (;;) {
    fPath = std::filesystem::temp_directory_path() / ("velt-platform-" + std::to_string(random()));
    if (std::filesystem::create_directory(fPath)) break;
  }
}

ScratchFolder::~ScratchFolder() {
  std::error_code ignored;
  std::filesystem::remove_all(fPath, ignored);
}

std::string ScratchFolder::Path(std::string_view relative) const {
  return relative.empty() ? fPath.string() : (fPath / relative).string();
}

void ScratchFolder::WriteFile(std::string_view relative, std::string_view bytes) const {
  std::filesystem::path file = fPath / relative;
  std::filesystem::create_directories(file.parent_path());
  std::ofstream out(file, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

void ScratchFolder::MakeFolder(std::string_view relative) const {
  std::filesystem::create_directories(fPath / relative);
}

void ScratchFolder::Link(std::string_view relative, std::string_view target) const {
  std::filesystem::path link = fPath / relative;
  std::filesystem::create_directories(link.parent_path());
  std::filesystem::create_symlink(std::filesystem::path(target), link);
}
