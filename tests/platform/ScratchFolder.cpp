#include "tests/platform/ScratchFolder.h"

#include <fstream>
#include <iterator>
#include <random>

namespace {

constexpr auto kWriteBits =
    std::filesystem::perms::owner_write | std::filesystem::perms::group_write | std::filesystem::perms::others_write;

}  // namespace

ScratchFolder::ScratchFolder() {
  std::random_device seed;
  std::mt19937_64 random(seed());
  for (;;) {
    fPath = std::filesystem::temp_directory_path() / ("velt-platform-" + std::to_string(random()));
    if (std::filesystem::create_directory(fPath)) break;
  }
}

ScratchFolder::~ScratchFolder() {
  // Windows deletes no read-only file, and no host lets a folder without
  // write permission be emptied.
  std::error_code ignored;
  for (auto it = std::filesystem::recursive_directory_iterator(
           fPath, std::filesystem::directory_options::skip_permission_denied, ignored);
       it != std::filesystem::recursive_directory_iterator(); it.increment(ignored)) {
    if (!it->is_symlink(ignored)) {
      std::filesystem::permissions(it->path(), std::filesystem::perms::owner_all, std::filesystem::perm_options::add,
                                   ignored);
    }
  }
  std::filesystem::remove_all(fPath, ignored);
}

std::filesystem::path ScratchFolder::FromUtf8(std::string_view utf8) {
  return std::filesystem::path(std::u8string(utf8.begin(), utf8.end()));
}

std::string ScratchFolder::ToUtf8(const std::filesystem::path& path) {
  const std::u8string text = path.u8string();
  return std::string(text.begin(), text.end());
}

std::string ScratchFolder::Path(std::string_view relative) const {
  return ToUtf8(relative.empty() ? fPath : (fPath / FromUtf8(relative)).make_preferred());
}

void ScratchFolder::WriteFile(std::string_view relative, std::string_view bytes) const {
  std::filesystem::path file = fPath / FromUtf8(relative);
  std::filesystem::create_directories(file.parent_path());
  std::ofstream out(file, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

std::string ScratchFolder::ReadFile(std::string_view relative) const {
  std::ifstream in(fPath / FromUtf8(relative), std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void ScratchFolder::MakeFolder(std::string_view relative) const {
  std::filesystem::create_directories(fPath / FromUtf8(relative));
}

void ScratchFolder::Link(std::string_view relative, std::string_view target) const {
  std::filesystem::path link = fPath / FromUtf8(relative);
  std::filesystem::create_directories(link.parent_path());
  std::filesystem::create_symlink(FromUtf8(target), link);
}

void ScratchFolder::MakeReadOnly(std::string_view relative, bool readOnly) const {
  if (readOnly) {
    std::filesystem::permissions(fPath / FromUtf8(relative), kWriteBits, std::filesystem::perm_options::remove);
  } else {
    std::filesystem::permissions(fPath / FromUtf8(relative), std::filesystem::perms::owner_write,
                                 std::filesystem::perm_options::add);
  }
}

bool ScratchFolder::IsReadOnly(std::string_view relative) const {
  return (std::filesystem::status(fPath / FromUtf8(relative)).permissions() & kWriteBits) ==
         std::filesystem::perms::none;
}

void ScratchFolder::Remove(std::string_view relative) const {
  std::error_code ignored;
  std::filesystem::permissions(fPath / FromUtf8(relative), std::filesystem::perms::owner_write,
                               std::filesystem::perm_options::add, ignored);
  std::filesystem::remove(fPath / FromUtf8(relative));
}

bool ScratchFolder::LinksWork() {
#ifdef _WIN32
  return false;
#else
  return true;
#endif
}

bool ScratchFolder::NamesAreBytes() { return LinksWork(); }
