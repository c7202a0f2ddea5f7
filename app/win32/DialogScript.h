#pragma once

#include <string>
#include <string_view>

#include "app/dialogs/DialogTemplate.h"

// Writes the program's dialog templates and string table as a resource
// script, which the resource compiler (windres) turns into the DIALOGEX and
// STRINGTABLE resources the Win32 face runs. The script is generated at build
// time from DialogResources, so the templates are written down once, for
// every face.
//
// Script format (one statement per dialog, then the string table):
//   ID DIALOGEX 0, 0, CX, CY
//   STYLE <frame styles> / EXSTYLE <extended styles>
//   CAPTION "<title>"
//   FONT <points>, "<family>", 0, 0, 0x1
//   BEGIN
//     CONTROL "<caption>" | <bitmap id>, <id>, "<class>", <styles>, X, Y, CX, CY
//   END
//   STRINGTABLE BEGIN <id> "<text>" END
// Strings are quoted as the compiler reads them: a quote doubled, a backslash
// and a line break escaped. Positions and sizes are dialog units. The combo
// boxes' initial items are not in the script: the behaviour adds them from the
// template when the dialog initialises.
class DialogScript {
 public:
  // The script of every dialog and string of DialogResources.
  static std::string ProgramScript();

  static std::string Dialog(const DialogTemplate& dialog);

  // The window class and styles of a control, as the script spells them.
  static std::string ClassName(const ControlTemplate& control);
  static std::string Styles(const ControlTemplate& control);
  static std::string FrameStyles(const DialogTemplate& dialog);

  static std::string Quoted(std::string_view text);
};
