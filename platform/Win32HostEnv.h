#pragma once

#include <memory>
#include <string>
#include <string_view>

#include "platform/HostEnv.h"
#include "platform/Win32Registry.h"

namespace platform {

class Win32OpenFiles;

// The host environment on Windows: the Win32 calls themselves. Paths are the
// program's own Windows paths, in UTF-8, handed to the wide-character calls;
// the file system does its own case folding, "." and ".." and separators.
class Win32HostEnv : public HostEnv {
 public:
  Win32HostEnv();
  ~Win32HostEnv() override;

  Registry& MachineRegistry() override { return fRegistry; }
  // Both are the path itself: there is nothing to map on Windows.
  std::string HostPath(std::string_view windowsPath) override { return std::string(windowsPath); }
  std::string WindowsPath(std::string_view hostPath) override { return std::string(hostPath); }
  // OutputDebugStringA.
  void DebugOutput(std::string_view text) override;

  // CreateFileW with the share mode asked for, plus FILE_SHARE_DELETE, which
  // ReplaceFile needs to put a replacement in the place of a file that is
  // open: other programs may then rename or delete a file the organizer
  // holds, but never write to it unless asked to share writing. A file with
  // the read-only attribute is never opened for writing (nor created over);
  // folders and devices are never opened.
  std::unique_ptr<HostFile> OpenFile(std::string_view windowsPath, const FileOpenOptions& options) override;

  // DeleteFileW; refuses folders and read-only files.
  bool RemoveFile(std::string_view windowsPath) override;

  // Renames the replacement over the target (the file a link leads to, when
  // it is one) through a handle of its own, after giving it the target's
  // attributes (read-only among them) and access-control list. Where the file
  // system offers POSIX rename semantics (NTFS on Windows 10 and later) the
  // target is replaced while open, and open handles to the old file keep
  // reaching it. Elsewhere a file that is open cannot be replaced, so this
  // environment's own handles to the target are closed for the rename and,
  // should it fail, opened again; after a successful rename they answer every
  // call with a failure. A read-only target loses the attribute for the
  // moment of the rename. Then the replacement and its folder are flushed.
  bool ReplaceFile(std::string_view targetPath, std::string_view replacementPath) override;

  std::unique_ptr<FolderListing> ListFolder(std::string_view windowsFolder) override;

  // The FILE_ATTRIBUTE_READONLY attribute.
  bool IsReadOnly(const FolderEntry& entry) override;

  // GetFinalPathNameByHandleW, without its "\\?\" prefix.
  std::string CanonicalPath(std::string_view windowsPath) override;

  // %LOCALAPPDATA%, or the shell's local application-data folder when the
  // variable is not set, followed by "\velt-organizer".
  std::string DataFolder() override;

  // Absolute host paths go to the calls in their "\\?\" form, which takes
  // paths longer than MAX_PATH.
  std::unique_ptr<HostFile> OpenHostFile(std::string_view hostPath, const FileOpenOptions& options) override;
  bool RemoveHostFile(std::string_view hostPath) override;
  std::unique_ptr<FolderListing> ListHostFolder(std::string_view hostFolder) override;
  // CreateDirectoryW for each missing folder; they inherit their parent's
  // access-control list, which in the user's profile is private already.
  bool MakeHostFolders(std::string_view hostFolder) override;
  // MoveFileExW with MOVEFILE_WRITE_THROUGH and without
  // MOVEFILE_REPLACE_EXISTING, then a flush of the folder.
  bool RenameHostFile(std::string_view fromPath, std::string_view toPath) override;

  // GetFileAttributesW of each name: false where the host says that the file
  // or its path is not found (the file system ignores case by itself).
  std::vector<bool> MayHold(std::string_view windowsFolder, const std::vector<std::string>& names) override;

 private:
  Win32Registry fRegistry;
  std::shared_ptr<Win32OpenFiles> fOpenFiles;
};

}  // namespace platform
