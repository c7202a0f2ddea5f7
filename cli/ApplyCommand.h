#pragma once

#include <string>

#include <CLI/CLI.hpp>

#include "cli/CliCommand.h"

// velt-sort apply TABLE [--dry-run]: takes back a table that `catalogue
// --csv` or `--json` wrote, edited (see CatalogueTable), and saves each
// changed object the way the organizer's Save does.
//
// Each row names its object by its entry (which must be on the Files list;
// letter case does not count) and id (which must be on that file's object
// list); the other columns of a row but the sorts are not read. What a row
// asks for is read as CatalogueEdit says, and rows whose objects already
// have those sorts are skipped. Every row is checked first: an unknown file
// or id, a bad number or name, a sort whose two cells disagree, a change to
// an object that is not in the buy catalogue, or two rows asking different
// sorts of one object are each listed with the row's number, and then
// nothing is written. Otherwise each file is opened once, its changed
// objects written, and it is closed (ObjectFile::SaveSorts for several
// definitions); one line per saved object goes to standard output:
//   <entry>: <object line> (id <id>): function <old> -> <new>; room <old> -> <new>
// naming only the sorts that change. A file that fails (locked, read-only,
// damaged, unreadable) is reported on standard error and the other files are
// still saved. --dry-run prints the same lines without writing anything.
// The exit status is 0 when everything asked for was applied (or, with
// --dry-run, could be), 1 otherwise. On a terminal, work on many files shows
// a progress line.
class ApplyCommand : public CliCommand {
 public:
  // `terminal`: whether the error stream is a terminal, where a progress
  // line may be drawn.
  ApplyCommand(CLI::App& app, bool terminal);

  bool Chosen() const override { return fCommand->parsed(); }
  int Run(std::ostream& out, std::ostream& err) override;

 private:
  CLI::App* fCommand;
  std::string fTable;
  bool fDryRun = false;
  bool fTerminal = false;
};
