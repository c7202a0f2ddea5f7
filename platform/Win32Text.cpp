#include "platform/Win32Text.h"

#include <windows.h>

#include <climits>

namespace platform {

bool Win32Text::ToWide(std::string_view utf8, std::wstring* wide) {
  wide->clear();
  if (utf8.empty()) return true;
  if (utf8.find('\0') != std::string_view::npos || utf8.size() > static_cast<size_t>(INT_MAX)) return false;
  const int bytes = static_cast<int>(utf8.size());
  const int units = ::MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, utf8.data(), bytes, nullptr, 0);
  if (units <= 0) return false;
  wide->resize(static_cast<size_t>(units));
  if (::MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, utf8.data(), bytes, wide->data(), units) == units) {
    return true;
  }
  wide->clear();
  return false;
}

std::string Win32Text::ToUtf8(std::wstring_view wide) {
  std::string utf8;
  if (wide.empty() || wide.size() > static_cast<size_t>(INT_MAX / 3)) return utf8;
  const int units = static_cast<int>(wide.size());
  const int bytes = ::WideCharToMultiByte(CP_UTF8, 0, wide.data(), units, nullptr, 0, nullptr, nullptr);
  if (bytes <= 0) return utf8;
  utf8.resize(static_cast<size_t>(bytes));
  ::WideCharToMultiByte(CP_UTF8, 0, wide.data(), units, utf8.data(), bytes, nullptr, nullptr);
  return utf8;
}

}  // namespace platform
