#pragma once

#include <windows.h>

#include <string>

// Owner-drawn push button (BS_OWNERDRAW) with four images: normal ("U"),
// pressed ("D"), focused ("F") and disabled ("X"). The images are bitmap
// resources of the program named by the button's caption followed by the state
// letter (names ignore case), and the button takes their size. The dialog that
// holds the button hands its WM_DRAWITEM messages to DrawItem.
class CBitmapButton {
 public:
  CBitmapButton() = default;
  ~CBitmapButton();
  CBitmapButton(const CBitmapButton&) = delete;
  CBitmapButton& operator=(const CBitmapButton&) = delete;

  // Binds the dialog's control `id`, loads the images named after its caption
  // and sizes it to them. False when the control is missing or has no normal
  // image (the other three fall back to it).
  bool AutoLoad(HWND dialog, int id);

  // Loads the four images named after `caption`; false when the normal one is
  // missing.
  bool LoadBitmaps(const std::string& caption);

  // Resizes the bound button to its normal image.
  void SizeToContent();

  // Which image shows in an owner-draw state (ODS_*): 'X', 'D', 'F' or 'U'.
  static char ImageFor(UINT itemState);

  void DrawItem(const DRAWITEMSTRUCT& item) const;

  HWND Window() const { return fWindow; }

 private:
  HBITMAP Image(char state) const;
  void Release();

  HWND fWindow = nullptr;
  HBITMAP fUp = nullptr;
  HBITMAP fDown = nullptr;
  HBITMAP fFocus = nullptr;
  HBITMAP fDisabled = nullptr;
};
