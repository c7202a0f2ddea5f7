#include "platform/Win32FolderListing.h"

#include <windows.h>

#include <utility>

#include "platform/Win32Handle.h"
#include "platform/Win32Text.h"

namespace platform {

namespace {

// Where a link leads: a folder, a file, or nowhere.
enum class LinkEnd { kFolder, kFile, kNowhere };

LinkEnd FollowLink(const std::string& hostPath) {
  std::wstring path;
  if (!Win32Text::ToWide(hostPath, &path)) return LinkEnd::kNowhere;
  Win32Handle end(::CreateFileW(path.c_str(), FILE_READ_ATTRIBUTES,
                                FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                                FILE_FLAG_BACKUP_SEMANTICS, nullptr));
  BY_HANDLE_FILE_INFORMATION info{};
  if (!end.Valid() || !::GetFileInformationByHandle(end.get(), &info)) return LinkEnd::kNowhere;
  return (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0 ? LinkEnd::kFolder : LinkEnd::kFile;
}

}  // namespace

Win32FolderListing::Win32FolderListing(void* find, Found first, std::string hostFolder, FolderId identity)
    : fFind(find),
      fPending(std::move(first)),
      fHasPending(find != nullptr),
      fHostFolder(std::move(hostFolder)),
      fIdentity(identity) {
  if (!fHostFolder.empty() && fHostFolder.back() != '\\' && fHostFolder.back() != '/') fHostFolder.push_back('\\');
}

Win32FolderListing::~Win32FolderListing() {
  if (fFind != nullptr) ::FindClose(fFind);
}

bool Win32FolderListing::NextFound(Found* found) {
  if (fHasPending) {
    fHasPending = false;
    *found = std::move(fPending);
    return true;
  }
  if (fFind == nullptr) return false;
  WIN32_FIND_DATAW data{};
  if (!::FindNextFileW(fFind, &data)) return false;
  found->name = data.cFileName;
  found->attributes = data.dwFileAttributes;
  return true;
}

bool Win32FolderListing::Next(FolderEntry* entry) {
  Found found;
  while (NextFound(&found)) {
    if (found.name.empty() || found.name == L"." || found.name == L"..") continue;
    std::string name = Win32Text::ToUtf8(found.name);
    std::string hostPath = fHostFolder + name;
    bool isFolder = (found.attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
    if ((found.attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0) {
      const LinkEnd end = FollowLink(hostPath);
      if (end == LinkEnd::kNowhere) continue;
      isFolder = end == LinkEnd::kFolder;
    }
    entry->name = std::move(name);
    entry->isFolder = isFolder;
    entry->hostPath = std::move(hostPath);
    return true;
  }
  return false;
}

}  // namespace platform
