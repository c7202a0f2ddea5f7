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
  // `dataFolder` is the host folder DataFolder() answers.
  explicit PosixHostEnv(std::string prefix, std::string dataFolder = DefaultDataFolder());

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
  std::unique_ptr<HostFile> OpenHostFile(std::string_view hostPath, const FileOpenOptions& options) override;

  // Refuses folders and read-only files, as the program's own host does.
  bool RemoveFile(std::string_view windowsPath) override;
  bool RemoveHostFile(std::string_view hostPath) override;

  // rename(2) over the target (the file a link names, when it is one), after
  // giving the replacement the target's permission bits and, where allowed,
  // its owner; then fsync(2) of the folder. A share lock travels with the
  // open file, so the replacement's lock guards the target's path at once. A
  // folder flush that fails after the rename still answers true: the target
  // has been replaced, and saying otherwise would be the worse lie.
  bool ReplaceFile(std::string_view targetPath, std::string_view replacementPath) override;

  std::unique_ptr<FolderListing> ListFolder(std::string_view windowsFolder) override;
  // Opens the subfolder relative to the parent's open folder when the parent
  // is a listing of this environment: no path is mapped through the prefix.
  std::unique_ptr<FolderListing> ListSubfolder(const FolderListing& parent, std::string_view name,
                                               std::string_view windowsFolder) override;
  std::unique_ptr<FolderListing> ListHostFolder(std::string_view hostFolder) override;

  // No write permission bit: read-only. An entry that cannot be examined is not.
  bool IsReadOnly(const FolderEntry& entry) override;

  // realpath(3) of the mapped path, back through the drive that holds it.
  std::string CanonicalPath(std::string_view windowsPath) override;

  std::string DataFolder() override { return fDataFolder; }
  // Folders it makes get permissions 0700, as the data folders of XDG's
  // base directories should.
  bool MakeHostFolders(std::string_view hostFolder) override;
  // renameat2(2) with RENAME_NOREPLACE; where the file system does not offer
  // that, a plain rename(2) after finding no file at the new name.
  bool RenameHostFile(std::string_view fromPath, std::string_view toPath) override;

  // The mapper's answer: the folder mapped once, each name looked up in its
  // index of the folder while the folder is unchanged.
  std::vector<bool> MayHold(std::string_view windowsFolder, const std::vector<std::string>& names) override {
    return fMapper.MayHold(windowsFolder, names);
  }
  // The mapper's batch: each drive's root and the change notices looked at
  // once. Every call here that may change a name ends what the batch knows.
  void BeginLookups() override { fMapper.BeginBatch(); }
  void EndLookups() override { fMapper.EndBatch(); }

  const WinePathMapper& mapper() const { return fMapper; }

  const std::string& prefix() const { return fMapper.prefix(); }

  // The prefix Wine itself would use: $WINEPREFIX when set and not empty,
  // otherwise .wine in the home folder ($HOME, or the password database when
  // HOME is unset or empty). Empty when there is no home folder either; an env
  // over an empty prefix opens no key and maps no drive.
  static std::string DefaultPrefix();

  // The data folder as the XDG base directories place it:
  // $XDG_DATA_HOME/velt-organizer when XDG_DATA_HOME is an absolute path,
  // otherwise .local/share/velt-organizer in the home folder (found as for
  // DefaultPrefix). Empty when there is no home folder either.
  static std::string DefaultDataFolder();

 private:
  WinePathMapper fMapper;
  WineRegistry fRegistry;
  std::string fDataFolder;
};

}  // namespace platform
