#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// The folders a resolve-site file searches, in order. Each folder is a
// Windows-style path with "\" separators that ends with "\", e.g.
// ".\objects\chair.dir\".
//
// Site text: folders separated by semicolons, "\" or "/" separating names;
// leading "./" pairs are dropped. A leading semicolon stands for an empty
// folder (the current one). An item runs from its first character, which is
// kept even when it is a semicolon, to the next semicolon or the end; white
// space after a semicolon is skipped, and a semicolon at the very end ends the
// list. So "a;  b" gives the folders ".\a\" and ".\b\", "a;" gives ".\a\"
// alone and "a;;b" gives ".\a\" and ".\;b\".
class ResolveSite {
 public:
  // The longest folder path the site keeps usable: a file path in it must
  // still fit the platform's 259 characters.
  static constexpr size_t kMaxPathLength = 259;

  explicit ResolveSite(std::string_view text);

  int32_t Count() const { return static_cast<int32_t>(fFolders.size()); }
  // index counts from 0.
  const std::string& Folder(int32_t index) const { return fFolders[static_cast<size_t>(index)]; }
  const std::vector<std::string>& Folders() const { return fFolders; }

  // True when the site has folders and every one of them can be listed. A
  // folder whose path is longer than kMaxPathLength cannot.
  bool Listable() const;

  // "/" becomes "\"; a path that does not start with a drive ("c:\"), ".\"
  // or a share ("\\x"), and is not exactly ".", gets ".\" in front; a closing
  // "\" is added when missing.
  static std::string NormalizeFolder(std::string_view item);

 private:
  std::vector<std::string> fFolders;
};
