#pragma once

#include <sstream>
#include <string>
#include <vector>

#include "cli/RunVeltSort.h"

// The outcome of one in-process velt-sort run.
struct CliRun {
  int code = -1;
  std::string out;
  std::string err;
};

// The path velt-sort names a file by when given the file's host path: on
// Linux the Windows path through the Wine prefix's drive (`windowsPath`); on
// Windows the host path itself, which is a Windows path already.
inline std::string ReachedAs([[maybe_unused]] const std::string& hostPath,
                             [[maybe_unused]] const std::string& windowsPath) {
#ifdef _WIN32
  return hostPath;
#else
  return windowsPath;
#endif
}

inline CliRun RunCli(std::vector<std::string> arguments) {
  arguments.insert(arguments.begin(), "velt-sort");
  std::vector<const char*> argv;
  for (const std::string& argument : arguments) argv.push_back(argument.c_str());
  argv.push_back(nullptr);
  std::ostringstream out;
  std::ostringstream err;
  CliRun run;
  run.code = RunVeltSort(static_cast<int>(arguments.size()), argv.data(), out, err);
  run.out = out.str();
  run.err = err.str();
  return run;
}
