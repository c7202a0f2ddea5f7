#pragma once

#include <ostream>

// Runs the velt-sort command line: argv[0] is the program name, then a
// subcommand and its options. Normal output goes to `out` (help included),
// messages about failures to `err`. Returns the process exit code: 0 on
// success, 1 when the game or its files cannot be used, the argument parser's
// own code for bad usage. `errIsTerminal` says whether `err` shows on a
// terminal, where long work may draw a progress line.
int RunVeltSort(int argc, const char* const* argv, std::ostream& out, std::ostream& err, bool errIsTerminal = false);
