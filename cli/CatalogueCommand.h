#pragma once

#include <CLI/CLI.hpp>

#include "cli/CliCommand.h"

// velt-sort catalogue [--json | --csv]: every object the organizer lists,
// for every file of the Files list, in list order, each with its four sorts
// as stored numbers and as the names the sort controls show. Each file is
// opened once. As text, one line per file and one indented line per object:
//   <file line> (<entry>)
//     <object line> (id <id>): function <n> (<name>); subsort <n> (<name>); room <n> (<name>); downtown <n> (<boxes>)
// with "; not in the buy catalogue" after an object whose room and function
// sort are both 0 (a name in parentheses only where the controls show one).
// --csv and --json write the table CatalogueTable describes, which `apply`
// takes back. A file whose objects cannot be read is named on standard
// error, as having none; the files are only read.
class CatalogueCommand : public CliCommand {
 public:
  explicit CatalogueCommand(CLI::App& app);

  bool Chosen() const override { return fCommand->parsed(); }
  int Run(std::ostream& out, std::ostream& err) override;

 private:
  CLI::App* fCommand;
  bool fJson = false;
  bool fCsv = false;
};
