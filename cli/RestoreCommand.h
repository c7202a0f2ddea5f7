#pragma once

#include <string>

#include <CLI/CLI.hpp>

#include "cli/CliCommand.h"

// velt-sort restore FILE [--list | --version N]: puts a backup of an object
// file back (BackupStore::Restore), the newest unless --version names
// another, byte for byte and through the same safe replace as a save. The
// bytes it replaces are backed up first, so a restore can be undone by
// restoring the version that holds them. With --list it only lists the
// kept versions:
//   Backups of <file> in <folder>:
//   version <N>  <made, UTC>  <size> bytes
// FILE is a host path or a Windows-style path; a name without an extension
// means the ".iff" file of that name.
class RestoreCommand : public CliCommand {
 public:
  explicit RestoreCommand(CLI::App& app);

  bool Chosen() const override { return fCommand->parsed(); }
  int Run(std::ostream& out, std::ostream& err) override;

 private:
  CLI::App* fCommand;
  std::string fFile;
  bool fList = false;
  int fVersion = 0;
};
