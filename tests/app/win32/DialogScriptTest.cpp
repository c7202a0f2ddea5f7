// The resource script written from the dialog templates: quoting as the
// resource compiler reads it, and the window class and styles each kind of
// control needs to behave as its template says.
#include "app/win32/DialogScript.h"

#include <gtest/gtest.h>

#include <string>

#include "app/dialogs/DialogResources.h"
#include "app/dialogs/ResourceIds.h"

namespace {

TEST(DialogScriptTest, TextsAreQuotedAsTheResourceCompilerReadsThem) {
  EXPECT_EQ(DialogScript::Quoted("Files:"), "\"Files:\"");
  EXPECT_EQ(DialogScript::Quoted("say \"hi\""), "\"say \"\"hi\"\"\"");
  EXPECT_EQ(DialogScript::Quoted("C:\\Games"), "\"C:\\\\Games\"");
  EXPECT_EQ(DialogScript::Quoted("one\ntwo"), "\"one\\ntwo\"");
}

TEST(DialogScriptTest, EveryKindOfControlGetsItsClassAndStyles) {
  struct Case {
    ControlTemplate control;
    const char* className;
    const char* styles;
  };
  const Case cases[] = {
      {{1000, ControlKind::kListBox, "", 0, 0, 1, 1, kStyleNotify | kStyleVScroll | kStyleHScroll | kStyleBorder, {}},
       "ListBox", "WS_CHILD | WS_VISIBLE | LBS_NOINTEGRALHEIGHT | LBS_NOTIFY | WS_VSCROLL | WS_HSCROLL | WS_BORDER"},
      {{1028, ControlKind::kComboBox, "", 0, 0, 1, 1, kStyleVScroll | kStyleTabStop, {"None"}},
       "ComboBox", "WS_CHILD | WS_VISIBLE | CBS_DROPDOWN | WS_VSCROLL | WS_TABSTOP"},
      {{kNoControlId, ControlKind::kStaticText, "x", 0, 0, 1, 1, kStyleNone, {}}, "Static",
       "WS_CHILD | WS_VISIBLE | SS_LEFT"},
      {{kNoControlId, ControlKind::kStaticText, "x", 0, 0, 1, 1, kStyleCenter, {}}, "Static",
       "WS_CHILD | WS_VISIBLE | SS_CENTER"},
      {{kNoControlId, ControlKind::kPicture, "184", 0, 0, 0, 0, kStyleNone, {}}, "Static",
       "WS_CHILD | WS_VISIBLE | SS_BITMAP"},
      {{1031, ControlKind::kCheckBox, "Dining", 0, 0, 1, 1, kStyleTabStop, {}}, "Button",
       "WS_CHILD | WS_VISIBLE | BS_AUTOCHECKBOX | WS_TABSTOP"},
      {{1016, ControlKind::kBitmapButton, "Save", 0, 0, 1, 1, kStyleTabStop, {}}, "Button",
       "WS_CHILD | WS_VISIBLE | BS_OWNERDRAW | WS_TABSTOP"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(DialogScript::ClassName(c.control), c.className) << c.styles;
    EXPECT_EQ(DialogScript::Styles(c.control), c.styles);
  }
}

TEST(DialogScriptTest, TheSplashAndTheMainDialogAsStatements) {
  EXPECT_EQ(DialogScript::Dialog(DialogResources::Find(kDialogSplash)),
            "201 DIALOGEX 0, 0, 213, 148\n"
            "STYLE DS_SETFONT | WS_POPUP | DS_CENTER\n"
            "FONT 8, \"MS Sans Serif\", 0, 0, 0x1\n"
            "BEGIN\n"
            "  CONTROL 212, 1012, \"Static\", WS_CHILD | WS_VISIBLE | SS_BITMAP, 0, 0, 0, 0\n"
            "END\n");
  const std::string main = DialogScript::Dialog(DialogResources::Find(kDialogMain));
  EXPECT_EQ(main.substr(0, main.find("BEGIN")),
            "102 DIALOGEX 0, 0, 303, 170\n"
            "STYLE DS_SETFONT | WS_POPUP | DS_MODALFRAME | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX\n"
            "EXSTYLE WS_EX_APPWINDOW\n"
            "CAPTION \"The Velt Plimsett Object Organizer\"\n"
            "FONT 8, \"Comic Sans MS\", 0, 0, 0x1\n");
  EXPECT_NE(main.find("  CONTROL \"Save\", 1016, \"Button\", WS_CHILD | WS_VISIBLE | BS_OWNERDRAW | WS_TABSTOP, "
                      "223, 146, 70, 17\n"),
            std::string::npos);
}

TEST(DialogScriptTest, TheProgramScriptHoldsEveryDialogAndString) {
  const std::string script = DialogScript::ProgramScript();
  for (const char* statement : {"\n100 DIALOGEX", "\n102 DIALOGEX", "\n190 DIALOGEX", "\n201 DIALOGEX"}) {
    EXPECT_NE(script.find(statement), std::string::npos) << statement;
  }
  EXPECT_NE(script.find("STRINGTABLE\nBEGIN\n  101 \"&About The Velt Plimsett Object Organizer...\"\nEND\n"),
            std::string::npos);
}

}  // namespace
