#include "platform/WineRegistry.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <optional>
#include <utility>

#include "platform/WineRegistryKey.h"

namespace platform {

namespace {

// A machine hive is a few megabytes; anything far beyond is not one.
constexpr std::size_t kMaxHiveBytes = 256u << 20;

std::optional<std::string> ReadWholeFile(const std::string& path) {
  int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return std::nullopt;
  struct stat info {};
  std::optional<std::string> bytes;
  if (::fstat(fd, &info) == 0 && S_ISREG(info.st_mode)) {
    bytes.emplace();
    char chunk[1 << 16];
    for (;;) {
      ssize_t got = ::read(fd, chunk, sizeof chunk);
      if (got < 0 && errno == EINTR) continue;
      if (got < 0 || bytes->size() + static_cast<std::size_t>(got) > kMaxHiveBytes) {
        bytes.reset();
        break;
      }
      if (got == 0) break;
      bytes->append(chunk, static_cast<std::size_t>(got));
    }
  }
  ::close(fd);
  return bytes;
}

}  // namespace

WineRegistry::WineRegistry(std::string hivePath) : fHivePath(std::move(hivePath)) {}

std::shared_ptr<const WineHive> WineRegistry::Hive() {
  if (!fLoaded) {
    fLoaded = true;
    if (std::optional<std::string> text = ReadWholeFile(fHivePath)) {
      if (std::optional<WineHive> hive = WineHive::Parse(*text)) {
        fHive = std::make_shared<const WineHive>(std::move(*hive));
      }
    }
  }
  return fHive;
}

std::unique_ptr<RegistryKey> WineRegistry::OpenMachineKey(std::string_view path) {
  std::shared_ptr<const WineHive> hive = Hive();
  if (!hive) return nullptr;
  std::string normalized = WineHive::NormalizePath(path);
  const WineHive::Key* key = nullptr;
  constexpr std::string_view kSoftware = "software\\";
  if (hive->arch() == WineHive::Arch::kWin64 && normalized.starts_with(kSoftware)) {
    std::string redirected = "software\\wow6432node\\" + normalized.substr(kSoftware.size());
    key = hive->FindKey(redirected);
  }
  if (key == nullptr) key = hive->FindKey(normalized);
  if (key == nullptr) return nullptr;
  return std::make_unique<WineRegistryKey>(std::move(hive), key);
}

}  // namespace platform
