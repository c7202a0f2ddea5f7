#pragma once

#include <string>
#include <string_view>

namespace platform {

// Names are UTF-8 inside the program and UTF-16 at the Win32 calls.
class Win32Text {
 public:
  // False (and `wide` empty) when `utf8` is not valid UTF-8 or holds a NUL
  // character: no Win32 name can be spelled that way.
  static bool ToWide(std::string_view utf8, std::wstring* wide);

  // A UTF-16 name as UTF-8; a lone surrogate (which NTFS allows in names)
  // becomes U+FFFD.
  static std::string ToUtf8(std::wstring_view wide);
};

}  // namespace platform
