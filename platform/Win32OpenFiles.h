#pragma once

#include <mutex>
#include <vector>

#include "platform/FolderListing.h"

namespace platform {

class Win32HostFile;

// The files one Win32HostEnv has open, so that a replacement can let go of
// the environment's own handles to a file on a host that cannot replace a
// file while it is open. Shared with the files, which may outlive the
// environment. Safe to use from several threads.
class Win32OpenFiles {
 public:
  void Add(Win32HostFile* file);
  void Remove(Win32HostFile* file);

  // Held while a replacement lets go of files and takes them back.
  std::unique_lock<std::mutex> Lock() { return std::unique_lock<std::mutex>(fMutex); }

  // Under Lock(): closes the handle of every listed file that is `file`
  // (by identity), and returns them.
  std::vector<Win32HostFile*> Let(const FolderId& file);

  // Under Lock(): opens the files again (each that can be).
  static void Reopen(const std::vector<Win32HostFile*>& files);

  // Pushes what every listed file that is `file` has written to the storage
  // device, with its name.
  void Flush(const FolderId& file);

 private:
  std::mutex fMutex;
  std::vector<Win32HostFile*> fFiles;
};

}  // namespace platform
