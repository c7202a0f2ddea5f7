#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/FolderListing.h"
#include "platform/HostFailure.h"
#include "platform/HostFile.h"
#include "platform/Registry.h"

namespace platform {

// Everything the organizer asks of the operating system goes through a HostEnv:
// the registry, files and folder listings addressed by Windows-style paths, and
// debugger output. Nothing above this folder includes system headers. A call
// that fails leaves the host's cause in LastHostFailure().
//
// One implementation per host: PosixHostEnv on Linux, over a Wine prefix;
// Win32HostEnv on Windows.
// Tests wrap the current environment with a HostEnvWrapper to inject faults and
// install it with Replace().
class HostEnv {
 public:
  virtual ~HostEnv();

  // The local-machine registry hive.
  virtual Registry& MachineRegistry() = 0;

  // Maps a Windows-style path ("C:\Games\x.iff", "..\y", "\z") onto a host
  // path. Both "\" and "/" separate; "." and ".." are resolved lexically first;
  // a component that does not exist with its exact spelling is matched without
  // regard to ASCII case. Returns an empty string when the path names nothing the
  // host can reach (an unknown drive, a UNC path).
  virtual std::string HostPath(std::string_view windowsPath) = 0;

  // The Windows-style path under which the program reaches a host path (for
  // paths a person types on the host's command line): the drive whose folder
  // holds it most closely, then the rest with "\" separators. Empty when no
  // drive reaches it.
  virtual std::string WindowsPath(std::string_view hostPath) = 0;

  // Text for a debugger; on Linux it goes to standard error, on Windows to
  // OutputDebugStringA.
  virtual void DebugOutput(std::string_view text) = 0;

  // Opens or creates a file. Null when the file is missing (for kOpenExisting),
  // is a folder, is held by an open that does not share with this one, or is
  // read-only and write access is asked (a file without any write permission bit
  // is read-only, whoever runs the program).
  virtual std::unique_ptr<HostFile> OpenFile(std::string_view windowsPath,
                                             const FileOpenOptions& options) = 0;

  // Deletes a file; false when it cannot, and for folders and read-only files
  // (which the program's own host refuses to delete too).
  virtual bool RemoveFile(std::string_view windowsPath) = 0;

  // Puts a complete replacement file in the place of a target file in one
  // step, so that the target's path names either the old file, untouched, or
  // the whole replacement, whatever happens to the program; the folder is
  // pushed to the storage device before this returns. The replacement first
  // takes the target's permissions (and with them its read-only attribute).
  // Both files may be open through this environment, and stay usable: the
  // replacement's open then reaches the file at the target's path and keeps
  // its share lock, so no other program can slip in between. A target that
  // is a link has the file it links to replaced. False, with the host's
  // cause, when it cannot be done; the target is then as it was.
  virtual bool ReplaceFile(std::string_view targetPath, std::string_view replacementPath) = 0;

  // Lists a folder; null when it cannot be listed (missing, not a folder, no
  // permission).
  virtual std::unique_ptr<FolderListing> ListFolder(std::string_view windowsFolder) = 0;

  // Lists subfolder `name` (spelled as `parent` listed it) of the folder that
  // `parent` lists; `windowsFolder` is the subfolder's Windows-style path. A
  // walk down a tree calls this for each subfolder, so a host may reach the
  // subfolder through the parent's open listing instead of resolving the
  // whole path again. The default lists `windowsFolder`.
  virtual std::unique_ptr<FolderListing> ListSubfolder(const FolderListing& parent, std::string_view name,
                                                       std::string_view windowsFolder);

  // Whether a listed entry carries the read-only attribute. An entry that has
  // gone since it was listed counts as not read-only.
  virtual bool IsReadOnly(const FolderEntry& entry) = 0;

  // The one Windows-style path of the file a path reaches: absolute, its
  // names spelled as on disk and links resolved, so that every path that
  // reaches a file gives the same text. A file that is not there gets its
  // folder's form followed by the name as written; empty when not even the
  // folder can be reached.
  virtual std::string CanonicalPath(std::string_view windowsPath) = 0;

  // The program's own folder for the data of the user who runs it, as a host
  // path (see below): on Linux $XDG_DATA_HOME/velt-organizer, or
  // ~/.local/share/velt-organizer when that is unset or not absolute; on
  // Windows %LOCALAPPDATA%\velt-organizer: outside the game's folders, which
  // the organizer scans. It is not made here. Empty when the host names no
  // such place (no home folder).
  virtual std::string DataFolder() = 0;

  // Host paths: paths in the host's own terms, joined with kHostSeparator,
  // such as the data folder and the files below it. The calls below take
  // them as they are, without the mapping of Windows-style paths (on Windows
  // the two are the same kind, and paths longer than the classic limit
  // work). Otherwise they behave as their counterparts above.
  virtual std::unique_ptr<HostFile> OpenHostFile(std::string_view hostPath, const FileOpenOptions& options) = 0;
  virtual bool RemoveHostFile(std::string_view hostPath) = 0;
  virtual std::unique_ptr<FolderListing> ListHostFolder(std::string_view hostFolder) = 0;
  // Makes a folder and every missing folder above it (private to the user
  // where the host has such a notion). True when it is a folder afterwards.
  virtual bool MakeHostFolders(std::string_view hostFolder) = 0;
  // Gives a complete file a new name in the same folder in one step, never
  // writing over a file that has that name already, and pushes the folder to
  // the storage device. The file's bytes must have been flushed before, so
  // that the new name never stands for less than all of them.
  virtual bool RenameHostFile(std::string_view fromPath, std::string_view toPath) = 0;

#ifdef _WIN32
  static constexpr char kHostSeparator = '\\';
#else
  static constexpr char kHostSeparator = '/';
#endif

  // For a caller about to try several names in one folder, most of which are
  // usually missing: for each of `names` (single names, without separators),
  // false when `windowsFolder` followed by that name reaches nothing (no file
  // and no folder by that name in any spelling the path mapping accepts), so
  // that an open or a listing of it would fail for want of it; true when it
  // may reach something, which only trying tells. One path resolution for the
  // folder answers every name, where an open of each would resolve the whole
  // path again. The default cannot tell and answers true throughout.
  virtual std::vector<bool> MayHold(std::string_view windowsFolder, const std::vector<std::string>& names);

  // Brackets the lookups of one short operation on this thread (opening a
  // group of files: its companion probe and its opens), so that the host may
  // look once, at the first lookup, at what every path depends on (a drive's
  // root, queued change notices) instead of at each: every answer in the
  // batch reflects the host as it was at that first lookup. A change made
  // through this environment inside the batch is seen by the lookups after
  // it. Batches nest; the outermost one counts. Use LookupBatch rather than
  // calling these. The defaults do nothing.
  virtual void BeginLookups() {}
  virtual void EndLookups() {}

  // The host's own environment, built on first use.
  static HostEnv& Default();

  // The environment in use: Default() unless a test replaced it.
  static HostEnv& Current();

  // Installs `env` as the current environment (null restores the default) and
  // returns the one it replaces. Not thread-safe: call it between operations.
  static HostEnv* Replace(HostEnv* env);
};

}  // namespace platform
