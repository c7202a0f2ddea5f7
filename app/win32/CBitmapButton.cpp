#include "app/win32/CBitmapButton.h"

#include "platform/Win32Text.h"

namespace {

HBITMAP LoadNamedBitmap(const std::string& name) {
  std::wstring wide;
  if (!platform::Win32Text::ToWide(name, &wide)) return nullptr;
  return static_cast<HBITMAP>(LoadImageW(GetModuleHandleW(nullptr), wide.c_str(), IMAGE_BITMAP, 0, 0, 0));
}

}  // namespace

CBitmapButton::~CBitmapButton() { Release(); }

void CBitmapButton::Release() {
  for (HBITMAP* image : {&fUp, &fDown, &fFocus, &fDisabled}) {
    if (*image != nullptr) DeleteObject(*image);
    *image = nullptr;
  }
}

bool CBitmapButton::AutoLoad(HWND dialog, int id) {
  fWindow = GetDlgItem(dialog, id);
  if (fWindow == nullptr) return false;
  wchar_t caption[64] = {};
  GetWindowTextW(fWindow, caption, 64);
  if (!LoadBitmaps(platform::Win32Text::ToUtf8(caption))) return false;
  SizeToContent();
  return true;
}

bool CBitmapButton::LoadBitmaps(const std::string& caption) {
  Release();
  fUp = LoadNamedBitmap(caption + "U");
  fDown = LoadNamedBitmap(caption + "D");
  fFocus = LoadNamedBitmap(caption + "F");
  fDisabled = LoadNamedBitmap(caption + "X");
  return fUp != nullptr;
}

void CBitmapButton::SizeToContent() {
  BITMAP size = {};
  if (fWindow == nullptr || fUp == nullptr || GetObjectW(fUp, sizeof size, &size) == 0) return;
  SetWindowPos(fWindow, nullptr, 0, 0, size.bmWidth, size.bmHeight, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

char CBitmapButton::ImageFor(UINT itemState) {
  if (itemState & ODS_DISABLED) return 'X';
  if (itemState & ODS_SELECTED) return 'D';
  if (itemState & ODS_FOCUS) return 'F';
  return 'U';
}

HBITMAP CBitmapButton::Image(char state) const {
  HBITMAP image = nullptr;
  switch (state) {
    case 'X': image = fDisabled; break;
    case 'D': image = fDown; break;
    case 'F': image = fFocus; break;
    default: break;
  }
  return image != nullptr ? image : fUp;
}

void CBitmapButton::DrawItem(const DRAWITEMSTRUCT& item) const {
  const RECT& area = item.rcItem;
  HBITMAP image = Image(ImageFor(item.itemState));
  HDC memory = image != nullptr ? CreateCompatibleDC(item.hDC) : nullptr;
  if (memory == nullptr) {
    // Without images the caption still shows, so the button stays usable.
    RECT frame = area;
    DrawFrameControl(item.hDC, &frame, DFC_BUTTON,
                     DFCS_BUTTONPUSH | ((item.itemState & ODS_SELECTED) ? DFCS_PUSHED : 0));
    wchar_t caption[64] = {};
    GetWindowTextW(item.hwndItem, caption, 64);
    SetBkMode(item.hDC, TRANSPARENT);
    DrawTextW(item.hDC, caption, -1, &frame, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
    return;
  }
  HGDIOBJ previous = SelectObject(memory, image);
  BitBlt(item.hDC, area.left, area.top, area.right - area.left, area.bottom - area.top, memory, 0, 0, SRCCOPY);
  SelectObject(memory, previous);
  DeleteDC(memory);
}
