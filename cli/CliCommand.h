#pragma once

#include <ostream>

// One velt-sort subcommand. Its constructor registers the subcommand and its
// options with the parser; Run is called when the parsed command line chose
// it.
class CliCommand {
 public:
  virtual ~CliCommand() = default;

  virtual bool Chosen() const = 0;
  // The exit code.
  virtual int Run(std::ostream& out, std::ostream& err) = 0;
};
