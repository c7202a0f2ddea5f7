#pragma once

#include <ostream>

#include "msrc/Util/StringBuffer.h"

// Finds the object folder the way the organizer does at start-up: from the
// game folder in the machine registry of the current host environment. On
// failure it writes the reason to `err` and returns false.
bool LookUpObjectFolder(StringBuffer* objectFolder, std::ostream& err);
