#pragma once

#include <string>

#include "tools/demo/DemoCatalogue.h"

namespace tools {

// The OBJD record of a sample object: `fSize` bytes (at most the current
// 216) of which the version, group id and slot and the four sort words are
// set at the record's offsets, little-endian, and every other byte is zero.
std::string DemoDefinitionRecord(const DemoObject& object);

// The sample file's resources, in the order they are written: a string
// list "STR#" 128 naming its objects, then per object its OBJD (ids from
// kFirstDemoId on, named after the object) and a placeholder sprite "SPR2"
// of the same id.
//
// Writes them into a new IFF file at `windowsPath` through the library's IFF
// mapped file (Create, Open, AddResource and WriteResource each, Close,
// which stores the map), under the current host environment. A file already
// there is replaced. False, with a message, when any step fails.
bool WriteDemoObjectFile(const std::string& windowsPath, const DemoFile& file, std::string* error);

}  // namespace tools
