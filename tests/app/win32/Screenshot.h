#pragma once

#include <windows.h>

#include <string>

#include "tools/assetgen/Canvas.h"

// Pictures of windows as the screen shows them, for people to look at (the
// tests check the windows themselves). Each is taken once the window has
// painted and two captures in a row agree, and written as a PNG file.
class Screenshot {
 public:
  // The window's rectangle on the screen, frame included; 0 x 0 when it
  // cannot be read.
  static tools::Canvas Capture(HWND window);

  // A bitmap resource of this program as the screen would show it.
  static tools::Canvas Bitmap(const wchar_t* name);

  static bool Same(const tools::Canvas& a, const tools::Canvas& b);

  // Brings the window to the front, waits for it to settle and writes it to
  // `folder`\`name`. False when nothing could be captured or written.
  static bool Save(HWND window, const std::string& folder, const std::string& name);
};
