#include "cli/RestoreCommand.h"

#include <vector>

#include "app/core/BackupStore.h"
#include "cli/FileArgument.h"
#include "msrc/Util/FixedStringBuffer.h"

namespace {

constexpr const char* kObjectExtension = ".iff";

// The file a FILE argument names: one without an extension is the ".iff"
// file of that name, as for the other object commands.
std::string ObjectFilePath(const StringBuffer& path) {
  const std::string text = path.Text();
  const size_t name = text.find_last_of("\\/") + 1;
  if (text.find('.', name) == std::string::npos) return text + kObjectExtension;
  return text;
}

void WriteVersion(const BackupStore::Version& version, std::ostream& out) {
  out << "version " << version.fNumber << "  " << version.fMade << "  ";
  if (version.fSize < 0) {
    out << "(cannot be read)\n";
  } else {
    out << version.fSize << " bytes\n";
  }
}

}  // namespace

RestoreCommand::RestoreCommand(CLI::App& app)
    : fCommand(app.add_subcommand("restore", "Put a backup of an object file back, byte for byte")) {
  fCommand
      ->add_option("FILE", fFile, "The object file, with or without \".iff\" (a host path, or a Windows-style path)")
      ->required();
  CLI::Option* list = fCommand->add_flag("--list", fList, "List the kept backups of the file, with dates and sizes");
  fCommand->add_option("--version", fVersion, "The backup to put back, by its number in --list (default: the newest)")
      ->check(CLI::PositiveNumber)
      ->excludes(list);
  fCommand->footer(
      "Backups are made before the first change to a file in each run of velt-sort or of the organizer; the last "
      "5 of each file are kept. Restoring is a change too: the bytes it replaces become the file's newest backup, "
      "unless --no-backup is given.");
}

int RestoreCommand::Run(std::ostream& out, std::ostream& err) {
  FixedStringBuffer<260> resolved;
  if (!ResolveFileArgument(fFile, &resolved, err)) return 1;
  const std::string path = ObjectFilePath(resolved);
  BackupStore& store = BackupStore::Current();
  std::vector<BackupStore::Version> versions;
  std::string folder;
  const BackupResult listed = store.Versions(path, &versions, &folder);
  if (!listed.Ok()) {
    err << "velt-sort: " << fFile << ": the backups cannot be found: " << BackupStore::Explain(listed) << '\n';
    return 1;
  }
  if (fList) {
    if (versions.empty()) {
      out << "No backups of " << path << " (they would be in " << folder << ").\n";
      return 0;
    }
    out << "Backups of " << path << " in " << folder << ":\n";
    for (const BackupStore::Version& version : versions) WriteVersion(version, out);
    return 0;
  }
  if (versions.empty()) {
    err << "velt-sort: " << fFile << ": there are no backups of this file (they would be in " << folder << ")\n";
    return 1;
  }

  BackupStore::Version restored;
  const BackupResult result = store.Restore(path, fVersion, &restored);
  if (result.fError == kBackupErrNoVersion) {
    err << "velt-sort: " << fFile << ": there is no backup version " << fVersion << "; --list shows those kept\n";
    return 1;
  }
  if (result.fError == kBackupErrNoFolder || result.fError == kBackupErrRead || result.fError == kBackupErrWrite) {
    err << "velt-sort: " << fFile << ": the file was not restored: no backup of its current bytes could be made; "
        << BackupStore::Explain(result) << '\n';
    err << "velt-sort: to restore without that backup, give --no-backup\n";
    return 1;
  }
  if (!result.Ok()) {
    err << "velt-sort: " << fFile << ": the file was not restored: " << BackupStore::Explain(result) << '\n';
    return 1;
  }
  out << "Restored version " << restored.fNumber << " (" << restored.fMade << ", " << restored.fSize << " bytes) of "
      << path << ".\n";
  store.Versions(path, &versions, &folder);
  if (store.Enabled() && !versions.empty() && versions.back().fNumber != restored.fNumber) {
    out << "The bytes it replaced are version " << versions.back().fNumber << ".\n";
  }
  return 0;
}
