#pragma once

#include <chrono>
#include <cstdint>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "platform/HostFailure.h"
#include "platform/HostFile.h"

// Status codes of BackupStore (0 for success), in a range of their own.
constexpr int32_t kBackupErrNone = 0;
constexpr int32_t kBackupErrNoFolder = -301;     // the host names no data folder (no home folder)
constexpr int32_t kBackupErrRead = -302;         // the file to back up could not be read
constexpr int32_t kBackupErrWrite = -303;        // the copy could not be made in the backup folder
constexpr int32_t kBackupErrNoVersion = -304;    // restoring: no backup has the number asked for
constexpr int32_t kBackupErrVersionRead = -305;  // restoring: the backup could not be read
constexpr int32_t kBackupErrReplace = -306;      // restoring: the file could not be replaced

// What a call of BackupStore came to: a status code and, for a failure, the
// host's cause when it is known.
struct BackupResult {
  int32_t fError = kBackupErrNone;
  platform::HostFailure fCause = platform::HostFailure::kNone;

  bool Ok() const { return fError == kBackupErrNone; }
};

// Copies of object files as they were before the organizer first wrote to
// them in a run (one run of the organizer or of velt-sort), so that a save
// can be undone. Every save passes through BeforeWrite before its first
// write to a file; the store copies the file once per run and keeps the last
// kKeptVersions copies of each file.
//
// The copies live below the host's data folder (HostEnv::DataFolder), in
// "backups", under the file's canonical path (HostEnv::CanonicalPath): the
// drive letter, or "UNC" followed by server and share, then one folder per
// name on the path, the last one named after the file itself and holding
// its versions:
//
//   <data folder>/backups/C/Games/The Velt/GameData/UserObjects/chair.iff/v7-20261214T153012Z.iff
//
// A version's name is "v", its number, "-", the time it was made (UTC, to
// the second, in the ISO 8601 basic form) and the file's extension. Numbers
// count up from 1 per file and are never reused while a version is kept, so
// a number names the same bytes for as long as they are there. A copy is
// written in full under a name of its own ("partial-" and the number) and
// flushed, and only then renamed to its version name, so that a name of the
// version form always stands for a whole copy; a partial copy left behind by
// a program that stopped is removed by the next backup of the file.
//
// Names are stored so that they are valid and distinct on every host:
// control characters, the characters Windows does not allow in names
// ("*/:<>?\|) and "%" and "~" become "%" and two capital hex digits; so does
// a name's last character when it is a dot or a space, and the first of a
// name Windows keeps for a device (CON, NUL, COM1, ...). A stored name
// longer than kMaxStoredName bytes keeps its first part and ends with "~"
// and 16 hex digits of a hash of the whole name. Two files never share a
// folder: the encoding of distinct names differs, and the hash makes a
// clash of long names as likely as a 64-bit collision.
class BackupStore {
 public:
  static constexpr int kKeptVersions = 5;
  static constexpr size_t kMaxStoredName = 120;

  // One kept copy of a file.
  struct Version {
    int32_t fNumber = 0;
    // When it was made: "2026-12-14 15:30:12 UTC".
    std::string fMade;
    // Its length in bytes; -1 when it cannot be read.
    int64_t fSize = -1;
    // Where it is, as a host path.
    std::string fHostPath;
  };

  // The store of the run: the one installed, or else one that lives as long
  // as the program and backs up.
  static BackupStore& Current();
  // Installs `store` as the current one (null puts the program's own back)
  // and returns the one it replaces.
  static BackupStore* Install(BackupStore* store);

  // Off: BeforeWrite copies nothing (the run's --no-backup).
  bool Enabled() const { return fEnabled; }
  void SetEnabled(bool enabled) { fEnabled = enabled; }

  // To be called before a write to the file at `windowsPath`: the first time
  // in this run for that file (by whatever path reaches it), copies its
  // bytes as its newest version and drops its oldest versions beyond
  // kKeptVersions. The copy is complete and on the storage device when this
  // answers success; a failure means no copy was made, and the write must
  // not go on. Later calls for the same file, and every call while the store
  // is off, answer success at once. The file may be open for writing through
  // the file system (a reader that shares writing still gets in).
  BackupResult BeforeWrite(std::string_view windowsPath);

  // The kept versions of the file at `windowsPath`, oldest first, and the
  // host folder they are kept in. A file with no folder yet has none.
  BackupResult Versions(std::string_view windowsPath, std::vector<Version>* versions, std::string* folder) const;

  // Puts version `number` (0: the newest) of the file at `windowsPath` back
  // in its place, byte for byte, through the file system's safe replace: the
  // file names either its old bytes or the whole version whatever happens.
  // Restoring writes to the file, so its current bytes are backed up first
  // (BeforeWrite). A file that is gone from its folder is put back under its
  // name, unless another file takes the name in the meantime. `restored`
  // receives the version that was put back.
  BackupResult Restore(std::string_view windowsPath, int32_t number, Version* restored);

  // The end of a sentence that says why a backup (or a restore) failed,
  // such as "the backup folder is read-only."; empty for success.
  static std::string Explain(const BackupResult& result);

  // The folder the versions of the file with canonical path `canonical` are
  // kept in below `backups`, joined with `separator`; empty for a path that
  // is not absolute.
  static std::string FolderFor(std::string_view canonical, const std::string& backups, char separator);
  // A name as it is stored (see above).
  static std::string StoredName(std::string_view name);
  // The name of version `number` made at `made`, for a file whose name ends
  // in `extension` (".iff"; it is stored as a name is, and left out when
  // that is longer than a few characters).
  static std::string VersionName(int32_t number, std::chrono::system_clock::time_point made,
                                 std::string_view extension);
  // Reads a name of the version form; false for any other name.
  static bool ParseVersionName(std::string_view name, Version* version);

 private:
  // The folder of the file's versions; empty (with the result) when there
  // is none.
  static std::string FolderOfFile(std::string_view windowsPath, std::string* canonical, BackupResult* result);
  // The versions in `folder`, oldest first, with their sizes when asked.
  static std::vector<Version> ListVersions(const std::string& folder, bool withSizes);
  // Puts `version` back as the file at `windowsPath`, which is not there.
  static BackupResult RestoreAbsent(std::string_view windowsPath, platform::HostFile& version);
  // Copies the file as a new version into `folder`.
  static BackupResult WriteVersion(std::string_view windowsPath, const std::string& canonical,
                                   const std::string& folder);

  bool fEnabled = true;
  // The version folders of the files backed up in this run.
  std::set<std::string> fBackedUp;
};
