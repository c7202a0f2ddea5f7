#include "platform/PosixHostEnv.h"

#include <pwd.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <utility>

namespace platform {

namespace {

std::string HomeFolder() {
  const char* home = std::getenv("HOME");
  if (home != nullptr && *home != '\0') return home;
  struct passwd entry {};
  struct passwd* found = nullptr;
  char buffer[16384];
  if (::getpwuid_r(::getuid(), &entry, buffer, sizeof buffer, &found) == 0 && found != nullptr &&
      found->pw_dir != nullptr) {
    return found->pw_dir;
  }
  return {};
}

std::string HiveFile(const std::string& prefix) {
  if (prefix.empty()) return {};
  return prefix.back() == '/' ? prefix + "system.reg" : prefix + "/system.reg";
}

}  // namespace

PosixHostEnv::PosixHostEnv(std::string prefix) : fMapper(prefix), fRegistry(HiveFile(prefix)) {}

void PosixHostEnv::DebugOutput(std::string_view text) {
  std::string line(text);
  if (line.empty() || line.back() != '\n') line.push_back('\n');
  std::fwrite(line.data(), 1, line.size(), stderr);
  std::fflush(stderr);
}

std::string PosixHostEnv::DefaultPrefix() {
  const char* prefix = std::getenv("WINEPREFIX");
  if (prefix != nullptr && *prefix != '\0') return prefix;
  std::string home = HomeFolder();
  if (home.empty()) return {};
  if (home.back() != '/') home.push_back('/');
  return home + ".wine";
}

}  // namespace platform
