#pragma once

#include <string>

#include <CLI/CLI.hpp>

#include "cli/CliCommand.h"

// velt-sort strings FILE ID [--json]: the string set with that id (a STR#
// resource, or failing that a caret text resource) of an IFF file of either
// generation, language by language. A language that holds only copies of the
// English strings is not shown. The file is only read.
class StringsCommand : public CliCommand {
 public:
  explicit StringsCommand(CLI::App& app);

  bool Chosen() const override { return fCommand->parsed(); }
  int Run(std::ostream& out, std::ostream& err) override;

 private:
  CLI::App* fCommand;
  std::string fFile;
  int fId = 0;
  bool fJson = false;
};
