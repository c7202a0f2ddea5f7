#pragma once

#include <string>
#include <string_view>

#include "platform/Registry.h"

namespace platform {

// An open key of the Windows registry, closed when the object goes.
class Win32RegistryKey : public RegistryKey {
 public:
  // Takes ownership of the open key (an HKEY).
  explicit Win32RegistryKey(void* key) : fKey(key) {}
  ~Win32RegistryKey() override;
  Win32RegistryKey(const Win32RegistryKey&) = delete;
  Win32RegistryKey& operator=(const Win32RegistryKey&) = delete;

  // REG_SZ and REG_EXPAND_SZ values; the text ends at its first NUL (or at
  // the end of the data when the writer left the terminator out).
  bool QueryString(std::string_view name, std::string* value) const override;

 private:
  void* fKey;
};

}  // namespace platform
