#pragma once

#include <filesystem>
#include <string>
#include <string_view>

namespace tools {

// A folder laid out like a Wine prefix, for trying the organizer without the
// game:
//   system.reg                 the machine hive, naming the game folder
//   dosdevices/c:  -> ../drive_c
//   dosdevices/z:  -> /
//   drive_c/Program Files (x86)/Korva/The Velt/GameData/UserObjects/
//   drive_c/Program Files (x86)/Korva/The Velt/Downloads/
// with sample object files in both folders (see DemoCatalogue).
// system.reg carries the comment line ";; velt-demo" in its header, which is
// how a later run recognises a prefix it may touch.

inline constexpr std::string_view kDemoMarkerLine = ";; velt-demo";
inline constexpr std::string_view kDemoGameFolder = "C:\\Program Files (x86)\\Korva\\The Velt";

// The complete text of the demo's system.reg.
std::string DemoRegistryText();

// True when `prefix/system.reg` is a registry file whose header carries the
// marker line. Reads at most the first few kilobytes.
bool IsDemoPrefix(const std::filesystem::path& prefix);

// The host folder that the registry's game folder maps to inside `prefix`.
std::filesystem::path DemoGameFolder(const std::filesystem::path& prefix);

// Creates the demo prefix, or brings an earlier one up to date; running it
// again gives the same result and keeps files already in the game folders:
// a sample object file is written only where nothing is (WriteDemoSamples),
// so a player's changes to one survive. Refuses (false, with a message) to
// touch a folder that exists, is not empty and is not a demo prefix, so that
// a real prefix is never changed. `samplesWritten` (optional) receives the
// number of sample files this run wrote.
bool MakeDemoPrefix(const std::filesystem::path& prefix, std::string* error, int* samplesWritten = nullptr);

}  // namespace tools
