#pragma once

#include <filesystem>
#include <string>

namespace tools {

// Writes the sample object files and archives of DemoCatalogue into the game
// folder of the demo prefix, each one only when nothing is at its path yet:
// a sample the player changed, replaced, made read-only or renamed in letter
// case only (names are matched as the organizer matches them) is left exactly
// as it is, and one the player deleted comes back. Each file is written under a
// temporary name ending in ".velt-demo-new" beside it and then renamed, so an
// interrupted run leaves no half-written sample (a leftover temporary file is
// replaced by the next run and is never listed: its extension is not .iff).
//
// The object files are written by the library's IFF mapped file, reaching
// the prefix's drive c: through a host environment over `prefix` that is
// installed for the duration of the call. `written` (optional) receives the
// number of files written.
bool WriteDemoSamples(const std::filesystem::path& prefix, int* written, std::string* error);

}  // namespace tools
