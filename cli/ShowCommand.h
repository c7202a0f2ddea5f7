#pragma once

#include <string>

#include <CLI/CLI.hpp>

#include "cli/CliCommand.h"

// velt-sort show FILE ID: one listed object's four sorts, named as the
// organizer's sort controls show them:
//   <line> (id <id>)
//   [not in the buy catalogue: ...]
//   function: ... / subsort: ... / room: ... / downtown: ...  (see SortText)
// The file is only read.
class ShowCommand : public CliCommand {
 public:
  explicit ShowCommand(CLI::App& app);

  bool Chosen() const override { return fCommand->parsed(); }
  int Run(std::ostream& out, std::ostream& err) override;

 private:
  CLI::App* fCommand;
  std::string fFile;
  std::string fId;
};
