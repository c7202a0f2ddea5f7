#pragma once

#include <string>
#include <vector>

namespace platform {

// A command-line program's arguments as UTF-8, and a console that shows the
// UTF-8 text the program writes, for as long as the object lives. On Linux
// both already are. On Windows the arguments come from the wide command line
// (the narrow one is in the ANSI code page), and the console's output code
// page is UTF-8 until the object goes.
class ConsoleSession {
 public:
  ConsoleSession(int argc, char** argv);
  ~ConsoleSession();
  ConsoleSession(const ConsoleSession&) = delete;
  ConsoleSession& operator=(const ConsoleSession&) = delete;

  // Whether the process's standard error shows on a terminal (a console on
  // Windows), as opposed to a file or a pipe.
  static bool ErrorIsTerminal();

  int argc() const { return static_cast<int>(fArguments.size()); }
  // argv()[argc()] is null, as in main's.
  const char* const* argv() const { return fPointers.data(); }

 private:
  std::vector<std::string> fArguments;
  std::vector<const char*> fPointers;
  [[maybe_unused]] unsigned fRestoreOutputPage = 0;  // 0: nothing to put back (Windows only)
};

}  // namespace platform
