#pragma once

#include <cstddef>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>

#include "platform/HostEnv.h"
#include "platform/PosixHostEnv.h"

// A scratch Wine prefix whose drive c: is a folder of this process, installed
// as the host environment for as long as the object lives (a harness keeps one
// in a function-local static). Inputs become files in c:\x\.
class FuzzDrive {
 public:
  explicit FuzzDrive(const char* tag) {
    std::random_device seed;
    do {
      fRoot = std::filesystem::temp_directory_path() / (std::string("velt-") + tag + "-" + std::to_string(seed()));
    } while (!std::filesystem::create_directory(fRoot));
    std::filesystem::create_directories(fRoot / "drive_c" / "x");
    std::filesystem::create_directories(fRoot / "prefix" / "dosdevices");
    std::filesystem::create_directory_symlink(fRoot / "drive_c", fRoot / "prefix" / "dosdevices" / "c:");
    fEnv = new platform::PosixHostEnv((fRoot / "prefix").string());
    platform::HostEnv::Replace(fEnv);
  }
  ~FuzzDrive() {
    platform::HostEnv::Replace(nullptr);
    delete fEnv;
    std::error_code ignored;
    std::filesystem::remove_all(fRoot, ignored);
  }
  FuzzDrive(const FuzzDrive&) = delete;
  FuzzDrive& operator=(const FuzzDrive&) = delete;

  // Replaces c:\x\<name> with exactly these bytes.
  void Write(const char* name, const void* data, size_t size) const {
    std::ofstream out(fRoot / "drive_c" / "x" / name, std::ios::binary | std::ios::trunc);
    out.write(static_cast<const char*>(data), static_cast<std::streamsize>(size));
  }
  void Write(const char* name, const std::string& bytes) const { Write(name, bytes.data(), bytes.size()); }

  std::string Read(const char* name) const {
    std::ifstream in(fRoot / "drive_c" / "x" / name, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  }

 private:
  std::filesystem::path fRoot;
  platform::PosixHostEnv* fEnv = nullptr;
};
