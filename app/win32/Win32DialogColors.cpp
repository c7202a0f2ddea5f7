#include "app/win32/Win32DialogColors.h"

namespace {

bool gSet = false;
COLORREF gBackground = 0;
COLORREF gText = 0;
HBRUSH gBrush = nullptr;

bool IsEditField(HWND control) {
  wchar_t name[16] = {};
  return control != nullptr && GetClassNameW(control, name, 16) > 0 && lstrcmpiW(name, L"Edit") == 0;
}

}  // namespace

void Win32DialogColors::Set(COLORREF background, COLORREF text) {
  // The brush lives as long as the program: dialogs may paint with it until
  // the end.
  if (gBrush != nullptr) DeleteObject(gBrush);
  gBrush = CreateSolidBrush(background);
  gBackground = background;
  gText = text;
  gSet = gBrush != nullptr;
}

bool Win32DialogColors::IsSet() { return gSet; }

HBRUSH Win32DialogColors::Answer(UINT message, HDC dc, HWND control) {
  if (!gSet) return nullptr;
  switch (message) {
    case WM_CTLCOLORDLG:
    case WM_CTLCOLORBTN:
      break;
    case WM_CTLCOLORSTATIC:
      if (IsEditField(control)) return nullptr;
      break;
    default:
      return nullptr;
  }
  SetTextColor(dc, gText);
  SetBkColor(dc, gBackground);
  return gBrush;
}
