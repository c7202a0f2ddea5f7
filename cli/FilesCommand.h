#pragma once

#include <CLI/CLI.hpp>

#include "cli/CliCommand.h"

// velt-sort files [--json]: the file list as the organizer shows it, one shown
// name per line, or with --json an array of {"line", "entry"} objects in list
// order.
class FilesCommand : public CliCommand {
 public:
  explicit FilesCommand(CLI::App& app);

  bool Chosen() const override { return fCommand->parsed(); }
  int Run(std::ostream& out, std::ostream& err) override;

 private:
  CLI::App* fCommand;
  bool fJson = false;
};
