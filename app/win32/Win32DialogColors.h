#pragma once

#include <windows.h>

// The colours of every dialog and message box of the program, as the
// control-colour messages (WM_CTLCOLORDLG, WM_CTLCOLORSTATIC, WM_CTLCOLORBTN)
// hand them out: the background brush and the text colour. Until they are set
// the system's own colours stay.
class Win32DialogColors {
 public:
  static void Set(COLORREF background, COLORREF text);
  static bool IsSet();

  // Answers one control-colour message for `control`: sets the text and
  // background colours of `dc` and returns the background brush, or null to
  // leave the message to the system. Edit fields, list boxes and scroll bars
  // keep the system's colours; so does the edit field of a combo box, even
  // while it is disabled (when it asks as a static control would).
  static HBRUSH Answer(UINT message, HDC dc, HWND control);
};
