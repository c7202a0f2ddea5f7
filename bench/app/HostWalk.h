#pragma once

#include <cstddef>
#include <filesystem>
#include <system_error>

// The floor of any walk of a folder tree: every folder listed and every file
// examined once, with plain host calls and no catalogue. Answers the number
// of regular files.
inline size_t WalkAndExamine(const std::filesystem::path& root) {
  namespace fs = std::filesystem;
  size_t files = 0;
  std::error_code code;
  for (auto it = fs::recursive_directory_iterator(root, code); !code && it != fs::recursive_directory_iterator();
       it.increment(code)) {
    if (fs::is_regular_file(fs::status(it->path(), code))) ++files;
  }
  return files;
}
