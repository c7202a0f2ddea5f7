#pragma once

#include <string>

#include <CLI/CLI.hpp>

#include "cli/CliCommand.h"

// velt-sort iff FILE [--json]: an IFF file as the resource layer sees it: its
// generation and version, the map offset its header names, and every resource
// with type, id, language, name, payload size, block offset and swizzled mark,
// types in index order and resources in index order within their type. The
// file is only read, and left exactly as it was.
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
