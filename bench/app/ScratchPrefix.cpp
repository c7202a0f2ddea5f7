#include "bench/app/ScratchPrefix.h"

#include <chrono>
#include <fstream>
#include <iterator>
#include <random>
#include <system_error>
#include <thread>

namespace fs = std::filesystem;

ScratchPrefix::ScratchPrefix(const std::string& stem) {
  std::random_device seed;
  for (;;) {
    fRoot = fs::temp_directory_path() / (stem + std::to_string(std::mt19937_64(seed())()));
    if (fs::create_directory(fRoot)) break;
  }
  fs::create_directories(fRoot / "dosdevices");
  fs::create_directory_symlink("../drive_c", fRoot / "dosdevices" / "c:");
  fs::create_directories(objects());
  fs::create_directories(game() / "Downloads");
}

ScratchPrefix::~ScratchPrefix() {
  std::error_code ignored;
  fs::remove_all(fRoot, ignored);
}

void ScratchPrefix::LetFoldersSettle() { std::this_thread::sleep_for(std::chrono::milliseconds(3500)); }

void ScratchPrefix::WriteBytes(const fs::path& path, const std::string& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

std::string ScratchPrefix::ReadBytes(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}
