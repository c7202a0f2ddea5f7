#include "platform/Win32RegistryKey.h"

#include <windows.h>

#include <vector>

#include "platform/Win32Text.h"

namespace platform {

namespace {

// A value that keeps changing size between two reads is given up on after
// this many tries.
constexpr int kReadAttempts = 4;

}  // namespace

Win32RegistryKey::~Win32RegistryKey() { ::RegCloseKey(static_cast<HKEY>(fKey)); }

bool Win32RegistryKey::QueryString(std::string_view name, std::string* value) const {
  std::wstring wideName;
  if (!Win32Text::ToWide(name, &wideName)) return false;
  const HKEY key = static_cast<HKEY>(fKey);
  std::vector<wchar_t> data;
  for (int attempt = 0; attempt < kReadAttempts; ++attempt) {
    DWORD type = 0;
    DWORD bytes = 0;
    if (::RegQueryValueExW(key, wideName.c_str(), nullptr, &type, nullptr, &bytes) != ERROR_SUCCESS) return false;
    if (type != REG_SZ && type != REG_EXPAND_SZ) return false;
    data.assign(bytes / sizeof(wchar_t) + 1, L'\0');
    DWORD got = bytes;
    const LSTATUS status = ::RegQueryValueExW(key, wideName.c_str(), nullptr, &type,
                                              reinterpret_cast<BYTE*>(data.data()), &got);
    if (status == ERROR_MORE_DATA) continue;
    if (status != ERROR_SUCCESS || (type != REG_SZ && type != REG_EXPAND_SZ)) return false;
    const std::wstring_view text(data.data(), got / sizeof(wchar_t));
    *value = Win32Text::ToUtf8(text.substr(0, text.find(L'\0')));
    return true;
  }
  return false;
}

}  // namespace platform
