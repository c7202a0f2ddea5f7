#pragma once

#include <string>
#include <string_view>

#include "platform/HostEnv.h"
#include "platform/WinePathMapper.h"
#include "platform/WineRegistry.h"

namespace platform {

// The host environment on Linux: a Wine prefix supplies the machine registry
// (<prefix>/system.reg) and the drives (<prefix>/dosdevices).
class PosixHostEnv : public HostEnv {
 public:
  explicit PosixHostEnv(std::string prefix);

  Registry& MachineRegistry() override { return fRegistry; }
  std::string HostPath(std::string_view windowsPath) override { return fMapper.Map(windowsPath); }
  std::string WindowsPath(std::string_view hostPath) override { return fMapper.ToWindows(hostPath); }
  // Writes the text to standard error, ending it with a newline if it has none.
  void DebugOutput(std::string_view text) override;

  // Share modes are flock locks on each open file description, so they hold
  // between two opens in this process as well as between processes. An open
  // that only reads and lets others both read and write (an existence test)
  // takes no lock; one that only reads and lets others read but not write
  // takes a shared lock; every other open (any open that writes, or that does
  // not let others read) takes an exclusive lock. Where flock cannot express a
  // combination this refuses rather than allows, with one gap: a lock-free
  // open cannot see a holder that shares nothing.
  //
  // A regular file without any write permission bit is read-only: write access
  // to it is refused even where the host would allow it (as root). Folders and
  // other non-regular files are never opened. kCreateAlways needs write access;
  // it takes the lock before it truncates, so a refused create leaves the file
  // as it was.
  std::unique_ptr<HostFile> OpenFile(std::string_view windowsPath, const FileOpenOptions& options) override;

  // Refuses folders and read-only files, as the program's own host does.
  bool RemoveFile(std::string_view windowsPath) override;

  // rename(2) over the target (the file a link names, when it is one), after
  // giving the replacement the target's permission bits and, where allowed,
  // its owner; then fsync(2) of the folder. A share lock travels with the
  // open file, so the replacement's lock guards the target's path at once. A
  // folder flush that fails after the rename still answers true: the target
  // has been replaced, and saying otherwise would be the worse lie.
  bool ReplaceFile(std::string_view targetPath, std::string_view replacementPath) override;

  std::unique_ptr<FolderListing> ListFolder(std::string_view windowsFolder) override;

  // No write permission bit: read-only. An entry that cannot be examined is not.
  bool IsReadOnly(const FolderEntry& entry) override;

  // The mapper's answer: the folder mapped once, each name looked up in its
  // index of the folder while the folder is unchanged.
  std::vector<bool> MayHold(std::string_view windowsFolder, const std::vector<std::string>& names) override {
    return fMapper.MayHold(windowsFolder, names);
  }

  const WinePathMapper& mapper() const { return fMapper; }

  const std::string& prefix() const { return fMapper.prefix(); }

  // The prefix Wine itself would use: $WINEPREFIX when set and not empty,
  // otherwise .wine in the home folder ($HOME, or the password database when
  // HOME is unset or empty). Empty when there is no home folder either; an env
  // over an empty prefix opens no key and maps no drive.
  static std::string DefaultPrefix();

 private:
  WinePathMapper fMapper;
  WineRegistry fRegistry;
};

}  // namespace platform
