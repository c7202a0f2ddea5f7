#include "platform/Win32Registry.h"

#include <windows.h>

#include <string>

#include "platform/Win32RegistryKey.h"
#include "platform/Win32Text.h"

namespace platform {

std::unique_ptr<RegistryKey> Win32Registry::OpenMachineKey(std::string_view path) {
  std::wstring widePath;
  if (!Win32Text::ToWide(path, &widePath)) return nullptr;
  for (const REGSAM view : {KEY_WOW64_32KEY, KEY_WOW64_64KEY}) {
    HKEY key = nullptr;
    if (::RegOpenKeyExW(HKEY_LOCAL_MACHINE, widePath.c_str(), 0, KEY_QUERY_VALUE | view, &key) == ERROR_SUCCESS) {
      return std::make_unique<Win32RegistryKey>(key);
    }
  }
  return nullptr;
}

}  // namespace platform
