#pragma once

#include <string>

#include <CLI/CLI.hpp>

#include "cli/CliCommand.h"

// velt-sort objects FILE [--json]: the object list of one object file as the
// organizer shows it, in list order, each line with its resource id and the
// four stored sort values:
//   <line> (id <id>): room <room>, function <function>, subsort <subsort>, downtown <downtown>
// With --json an array of {"line", "id", "room", "function", "subsort",
// "downtown"} objects; a sort that could not be read is null. The file is
// only read.
class ObjectsCommand : public CliCommand {
 public:
  explicit ObjectsCommand(CLI::App& app);

  bool Chosen() const override { return fCommand->parsed(); }
  int Run(std::ostream& out, std::ostream& err) override;

 private:
  CLI::App* fCommand;
  std::string fFile;
  bool fJson = false;
};
