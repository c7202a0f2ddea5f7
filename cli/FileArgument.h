#pragma once

#include <ostream>
#include <string>

#include "msrc/Util/StringBuffer.h"

// Turns a file named on the command line into the Windows-style path the
// library opens. A name with a drive letter ("C:\...") or a backslash is taken
// as a Windows-style path already; anything else is a host path, reached
// through the drive of the Wine prefix that holds it. On failure it writes the
// reason to `err` and returns false.
bool ResolveFileArgument(const std::string& argument, StringBuffer* windowsPath, std::ostream& err);
