#pragma once

#include <string>

#include <CLI/CLI.hpp>

#include "cli/CliCommand.h"

// velt-sort iff FILE [--json]: an IFF file of either generation as the
// resource layer sees it: its generation and version, the map offset its
// header names (generation 2), and every resource with type, id, language,
// name, payload size, block offset and swizzled mark, types in index order and
// resources in index order within their type (generation-1 names come from
// its names cache, whose own internal block is not listed). The file is opened
// for reading only and left exactly as it was.
class IffCommand : public CliCommand {
 public:
  explicit IffCommand(CLI::App& app);

  bool Chosen() const override { return fCommand->parsed(); }
  int Run(std::ostream& out, std::ostream& err) override;

 private:
  CLI::App* fCommand;
  std::string fFile;
  bool fJson = false;
};
