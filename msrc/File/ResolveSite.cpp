#include "msrc/File/ResolveSite.h"

#include <algorithm>
#include <cctype>
#include <memory>

#include "platform/HostEnv.h"

namespace {

bool IsBlank(char c) { return std::isspace(static_cast<unsigned char>(c)) != 0; }
bool IsLetter(char c) { return std::isalpha(static_cast<unsigned char>(c)) != 0; }

}  // namespace

ResolveSite::ResolveSite(std::string_view text) {
  std::string site(text);
  std::replace(site.begin(), site.end(), '\\', '/');
  size_t pos = 0;
  while (site.compare(pos, 2, "./") == 0) pos += 2;

  const auto skipBlanks = [&] {
    while (pos < site.size() && IsBlank(site[pos])) ++pos;
  };
  if (pos < site.size() && site[pos] == ';') {
    fFolders.push_back(NormalizeFolder(""));
    ++pos;
    skipBlanks();
  }
  while (pos < site.size()) {
    const size_t end = std::min(site.find(';', pos + 1), site.size());
    fFolders.push_back(NormalizeFolder(std::string_view(site).substr(pos, end - pos)));
    pos = end;
    if (pos < site.size()) {
      ++pos;
      skipBlanks();
    }
  }
}

std::string ResolveSite::NormalizeFolder(std::string_view item) {
  std::string folder(item);
  std::replace(folder.begin(), folder.end(), '/', '\\');
  const bool drive = folder.size() >= 3 && IsLetter(folder[0]) && folder[1] == ':' && folder[2] == '\\';
  const bool here = folder.compare(0, 2, ".\\") == 0 || folder == ".";
  const bool share = folder.size() >= 3 && folder[0] == '\\' && folder[1] == '\\' && IsLetter(folder[2]);
  if (!drive && !here && !share) folder.insert(0, ".\\");
  if (folder.back() != '\\') folder.push_back('\\');
  return folder;
}

bool ResolveSite::Listable() const {
  if (fFolders.empty()) return false;
  return std::all_of(fFolders.begin(), fFolders.end(), [](const std::string& folder) {
    return folder.size() <= kMaxPathLength && platform::HostEnv::Current().ListFolder(folder) != nullptr;
  });
}
