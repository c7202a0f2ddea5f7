#include "platform/Win32OpenFiles.h"

#include <algorithm>

#include "platform/Win32HostFile.h"

namespace platform {

void Win32OpenFiles::Add(Win32HostFile* file) {
  std::lock_guard<std::mutex> lock(fMutex);
  fFiles.push_back(file);
}

void Win32OpenFiles::Remove(Win32HostFile* file) {
  std::lock_guard<std::mutex> lock(fMutex);
  fFiles.erase(std::remove(fFiles.begin(), fFiles.end(), file), fFiles.end());
}

std::vector<Win32HostFile*> Win32OpenFiles::Let(const FolderId& file) {
  std::vector<Win32HostFile*> let;
  for (Win32HostFile* open : fFiles) {
    FolderId identity;
    if (open->Identity(&identity) && identity == file) {
      open->Let();
      let.push_back(open);
    }
  }
  return let;
}

void Win32OpenFiles::Reopen(const std::vector<Win32HostFile*>& files) {
  for (Win32HostFile* file : files) file->Reopen();
}

void Win32OpenFiles::Flush(const FolderId& file) {
  std::lock_guard<std::mutex> lock(fMutex);
  for (Win32HostFile* open : fFiles) {
    FolderId identity;
    if (open->Writes() && open->Identity(&identity) && identity == file) open->Flush();
  }
}

}  // namespace platform
