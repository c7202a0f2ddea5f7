#include "tests/app/win32/Screenshot.h"

#include <filesystem>
#include <fstream>
#include <vector>

#include "tests/app/win32/Win32TestWindows.h"
#include "tests/platform/ScratchFolder.h"
#include "tools/assetgen/PngWriter.h"

namespace {

constexpr DWORD kSettleMs = 3000;
// Wine hands what a window painted to the X server once the window's thread
// goes idle; a picture that has not changed for this long is taken as final.
constexpr ULONGLONG kStableMs = 250;

// No part of the window or of its controls is waiting to be painted.
bool Painted(HWND window) {
  if (GetUpdateRect(window, nullptr, FALSE)) return false;
  for (HWND child = GetWindow(window, GW_CHILD); child != nullptr; child = GetWindow(child, GW_HWNDNEXT)) {
    if (!Painted(child)) return false;
  }
  return true;
}

}  // namespace

namespace {

// The pixels of a device-dependent bitmap, top row first.
tools::Canvas Pixels(HDC dc, HBITMAP bitmap, int width, int height) {
  BITMAPINFO info = {};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = -height;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  std::vector<uint8_t> pixels(static_cast<size_t>(width) * static_cast<size_t>(height) * 4);
  if (GetDIBits(dc, bitmap, 0, static_cast<UINT>(height), pixels.data(), &info, DIB_RGB_COLORS) != height) {
    return tools::Canvas(0, 0, {});
  }
  tools::Canvas canvas(width, height, {});
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      const uint8_t* pixel = &pixels[(static_cast<size_t>(y) * static_cast<size_t>(width) + static_cast<size_t>(x)) * 4];
      canvas.Set(x, y, {pixel[2], pixel[1], pixel[0]});
    }
  }
  return canvas;
}

}  // namespace

bool Screenshot::Same(const tools::Canvas& a, const tools::Canvas& b) {
  if (a.Width() != b.Width() || a.Height() != b.Height()) return false;
  for (int y = 0; y < a.Height(); ++y) {
    for (int x = 0; x < a.Width(); ++x) {
      if (!(a.At(x, y) == b.At(x, y))) return false;
    }
  }
  return true;
}

tools::Canvas Screenshot::Capture(HWND window) {
  RECT rect = {};
  if (!GetWindowRect(window, &rect) || rect.right <= rect.left || rect.bottom <= rect.top) return tools::Canvas(0, 0, {});
  const int width = rect.right - rect.left;
  const int height = rect.bottom - rect.top;
  HDC screen = GetDC(nullptr);
  HDC memory = CreateCompatibleDC(screen);
  HBITMAP bitmap = CreateCompatibleBitmap(screen, width, height);
  HGDIOBJ previous = SelectObject(memory, bitmap);
  BitBlt(memory, 0, 0, width, height, screen, rect.left, rect.top, SRCCOPY);
  SelectObject(memory, previous);
  tools::Canvas canvas = Pixels(memory, bitmap, width, height);
  DeleteObject(bitmap);
  DeleteDC(memory);
  ReleaseDC(nullptr, screen);
  return canvas;
}

tools::Canvas Screenshot::Bitmap(const wchar_t* name) {
  auto* bitmap = static_cast<HBITMAP>(LoadImageW(GetModuleHandleW(nullptr), name, IMAGE_BITMAP, 0, 0, 0));
  BITMAP size = {};
  if (bitmap == nullptr || GetObjectW(bitmap, sizeof size, &size) == 0) return tools::Canvas(0, 0, {});
  HDC screen = GetDC(nullptr);
  tools::Canvas canvas = Pixels(screen, bitmap, size.bmWidth, size.bmHeight);
  ReleaseDC(nullptr, screen);
  DeleteObject(bitmap);
  return canvas;
}

bool Screenshot::Save(HWND window, const std::string& folder, const std::string& name) {
  SetForegroundWindow(window);
  RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN | RDW_UPDATENOW);
  SendMessageW(window, WM_NULL, 0, 0);
  win32test::WaitUntil([window] { return Painted(window); }, kSettleMs);
  tools::Canvas last = Capture(window);
  ULONGLONG changed = GetTickCount64();
  win32test::WaitUntil(
      [&] {
        tools::Canvas next = Capture(window);
        if (!Same(next, last)) changed = GetTickCount64();
        last = std::move(next);
        return GetTickCount64() - changed >= kStableMs;
      },
      kSettleMs);
  if (last.Width() == 0) return false;
  std::error_code ignored;
  const std::filesystem::path directory = ScratchFolder::FromUtf8(folder);
  std::filesystem::create_directories(directory, ignored);
  const std::vector<uint8_t> png = tools::PngWriter::Encode(last);
  std::ofstream out(directory / ScratchFolder::FromUtf8(name), std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(png.data()), static_cast<std::streamsize>(png.size()));
  return static_cast<bool>(out);
}
