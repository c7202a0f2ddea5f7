#pragma once

#include <string>

#include <CLI/CLI.hpp>

#include "cli/CliCommand.h"

// velt-sort set FILE ID [--function X] [--subsort X] [--room X] [--downtown X]:
// changes one listed object's sorts and saves them the way the organizer's
// Save button does (ObjectFile::SaveSorts: the record is normalised, its four
// sort words written, and the file's map stored when it closes). Option
// values are read as SortOption describes; subsort names are those of the
// function sort the object has after --function. A sort without an option
// keeps its stored value, bit for bit.
//
// Before its write the file's bytes are backed up (ObjectFile::
// BackUpBeforeWrite); a backup that cannot be made stops the save, with the
// reason, unless the run has --no-backup.
//
// Refused, with nothing written: an object outside the buy catalogue (room
// and function sort both 0), whose sort controls the organizer disables; no
// option at all; any unknown name or bad number. On success it prints
// "Saved <line> (id <id>)." and the sorts as the file now holds them, in the
// form of `show`.
class SetCommand : public CliCommand {
 public:
  explicit SetCommand(CLI::App& app);

  bool Chosen() const override { return fCommand->parsed(); }
  int Run(std::ostream& out, std::ostream& err) override;

 private:
  CLI::App* fCommand;
  std::string fFile;
  std::string fId;
  std::string fFunction;
  std::string fSubsort;
  std::string fRoom;
  std::string fDowntown;
  CLI::Option* fFunctionOption = nullptr;
  CLI::Option* fSubsortOption = nullptr;
  CLI::Option* fRoomOption = nullptr;
  CLI::Option* fDowntownOption = nullptr;
};
